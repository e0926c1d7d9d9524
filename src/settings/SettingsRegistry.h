#pragma once

#if defined(_WIN32)

#include "SettingsBackend.h"

namespace orvandel {

// The values in the current user's registry, as Windows programs keep them: the key
// HKEY_CURRENT_USER\Software\<application>\<section>, one text value (REG_SZ) per key.
class SettingsRegistry : public SettingsBackend
{
public:
    std::optional<QString>
    read(const QString& application, const QString& section, const QString& key) const override;
    void write(const QString& application,
               const QString& section,
               const QString& key,
               const QString& value) override;

    // The key's full name as the registry editor shows it.
    static QString keyName(const QString& application, const QString& section);
};

} // namespace orvandel

#endif
