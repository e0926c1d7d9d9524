#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace orvandel {

// File names are bytes; the window holds them as QString. A name that is not valid UTF-8 (an old
// Latin-1 name from a stick or an archive) must come back to the same bytes, or the run would
// look for another file: each byte that is not part of valid UTF-8 is kept as the lone
// surrogate U+DC80 to U+DCFF (the "surrogateescape" convention), which QString can hold.

// The path's bytes as text, every byte kept.
QString PathFromBytes(std::string_view bytes);
// The same, made absolute against the current folder (a name given on the command line).
QString AbsolutePathFromBytes(std::string_view bytes);
// The bytes again. Valid text gives its UTF-8; a lone surrogate U+DC80 to U+DCFF gives its byte.
std::string PathToBytes(const QString& path);
// The path as the user reads it: each kept byte shown as "\xHH", so that two names that differ
// only there look different.
QString PathForDisplay(const QString& path);

} // namespace orvandel
