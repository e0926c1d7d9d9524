#include "PathHelpers.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <system_error>

#if defined(__unix__) || defined(__APPLE__)
#include <pwd.h>
#include <unistd.h>
#elif defined(_WIN32)
#include "WideText.h"
#include "WindowsPath.h"

#include <shlobj.h>
#include <windows.h>
#endif

namespace orvandel {

namespace fs = std::filesystem;

fs::path ToFsPath(std::string_view utf8)
{
#if defined(_WIN32)
    return fs::path(Utf8ToWide(utf8));
#else
    return fs::path(std::string(utf8));
#endif
}

std::string FromFsPath(const fs::path& path)
{
#if defined(_WIN32)
    return WideToUtf8(path.native());
#else
    return path.string();
#endif
}

namespace {

    // What stands at a path, links followed, with one look.
    struct Look
    {
        std::error_code error; // no_such_file_or_directory when nothing stands there
        bool directory = false;
        bool regular = false;
        std::uint64_t size = 0;
    };

    // The size is read only when `withSize` asks for it: elsewhere a second call for nothing.
    Look LookAt(const std::string& path, [[maybe_unused]] bool withSize = false)
    {
        Look look;
        if (path.empty()) {
            look.error = std::make_error_code(std::errc::no_such_file_or_directory);
            return look;
        }
#if defined(_WIN32)
        // Through the "\\?\" form, so that every name Windows can hold is looked at as it is.
        WIN32_FILE_ATTRIBUTE_DATA data {};
        if (!::GetFileAttributesExW(LongPath(path).c_str(), GetFileExInfoStandard, &data)) {
            const DWORD error = ::GetLastError();
            look.error = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                    || error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH
                    || error == ERROR_BAD_NET_NAME
                ? std::make_error_code(std::errc::no_such_file_or_directory)
                : Win32ErrorCode(error);
            return look;
        }
        look.directory = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        look.regular = !look.directory && (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
        look.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
#else
        const auto status = fs::status(ToFsPath(path), look.error);
        if (status.type() == fs::file_type::not_found)
            look.error = std::make_error_code(std::errc::no_such_file_or_directory);
        look.directory = fs::is_directory(status);
        look.regular = fs::is_regular_file(status);
        if (look.regular && withSize) {
            std::error_code ignored;
            const auto size = fs::file_size(ToFsPath(path), ignored);
            look.size = ignored ? 0 : static_cast<std::uint64_t>(size);
        }
#endif
        return look;
    }

} // namespace

bool FileExists(const std::string& path)
{
    return !LookAt(path).error;
}

bool IsDirectory(const std::string& path)
{
    return LookAt(path).directory;
}

std::error_code FolderProblem(const std::string& path)
{
    const Look look = LookAt(path);
    if (look.directory)
        return {};
    if (look.error)
        return look.error;
    return std::make_error_code(std::errc::not_a_directory);
}

bool PathExists(const std::string& path)
{
    return LookAt(path).regular;
}

std::uint64_t FileSizeOf(const std::string& path)
{
    return LookAt(path, true).size;
}

std::string GetFileName(std::string_view path)
{
#if defined(_WIN32)
    auto slash = path.find_last_of("\\/");
    // "C:card.vcf" is card.vcf in the drive's current folder.
    if (slash == std::string_view::npos && path.size() >= 2 && path[1] == ':')
        slash = 1;
#else
    const auto slash = path.rfind(kSeparator);
#endif
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string StripExtension(std::string_view name)
{
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0)
        return std::string(name);
    // The position was counted from 1 in a 16-bit signed number.
    if (dot + 1 > 32767)
        throw std::overflow_error("Overflow");
    return std::string(name.substr(0, dot));
}

namespace {

    void CollapseDoubledSeparators(std::string_view text, std::string& out)
    {
        for (std::size_t i = 0; i < text.size(); ++i) {
            out += text[i];
            if (text[i] == kSeparator && i + 1 < text.size() && text[i + 1] == kSeparator)
                ++i;
        }
    }

} // namespace

std::string NormalizeBackslashes(std::string_view path)
{
    std::string out;
    out.reserve(path.size() + 1);
#if defined(_WIN32)
    // Any run of leading "\" is the network prefix and becomes exactly "\\".
    const bool prefixed = !path.empty() && path[0] == kSeparator;
#else
    // A single leading "/" is the root and stays single; a run of two or more is the
    // network prefix and becomes exactly "//".
    const bool prefixed = path.size() >= 2 && path[0] == kSeparator && path[1] == kSeparator;
#endif
    if (!prefixed) {
        CollapseDoubledSeparators(path, out);
        return out;
    }
    const auto rest = path.find_first_not_of(kSeparator);
    out.assign(2, kSeparator);
    if (rest != std::string_view::npos)
        CollapseDoubledSeparators(path.substr(rest), out);
    return out;
}

#if !defined(_WIN32)
namespace {

    std::string EnvText(const char* name)
    {
        const char* value = std::getenv(name);
        return value ? std::string(value) : std::string();
    }

    std::string HomeFolder()
    {
        std::string home = EnvText("HOME");
#if defined(__unix__) || defined(__APPLE__)
        if (home.empty()) {
            if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
                home = entry->pw_dir;
        }
#endif
        return home;
    }

    // The XDG_DESKTOP_DIR entry of user-dirs.dirs: a quoted absolute path or "$HOME/...".
    std::string XdgDesktopFolder(const std::string& home)
    {
        std::string configHome = EnvText("XDG_CONFIG_HOME");
        if (configHome.empty())
            configHome = home + "/.config";
        std::ifstream dirs(ToFsPath(configHome + "/user-dirs.dirs"));
        std::string line;
        const std::string key = "XDG_DESKTOP_DIR=";
        while (std::getline(dirs, line)) {
            if (line.compare(0, key.size(), key) != 0)
                continue;
            std::string value = line.substr(key.size());
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
            if (value.compare(0, 5, "$HOME") == 0)
                value = home + value.substr(5);
            if (!value.empty() && value.front() == '/')
                return value;
        }
        return home + "/Desktop";
    }

} // namespace
#endif

std::string WithTrailingSeparator(std::string_view folder)
{
    std::string out(folder);
    if (!out.empty() && !IsSeparator(out.back()))
        out += kSeparator;
    return out;
}

#if defined(_WIN32)

std::string GetDesktopFolder()
{
    PWSTR found = nullptr;
    const HRESULT result = ::SHGetKnownFolderPath(FOLDERID_Desktop, KF_FLAG_DEFAULT, nullptr, &found);
    std::string desktop;
    if (SUCCEEDED(result) && found)
        desktop = WideToUtf8(found);
    ::CoTaskMemFree(found);
    if (desktop.empty())
        throw std::runtime_error("The desktop folder cannot be found.");
    return WithTrailingSeparator(desktop);
}

#else

std::string GetDesktopFolder()
{
    const std::string home = HomeFolder();
    if (home.empty())
        throw std::runtime_error("The desktop folder cannot be found: the home folder is not set.");
    const std::string desktop = XdgDesktopFolder(home);
    return WithTrailingSeparator(IsDirectory(desktop) ? desktop : home);
}

#endif

} // namespace orvandel
