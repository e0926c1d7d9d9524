#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Rules on file and folder names as the folder scan sees them. Names are UTF-8; a byte that
// does not start a valid UTF-8 sequence counts as one character of its own.
namespace orvandel {

// Folders whose path (with its trailing "/") or whose own name is this many characters long
// or longer are not followed.
inline constexpr std::size_t kMaxFolderChars = 260;

// The number of characters (not bytes) of a UTF-8 text.
std::size_t CountCharacters(std::string_view text);

// True when a folder of this name must not be followed: it holds a control character (below
// 32, or from 127 to 159), a "?", or bytes that are not UTF-8 (which could not be shown and
// would turn into "?"). Every other character is fine; an empty name gives false.
bool HasInvalidChars(std::string_view name);

// The order in which names of one folder are listed: alphabetical with case ignored, letters
// compared as capitals (so "_" sorts after the letters, as on the Windows file system), and
// names that differ only in case in byte order, so that the order is total.
bool ListingOrderLess(std::string_view a, std::string_view b);

} // namespace orvandel
