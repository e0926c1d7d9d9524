#include "SettingsFile.h"

#include "util/FileError.h"
#include "util/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <stdexcept>

namespace orvandel {

namespace {

    QString KeyPath(const QString& section, const QString& key)
    {
        return section + QLatin1Char('/') + key;
    }

    std::string Bytes(const QString& path)
    {
        return QFile::encodeName(path).toStdString();
    }

    // Why a file could not be read, in a few words.
    QString Why(const FileError& error)
    {
        switch (error.kind()) {
        case FileErrorKind::NotRegularFile:
            return QStringLiteral("it is not a regular file");
        case FileErrorKind::TooLarge:
            return QStringLiteral("it is larger than 1 MB");
        default:
            return error.code() ? QString::fromStdString(error.code().message())
                                : QString::fromStdString(error.what());
        }
    }

    std::runtime_error StoreError(const QString& what, const QString& path, const QString& why)
    {
        return std::runtime_error(
            QStringLiteral("%1: %2 (%3)").arg(what, QDir::toNativeSeparators(path), why).toStdString());
    }

    // The settings of one file in Qt's INI form, parsed and written by QSettings on a private copy,
    // so that QSettings itself never opens the user's file: what stands there is read and
    // replaced only by the rules above.
    class IniCopy
    {
    public:
        explicit IniCopy(const QByteArray& bytes)
        {
            if (!m_folder.isValid())
                throw std::runtime_error("No temporary folder for the settings");
            m_path = m_folder.filePath(QStringLiteral("settings.ini"));
            QFile file(m_path);
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                throw std::runtime_error("No temporary copy of the settings could be written");
        }

        std::optional<QString> value(const QString& keyPath) const
        {
            const QVariant value = QSettings(m_path, QSettings::IniFormat).value(keyPath);
            if (!value.isValid())
                return std::nullopt;
            return value.toString();
        }

        QByteArray with(const QString& keyPath, const QString& value) const
        {
            {
                QSettings settings(m_path, QSettings::IniFormat);
                settings.setValue(keyPath, value);
                settings.sync();
                if (settings.status() != QSettings::NoError)
                    throw std::runtime_error("The settings could not be written out");
            }
            QFile file(m_path);
            if (!file.open(QIODevice::ReadOnly))
                throw std::runtime_error("The settings could not be written out");
            return file.readAll();
        }

    private:
        QTemporaryDir m_folder;
        QString m_path;
    };

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

std::optional<QByteArray> SettingsFile::load(const QString& path)
{
    try {
        return QByteArray::fromStdString(ReadRegularFileUpTo(Bytes(path), kMaxFileBytes));
    } catch (const FileError& error) {
        // Nothing can stand at a name whose folder is a file either.
        if (error.kind() == FileErrorKind::NotFound || error.code() == std::errc::not_a_directory)
            return std::nullopt;
        throw;
    }
}

std::optional<QString>
SettingsFile::read(const QString& application, const QString& section, const QString& key) const
{
    const QString file = path(application);
    std::optional<QByteArray> bytes;
    try {
        bytes = load(file);
    } catch (const FileError& error) {
        throw StoreError(QStringLiteral("The settings cannot be read"), file, Why(error));
    }
    if (!bytes)
        return std::nullopt;
    return IniCopy(*bytes).value(KeyPath(section, key));
}

void SettingsFile::write(const QString& application,
                         const QString& section,
                         const QString& key,
                         const QString& value)
{
    const QString file = path(application);
    const QString what = QStringLiteral("The setting \"%1\" cannot be saved").arg(key);
    // Only a regular file is ever written, or one created where nothing stands: a pipe, a
    // device or a folder at the name (also behind a link) is left alone, and so is a file too
    // large to be read, whose other values would be lost.
    std::optional<QByteArray> bytes;
    try {
        bytes = load(file);
    } catch (const FileError& error) {
        throw StoreError(what, file, Why(error));
    }
    const IniCopy copy(bytes.value_or(QByteArray()));
    const QString keyPath = KeyPath(section, key);
    // A value that is stored already costs no write.
    if (copy.value(keyPath) == value)
        return;
    const QByteArray changed = copy.with(keyPath, value);
    // QSaveFile writes the file anew beside the one it replaces (behind a link, beside the
    // link's target), so that the old values stay whole until the new ones are.
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(changed) != changed.size() || !out.commit())
        throw StoreError(what, file, out.errorString());
}

} // namespace orvandel
