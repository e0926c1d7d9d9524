#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvandel::test {

// Appends `bytes` as standard Base64 with padding, on one line, to `out`. Tests and benchmarks
// make their card data with it; the program itself only decodes.
inline void AppendBase64(std::string_view bytes, std::string& out)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto at = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(bytes[i])); };
    out.reserve(out.size() + (bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = (at(i) << 16) | (at(i + 1) << 8) | at(i + 2);
        for (int shift = 18; shift >= 0; shift -= 6)
            out += kAlphabet[(group >> shift) & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        const std::uint32_t group = (at(i) << 16) | (rest == 2 ? at(i + 1) << 8 : 0);
        out += kAlphabet[(group >> 18) & 63];
        out += kAlphabet[(group >> 12) & 63];
        out += rest == 2 ? kAlphabet[(group >> 6) & 63] : '=';
        out += '=';
    }
}

inline std::string ToBase64(std::string_view bytes)
{
    std::string out;
    AppendBase64(bytes, out);
    return out;
}

} // namespace orvandel::test
