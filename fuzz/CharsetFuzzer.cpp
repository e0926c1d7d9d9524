// The conversion of names to UTF-8 on any bytes in the character sets that cards name: whatever
// the bytes, the result is UTF-8 that holds only Unicode characters (no surrogates, nothing beyond
// U+10FFFF, no long forms). The first byte is not text: it chooses the set; with its top bit set,
// the set's name is the bytes up to the first NUL instead.

#include "extract/thorough/Charset.h"
#include "util/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr const char* kCharsets[] = {
    "UTF-8",      "ISO-8859-1", "WINDOWS-1252", "US-ASCII",  "UTF-16", "UTF-16LE",    "UTF-16BE",
    "UTF-32",     "UTF-32LE",   "UCS-4",        "UCS-4LE",   "UCS-2",  "SHIFT_JIS",   "GB2312",
    "BIG5",       "EUC-KR",     "EUC-JP",       "KOI8-R",    "UTF-7",  "ISO-2022-JP", "WINDOWS-1251",
    "ISO-8859-7", "GB18030",    "CP437",        "X-UNKNOWN", "",       "utf8",        "Latin1",
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string charset;
    if (data[0] & 0x80) {
        const auto end = bytes.find('\0');
        charset = std::string(bytes.substr(0, end));
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    } else {
        charset = kCharsets[data[0] % (sizeof kCharsets / sizeof kCharsets[0])];
    }
    const std::string text = orvandel::CharsetToUtf8(bytes, charset);
    for (std::size_t i = 0; i < text.size();) {
        const orvandel::Utf8Char character = orvandel::DecodeUtf8At(text, i);
        if (!character.valid)
            std::abort();
        i += character.length;
    }
    return 0;
}
