#include "SettingsRegistry.h"

#include <stdexcept>
#include <string>
#include <windows.h>

namespace orvandel {

namespace {

    // The longest path Windows takes, through its "\\?\" form.
    constexpr std::size_t kMaxPathCharacters = 32767;

    std::wstring Wide(const QString& text)
    {
        return text.toStdWString();
    }

    std::wstring SubKey(const QString& application, const QString& section)
    {
        return Wide(QStringLiteral("Software\\") + application + QLatin1Char('\\') + section);
    }

    // The system's own words for an error code, without the line break it ends with.
    QString SystemMessage(LSTATUS code)
    {
        wchar_t* buffer = nullptr;
        const DWORD length = ::FormatMessageW(
            FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
        QString text = length > 0 ? QString::fromWCharArray(buffer, static_cast<qsizetype>(length)).trimmed()
                                  : QStringLiteral("error %1").arg(code);
        if (buffer)
            ::LocalFree(buffer);
        return text;
    }

    std::runtime_error StoreError(const QString& what, const QString& keyName, LSTATUS code)
    {
        return std::runtime_error(
            QStringLiteral("%1: %2: %3").arg(what, keyName, SystemMessage(code)).toStdString());
    }

} // namespace

QString SettingsRegistry::keyName(const QString& application, const QString& section)
{
    return QStringLiteral("HKEY_CURRENT_USER\\") + QString::fromStdWString(SubKey(application, section));
}

std::optional<QString>
SettingsRegistry::read(const QString& application, const QString& section, const QString& key) const
{
    const std::wstring subKey = SubKey(application, section);
    const std::wstring name = Wide(key);
    // Text values only, as Windows keeps them: "%USERPROFILE%\\Desktop" in an expandable value
    // (REG_EXPAND_SZ) is expanded.
    // (RRF_RT_REG_SZ takes both then; RRF_RT_REG_EXPAND_SZ would ask for it unexpanded.)
    constexpr DWORD kTexts = RRF_RT_REG_SZ;
    for (;;) {
        DWORD bytes = 0;
        LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), kTexts, nullptr,
                                        nullptr, &bytes);
        if (status == ERROR_FILE_NOT_FOUND)
            return std::nullopt; // no key, or no value under it
        if (status == ERROR_UNSUPPORTED_TYPE)
            throw std::runtime_error(QStringLiteral("The setting \"%1\" is not a text value: %2")
                                         .arg(key, keyName(application, section))
                                         .toStdString());
        if (status != ERROR_SUCCESS)
            throw StoreError(QStringLiteral("The settings cannot be read"), keyName(application, section),
                             status);
        std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
        status = ::RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), name.c_str(), kTexts, nullptr,
                                value.data(), &size);
        if (status == ERROR_MORE_DATA)
            continue; // written meanwhile: longer now
        if (status == ERROR_FILE_NOT_FOUND)
            return std::nullopt;
        if (status != ERROR_SUCCESS)
            throw StoreError(QStringLiteral("The settings cannot be read"), keyName(application, section),
                             status);
        // The size counts the terminating NUL that the call adds.
        value.resize(size >= sizeof(wchar_t) ? size / sizeof(wchar_t) - 1 : 0);
        // No path is longer: such a value is no folder, and is left as it is.
        if (value.size() > kMaxPathCharacters)
            throw std::runtime_error(
                QStringLiteral("The settings cannot be read: the value \"%1\" is longer than "
                               "a path can be (%2 characters): %3")
                    .arg(key)
                    .arg(value.size())
                    .arg(keyName(application, section))
                    .toStdString());
        return QString::fromStdWString(value);
    }
}

void SettingsRegistry::write(const QString& application,
                             const QString& section,
                             const QString& key,
                             const QString& value)
{
    HKEY handle = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, SubKey(application, section).c_str(), 0, nullptr,
                                       REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status == ERROR_SUCCESS) {
        const std::wstring text = Wide(value);
        status = ::RegSetValueExW(handle, Wide(key).c_str(), 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(text.c_str()),
                                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        ::RegCloseKey(handle);
    }
    if (status != ERROR_SUCCESS)
        throw StoreError(QStringLiteral("The setting \"%1\" cannot be saved").arg(key),
                         keyName(application, section), status);
}

} // namespace orvandel
