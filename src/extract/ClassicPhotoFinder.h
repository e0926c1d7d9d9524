#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvandel {

class TextLines;

// The first photo of a card file as the classic run recognises it.
struct ClassicPhoto
{
    std::size_t lineIndex = 0; // the line that carries the photo header, from 0
    std::string_view header; // one of the five photo headers
    std::string_view extension; // ".jpg" or ".gif"
    std::string data; // the Base64 text with spaces and line breaks removed
};

// True when `header` (a line's text before its first ":") is one of the five photo headers.
bool IsClassicPhotoHeader(std::string_view header);

// Looks through the card lines from the top for the first line whose header is a photo header
// and whose data is not empty. The data starts after the first occurrence of that header and
// ":" in the card text, and ends at the first "==" (included), else the first "=" (included),
// else the "Z" of the first "ZENDVCARD" found within the photo's own text: from the data start
// up to the first line that begins after it and holds a ":", or the end of the text. With no
// marker there, that whole text is the data (Base64 without padding).
std::optional<ClassicPhoto> FindClassicPhoto(const TextLines& card);

} // namespace orvandel
