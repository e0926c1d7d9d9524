#pragma once

#if defined(_WIN32)

#include <string>
#include <string_view>

// Windows names files in UTF-16; the program's texts are UTF-8. These conversions never throw:
// a byte that is not UTF-8, or a lone surrogate, becomes U+FFFD.
namespace orvandel {

std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

} // namespace orvandel

#endif
