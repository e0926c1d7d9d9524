#pragma once

#include <climits>
#include <cstddef>
#include <string>
#include <string_view>

// Rules on file and folder names as the folder scan sees them. Names are UTF-8; a byte that
// does not start a valid UTF-8 sequence counts as one character of its own.
namespace orvandel {

#if defined(_WIN32)
// Folders whose path (with its trailing separator) or whose own name is this many characters
// long or longer are not followed: the limits of a "\\?\" path, through which folders are read,
// and of a name.
inline constexpr std::size_t kMaxFolderPath = 32760;
inline constexpr std::size_t kMaxFolderName = 256;
#else
// The system's own limits, in bytes: a path (with its trailing "/") of PATH_MAX bytes or more
// cannot be opened, nor a name longer than NAME_MAX bytes.
inline constexpr std::size_t kMaxFolderPath = PATH_MAX;
inline constexpr std::size_t kMaxFolderName = NAME_MAX + 1;
#endif

// True when a folder of this path (with its trailing "/") is not followed, being too long.
bool FolderPathTooLong(std::string_view path);
// True when a folder of this name is not followed, being too long.
bool FolderNameTooLong(std::string_view name);

// The number of characters (not bytes) of a UTF-8 text.
std::size_t CountCharacters(std::string_view text);

// True when a folder of this name must not be followed: it holds a control character (below
// 32, or from 127 to 159), a "?", or bytes that are not UTF-8 (which could not be shown and
// would turn into "?"). Every other character is fine; an empty name gives false. On Windows each
// character is judged by its code in the ANSI code page: one the code page cannot represent (it
// would be "?") or that takes two bytes there is invalid too, and so, in Windows-1252, are the
// euro sign, the curly quotes and the dashes (128 to 159).
bool HasInvalidChars(std::string_view name);

// The order in which names of one folder are listed: alphabetical with case ignored, letters
// compared as capitals (so "_" sorts after the letters, as on the Windows file system), and
// names that differ only in case in byte order, so that the order is total.
bool ListingOrderLess(std::string_view a, std::string_view b);

} // namespace orvandel
