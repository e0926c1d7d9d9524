#include "SettingsFile.h"

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

SettingsFile::SettingsFile(QString fileName)
    : m_fileName(std::move(fileName))
{
}

QString SettingsFile::path(const QString& application) const
{
    if (!m_fileName.isEmpty())
        return m_fileName;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/')
        + application + QStringLiteral(".ini");
}

std::optional<QString>
SettingsFile::read(const QString& application, const QString& section, const QString& key) const
{
    QSettings store(path(application), QSettings::IniFormat);
    if (store.status() != QSettings::NoError)
        throw StoreError(QStringLiteral("The settings cannot be read"), store.fileName());
    const QVariant value = store.value(KeyPath(section, key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

void SettingsFile::write(const QString& application,
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
