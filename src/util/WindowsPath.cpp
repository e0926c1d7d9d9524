#include "WindowsPath.h"

#include "WideText.h"

#include <vector>
#include <windows.h>

namespace orvandel {

namespace {

    bool IsSeparator(wchar_t c)
    {
        return c == L'\\' || c == L'/';
    }

    std::wstring CurrentFolder()
    {
        std::wstring folder(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length = ::GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
            if (length == 0)
                return {};
            if (length < folder.size()) {
                folder.resize(length);
                return folder;
            }
            folder.resize(length);
        }
    }

    // The current folder of a drive ("D:" gives "D:\Work"), as the system keeps one for each.
    std::wstring DriveFolder(wchar_t drive)
    {
        const wchar_t name[] = {drive, L':', L'\0'};
        std::wstring folder(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length
                = ::GetFullPathNameW(name, static_cast<DWORD>(folder.size()), folder.data(), nullptr);
            if (length == 0)
                return std::wstring(1, drive) + L":\\";
            if (length < folder.size()) {
                folder.resize(length);
                return folder;
            }
            folder.resize(length);
        }
    }

} // namespace

std::wstring LongPath(std::string_view utf8)
{
    std::wstring path = Utf8ToWide(utf8);
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0)
        return path;

    // The root that stays, and the names after it.
    std::wstring root;
    std::wstring rest;
    const auto driveAt = [](const std::wstring& text) {
        return text.size() >= 2 && text[1] == L':'
            && ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
    };
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // "\\server\share\rest"
        std::size_t at = 2;
        const std::size_t server = path.find(L'\\', at);
        const std::size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
        root = L"\\\\?\\UNC\\" + path.substr(2, share == std::wstring::npos ? std::wstring::npos : share - 2);
        rest = share == std::wstring::npos ? std::wstring() : path.substr(share);
    } else if (driveAt(path) && path.size() >= 3 && IsSeparator(path[2])) {
        root = L"\\\\?\\" + path.substr(0, 2);
        rest = path.substr(2);
    } else if (driveAt(path)) {
        // "C:name": from the drive's current folder.
        return LongPath(WideToUtf8(DriveFolder(path[0]) + L"\\" + path.substr(2)));
    } else if (!path.empty() && IsSeparator(path[0])) {
        // "\name": from the current drive's root.
        const std::wstring current = CurrentFolder();
        if (current.size() < 2)
            return path;
        return LongPath(WideToUtf8((driveAt(current) ? current.substr(0, 2) : current) + path));
    } else {
        const std::wstring current = CurrentFolder();
        if (current.empty())
            return path;
        return LongPath(WideToUtf8(current + L"\\" + path));
    }

    std::vector<std::wstring> names;
    std::size_t at = 0;
    while (at <= rest.size()) {
        const std::size_t end = rest.find(L'\\', at);
        const std::wstring name = rest.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        if (name == L"..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != L".") {
            names.push_back(name);
        }
        if (end == std::wstring::npos)
            break;
        at = end + 1;
    }
    std::wstring result = root;
    for (const std::wstring& name : names)
        result += L"\\" + name;
    if (names.empty())
        result += L"\\"; // a drive's or a share's root
    return result;
}

std::error_code Win32ErrorCode(unsigned long error)
{
    const std::error_code code(static_cast<int>(error), std::system_category());
    const std::error_condition condition = code.default_error_condition();
    if (condition.category() == std::generic_category())
        return {condition.value(), std::generic_category()};
    return code;
}

} // namespace orvandel
