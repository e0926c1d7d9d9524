#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <stdexcept>

namespace orvandel {

namespace {

    QString KeyPath(const QString& section, const QString& key)
    {
        return section + QLatin1Char('/') + key;
    }

    std::runtime_error StoreError(const QString& what, const QString& path)
    {
        return std::runtime_error(
            QStringLiteral("%1: %2").arg(what, QDir::toNativeSeparators(path)).toStdString());
    }

} // namespace

SettingsStore::SettingsStore() = default;

SettingsStore::SettingsStore(QString fileName)
    : m_fileName(std::move(fileName))
{
}

QString SettingsStore::path(const QString& application) const
{
    if (!m_fileName.isEmpty())
        return m_fileName;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
        + application + QStringLiteral(".ini");
}

std::optional<QString>
SettingsStore::findSetting(const QString& application, const QString& section, const QString& key) const
{
    QSettings store(path(application), QSettings::IniFormat);
    if (store.status() != QSettings::NoError)
        throw StoreError(QStringLiteral("The settings cannot be read"), store.fileName());
    const QVariant value = store.value(KeyPath(section, key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

QString SettingsStore::GetSetting(const QString& application,
                                  const QString& section,
                                  const QString& key,
                                  const QString& defaultValue) const
{
    return findSetting(application, section, key).value_or(defaultValue);
}

void SettingsStore::SaveSetting(const QString& application,
                                const QString& section,
                                const QString& key,
                                const QString& value)
{
    const QString file = path(application);
    // QSettings creates the file but not its folder.
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings store(file, QSettings::IniFormat);
    const QString keyPath = KeyPath(section, key);
    const QVariant old = store.value(keyPath);
    store.setValue(keyPath, value);
    store.sync();
    if (store.status() == QSettings::NoError)
        return;
    // Keep the old value, also for later readers in this process.
    if (old.isValid())
        store.setValue(keyPath, old);
    else
        store.remove(keyPath);
    store.sync();
    throw StoreError(QStringLiteral("The setting \"%1\" cannot be saved").arg(key), file);
}

} // namespace orvandel
