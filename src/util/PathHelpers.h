#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// Small path tests and splits that the whole program shares. Paths are UTF-8 text with
// "/" as the separator; "/" alone is the root, and a leading "//" marks a network path. On
// Windows the separator is "\" ("/" is accepted on input), paths may start with a drive
// ("C:\"), and a leading "\\" marks a network path ("\\server\share\").
namespace orvandel {

#if defined(_WIN32)
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// True for a character that separates a path's parts: "/", and on Windows "\" too.
constexpr bool IsSeparator(char c)
{
#if defined(_WIN32)
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

// The path object for a UTF-8 path text, on every platform. Never throws for the text: on
// Windows a byte that is not UTF-8 becomes U+FFFD.
std::filesystem::path ToFsPath(std::string_view utf8);
// The UTF-8 text of a path object.
std::string FromFsPath(const std::filesystem::path& path);

// True when the path names anything that can be looked at (a file, a folder, ...). Never throws.
bool FileExists(const std::string& path);
// True when the path names a folder (links followed); a trailing "/" does not matter. Never throws.
bool IsDirectory(const std::string& path);
// Nothing when the path names a folder, as IsDirectory; else why not, with one look: no such file
// or directory, not a directory, or what kept it from being looked at (Input/output error,
// Permission denied).
std::error_code FolderProblem(const std::string& path);
// True only for an existing regular file (links followed): false for folders, missing paths,
// pipes, devices and sockets. Never throws.
bool PathExists(const std::string& path);
// The size of the regular file at `path`, or 0 when it cannot be told. Never throws.
std::uint64_t FileSizeOf(const std::string& path);

// The text after the last "/": the whole path when it has none, empty when it ends with "/".
// On Windows after the last "\" or "/", or after a drive's ":" ("C:card.vcf" gives "card.vcf").
std::string GetFileName(std::string_view path);
// The name without its last extension: "card.one.vcf" gives "card.one"; a name whose only dot
// is its first character (".vcf") or that has none comes back unchanged. A last dot beyond
// position 32767 overflows the position counter and throws std::overflow_error.
std::string StripExtension(std::string_view name);
// Collapses doubled separators in one left-to-right pass ("a///b" becomes "a//b"). A path that
// starts with two or more separators keeps exactly two of them, the network prefix; a single
// leading "/" (the root) stays single. On Windows the separator is "\" ("/" is left as it is),
// and a single leading "\" becomes the prefix "\\" too.
std::string NormalizeBackslashes(std::string_view path);

// The folder text with a trailing separator (added unless it ends with one); an empty text stays
// empty.
std::string WithTrailingSeparator(std::string_view folder);

// The user's desktop folder with a trailing "/": the XDG desktop folder when it exists,
// else the home folder. On Windows the shell's desktop folder with a trailing "\". Throws
// std::runtime_error when neither can be found.
std::string GetDesktopFolder();

} // namespace orvandel
