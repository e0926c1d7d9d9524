#pragma once

#include <QString>
#include <optional>

namespace orvandel {

// Where the remembered values are kept: text values under an application, a section and a key.
// Both operations throw std::runtime_error with a sentence that names the store and why.
class SettingsBackend
{
public:
    virtual ~SettingsBackend() = default;

    // The stored value, or nothing when the key was never written.
    virtual std::optional<QString>
    read(const QString& application, const QString& section, const QString& key) const = 0;
    // Stores the value at once; on failure the old value stays.
    virtual void
    write(const QString& application, const QString& section, const QString& key, const QString& value)
        = 0;
};

} // namespace orvandel
