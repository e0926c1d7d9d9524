#pragma once

#include "SettingsBackend.h"

#include <QByteArray>
#include <cstddef>

namespace orvandel {

// The values in an INI file, one section per section: the per-user file named after the
// application in the user's configuration folder (~/.config/Quorvane.ini), or a file of its own.
// The file is read only when it is a regular file of at most 1 MB, without blocking on anything
// else that stands at its name, and written only where it is such a file or where nothing
// stands; a value already stored is not written again.
class SettingsFile : public SettingsBackend
{
public:
    static constexpr std::size_t kMaxFileBytes = 1024 * 1024;

    // Empty: the per-user file named after the application.
    explicit SettingsFile(QString fileName = {});

    std::optional<QString>
    read(const QString& application, const QString& section, const QString& key) const override;
    void write(const QString& application,
               const QString& section,
               const QString& key,
               const QString& value) override;

private:
    QString path(const QString& application) const;
    // The file's bytes; nothing when nothing stands at its name. Throws FileError.
    static std::optional<QByteArray> load(const QString& path);

    QString m_fileName;
};

} // namespace orvandel
