#include "TestImages.h"

#include <cstdint>

namespace orvandel::test {

namespace {

    std::string LittleEndian32(std::uint32_t value)
    {
        std::string out(4, '\0');
        for (int i = 0; i < 4; ++i)
            out[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
        return out;
    }

    std::string BigEndian32(std::uint32_t value)
    {
        std::string out(4, '\0');
        for (int i = 0; i < 4; ++i)
            out[static_cast<std::size_t>(i)] = static_cast<char>(value >> (24 - 8 * i));
        return out;
    }

} // namespace

std::string JpegImage(std::string_view payload)
{
    // Start of image, a JFIF APP0 segment, the payload, end of image.
    std::string image("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20);
    image += payload;
    image += "\xFF\xD9";
    return image;
}

std::string PngImage(std::string_view payload)
{
    std::string image("\x89PNG\r\n\x1A\n", 8);
    image += BigEndian32(13) + "IHDR" + BigEndian32(1) + BigEndian32(1)
        + std::string("\x08\x00\x00\x00\x00", 5);
    image += payload;
    return image;
}

std::string GifImage(std::string_view payload)
{
    return "GIF89a" + std::string("\x01\x00\x01\x00\x00\x00\x00", 7) + std::string(payload);
}

std::string BmpImage(std::string_view payload)
{
    const auto size = static_cast<std::uint32_t>(54 + payload.size());
    return "BM" + LittleEndian32(size) + LittleEndian32(0) + LittleEndian32(54) + LittleEndian32(40)
        + std::string(payload);
}

std::string TiffImage(std::string_view payload, bool bigEndian)
{
    if (bigEndian)
        return std::string("MM\0*", 4) + BigEndian32(8) + std::string(payload);
    return std::string("II*\0", 4) + LittleEndian32(8) + std::string(payload);
}

std::string WebPImage(std::string_view payload)
{
    return "RIFF" + LittleEndian32(static_cast<std::uint32_t>(12 + payload.size())) + "WEBPVP8 "
        + LittleEndian32(static_cast<std::uint32_t>(payload.size())) + std::string(payload);
}

std::string HeicImage(std::string_view payload)
{
    return BigEndian32(24) + "ftypheic" + BigEndian32(0) + "mif1heic" + std::string(payload);
}

std::string AvifImage(std::string_view payload)
{
    return BigEndian32(28) + "ftypavif" + BigEndian32(0) + "avifmif1miaf" + std::string(payload);
}

std::string Fold(std::string_view text, std::size_t width, std::string_view indent, std::string_view lineEnd)
{
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += width) {
        if (at > 0) {
            out += lineEnd;
            out += indent;
        }
        out += text.substr(at, width);
    }
    return out;
}

std::string ToUtf16(std::string_view utf8, bool bigEndian, bool byteOrderMark)
{
    std::string out;
    const auto put = [&](std::uint32_t unit) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    };
    if (byteOrderMark)
        put(0xFEFF);
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::uint32_t code = lead;
        std::size_t length = 1;
        if (lead >= 0xF0) {
            code = lead & 0x07;
            length = 4;
        } else if (lead >= 0xE0) {
            code = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xC0) {
            code = lead & 0x1F;
            length = 2;
        }
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += length;
        if (code >= 0x10000) {
            put(0xD800 + ((code - 0x10000) >> 10));
            put(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            put(code);
        }
    }
    return out;
}

std::string WithLineEnds(std::string_view text, std::string_view lineEnd)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += lineEnd;
        else
            out += c;
    }
    return out;
}

} // namespace orvandel::test
