#pragma once

#include <QString>
#include <memory>
#include <optional>

namespace orvandel {

class SettingsBackend;

// The program's remembered values: text per user, under an application name, a section and a
// key. Every read goes to the store and every write reaches it at once; nothing is cached.
class SettingsStore
{
public:
    // The current user's store: the registry on Windows, an INI file in the user's
    // configuration folder elsewhere.
    SettingsStore();
    // A store kept in the given INI file, for tests.
    explicit SettingsStore(QString fileName);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The stored value, or `defaultValue` when the key was never written. Throws
    // std::runtime_error when the store cannot be read.
    QString GetSetting(const QString& application,
                       const QString& section,
                       const QString& key,
                       const QString& defaultValue) const;
    // The stored value, or nothing when the key was never written.
    std::optional<QString>
    findSetting(const QString& application, const QString& section, const QString& key) const;
    // Stores the value at once. Throws std::runtime_error when it cannot be stored; the old
    // value then stays.
    void
    SaveSetting(const QString& application, const QString& section, const QString& key, const QString& value);

private:
    std::unique_ptr<SettingsBackend> m_backend;
};

// The names this program keeps its values under.
inline const QString kSettingsApplication = QStringLiteral("Quorvane");
inline const QString kSettingsSection = QStringLiteral("Orvandel");

} // namespace orvandel
