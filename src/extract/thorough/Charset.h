#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvandel {

// Text in the character set that a card names (CHARSET=...), as UTF-8. Bytes that the set does
// not define, and a sequence cut off at the end, become U+FFFD; what can be decoded is. UTF-8,
// ISO 8859-1 and Windows-1252 are built in; every other set the system knows is converted with
// iconv(3); a set neither knows is read as ISO 8859-1. "UTF-16" without a byte-order mark is
// big-endian unless its zero bytes show it to be little-endian. A byte-order mark at the start
// is dropped.
std::string CharsetToUtf8(std::string_view bytes, std::string_view charset);

// The sets built in here: UTF-8, US-ASCII, ISO 8859-1 and Windows-1252 under their usual names,
// in any case. nullopt for any other set.
std::optional<std::string> BuiltInCharsetToUtf8(std::string_view bytes, std::string_view charset);

// The system's conversion (iconv), where there is one. nullopt when there is none or it does not
// know the set.
std::optional<std::string> SystemCharsetToUtf8(std::string_view bytes, std::string_view charset);

// True when this program was built with the system's conversion.
bool HasSystemCharsets() noexcept;

} // namespace orvandel
