#pragma once

#include <string>
#include <string_view>

namespace orvandel {

// `text` as the command line writes it to a terminal or into a field of a tab-separated line:
// valid UTF-8 without a control character, so that nothing can move the cursor, change
// colours or split a line, and so that the exact bytes can be read back. A backslash becomes
// "\\" (on Windows, where it separates the parts of every path, it stays as it is); tab, line
// feed and carriage return become "\t", "\n" and "\r"; every other byte of a control character
// (C0, DEL, and C1 written as UTF-8) and every byte that is not part of valid UTF-8 becomes "\x"
// and two lower-case hexadecimal digits. Everything else stays as it is.
std::string TerminalText(std::string_view text);

} // namespace orvandel
