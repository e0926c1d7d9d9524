#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvandel {

class TextLines;

// Where the first photo of a card file stands, as the classic run recognises it.
struct ClassicPhotoPlace
{
    std::size_t lineIndex = 0; // the line that carries the photo header, from 0
    std::string_view header; // one of the five photo headers
    std::string_view extension; // ".jpg" or ".gif"
    std::size_t dataStart = 0; // the photo's data in the card text, blanks and line breaks still in it
    std::size_t dataEnd = 0;
};

// True when `header` (a line's text before its first ":") is one of the five photo headers.
bool IsClassicPhotoHeader(std::string_view header);

// Looks through the card lines from the top for the first line whose header is a photo header
// and whose data is not empty. The data starts after the first occurrence of that header and
// ":" in the card text, and ends at the first "==" (included), else the first "=" (included),
// else the "Z" of the first "ZENDVCARD" found within the photo's own text: from the data start
// up to the first line that begins after it and holds a ":", or the end of the text. With no
// marker there, that whole text is the data (Base64 without padding). Takes time in proportion
// to the card text, however many lines repeat a header.
std::optional<ClassicPhotoPlace> LocateClassicPhoto(const TextLines& card);

// The bytes of the photo that LocateClassicPhoto found at `place` in `card`, decoded within the
// card text's own buffer: spaces and line breaks are taken out of the data, and Base64Decode
// decodes what is left over the text itself, so no copy of the text is made. The card hands
// its text over and is left empty. Throws Base64Error.
std::string DecodeClassicPhoto(TextLines& card, const ClassicPhotoPlace& place);

} // namespace orvandel
