#include "SettingsStore.h"

#include "SettingsFile.h"
#if defined(_WIN32)
#include "SettingsRegistry.h"
#endif

namespace orvandel {

namespace {

    std::unique_ptr<SettingsBackend> PerUserStore()
    {
#if defined(_WIN32)
        return std::make_unique<SettingsRegistry>();
#else
        return std::make_unique<SettingsFile>();
#endif
    }

} // namespace

SettingsStore::SettingsStore()
    : m_backend(PerUserStore())
{
}

SettingsStore::SettingsStore(QString fileName)
    : m_backend(std::make_unique<SettingsFile>(std::move(fileName)))
{
}

SettingsStore::~SettingsStore() = default;

std::optional<QString>
SettingsStore::findSetting(const QString& application, const QString& section, const QString& key) const
{
    return m_backend->read(application, section, key);
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
    m_backend->write(application, section, key, value);
}

} // namespace orvandel
