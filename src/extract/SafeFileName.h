#pragma once

#include <string>
#include <string_view>

namespace orvandel {

// True for a name that Windows gives to a device, whatever follows it after a dot: CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM0 to COM9 and LPT0 to LPT9 (also with the superscript digits
// ¹, ² and ³), in any case.
bool IsReservedDeviceName(std::string_view base);

// A text turned into a file name that Linux and Windows both accept: "/", "\", ":", "*", "?",
// quote, "<", ">", "|", control characters (C0, DEL and C1, U+0080 to U+009F) and broken UTF-8
// become "_" (line breaks and tabs a blank); a leading dot becomes "_" so that the file is not
// hidden; blanks at either end and dots at the end go; a reserved device name (IsReservedDeviceName,
// before any dot) gets "_" appended; a name longer than 150 bytes is cut at a character boundary.
// The result may be empty. With `keepLeadingDot` a leading dot stays, as a card file's own name
// ".vcf" keeps it on Windows too (".vcf.jpg"): only what Windows cannot hold changes there.
std::string MakeSafeFileName(std::string_view text, bool keepLeadingDot = false);

} // namespace orvandel
