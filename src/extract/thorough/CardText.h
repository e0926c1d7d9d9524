#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvandel {

// Decodes quoted-printable text: "=4A" is the byte 0x4A; an "=" not followed by two hexadecimal
// digits stays as it is.
std::string DecodeQuotedPrintable(std::string_view text);

// Undoes the escapes of vCard text: "\," "\;" "\:" and "\\" give the character, "\n" and "\N"
// a line break. Any other backslash stays.
std::string UnescapeCardText(std::string_view text);

// Undoes the escapes of the separators only: "\," "\;" "\:" and "\\" give the character; any
// other backslash stays.
std::string UnescapeSeparators(std::string_view text);

// The parts of `text` between the `separator`s that do not stand between double quotes.
std::vector<std::string_view> SplitOutsideQuotes(std::string_view text, char separator);

// The value of a text property (FN, UID) as UTF-8: quoted-printable decoded when `encoding` says
// so, then converted from the character set that `charset` names (see CharsetToUtf8; nothing is
// converted when it names none), unescaped, and trimmed of blanks.
std::string DecodeCardTextValue(std::string_view raw, std::string_view encoding, std::string_view charset);

} // namespace orvandel
