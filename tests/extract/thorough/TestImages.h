#pragma once

#include "support/Base64Encode.h" // ToBase64

#include <cstddef>
#include <string>
#include <string_view>

// Small images for the tests: the leading bytes that each format begins with, then `payload`, so
// that every image of a test is told apart by its payload.
namespace orvandel::test {

std::string JpegImage(std::string_view payload = "jpeg payload");
std::string PngImage(std::string_view payload = "png payload");
std::string GifImage(std::string_view payload = "gif payload");
std::string BmpImage(std::string_view payload = "bmp payload");
std::string TiffImage(std::string_view payload = "tiff payload", bool bigEndian = false);
std::string WebPImage(std::string_view payload = "webp payload");
std::string HeicImage(std::string_view payload = "heic payload");
std::string AvifImage(std::string_view payload = "avif payload");

// `text` cut into lines of `width` characters; every line after the first starts with `indent`.
// Lines are joined with `lineEnd`.
std::string Fold(std::string_view text, std::size_t width, std::string_view indent, std::string_view lineEnd);

// UTF-8 text as UTF-16, little- or big-endian, with or without a byte-order mark.
std::string ToUtf16(std::string_view utf8, bool bigEndian, bool byteOrderMark);

// Every "\n" of `text` replaced by `lineEnd`.
std::string WithLineEnds(std::string_view text, std::string_view lineEnd);

} // namespace orvandel::test
