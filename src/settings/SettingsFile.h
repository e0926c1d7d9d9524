#pragma once

#include "SettingsBackend.h"

namespace orvandel {

// The values in an INI file, one section per section: the per-user file named after the
// application in the user's configuration folder (~/.config/Quorvane.ini), or a file of its own.
class SettingsFile : public SettingsBackend
{
public:
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

    QString m_fileName;
};

} // namespace orvandel
