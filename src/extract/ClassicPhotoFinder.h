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

// Looks through the lines of `card`, the card file's bytes as read, from the top for the first
// line whose header is a photo header and whose data is not empty. CR LF and LF end lines, a
// lone CR does not. The data starts after the first occurrence of that header and ":" in the
// card, and ends at the first "==" (included), else the first "=" (included), else the "Z" of
// the first "ZENDVCARD" found within the photo's own text: from the data start up to the first
// line that begins after it and holds a ":", or the end of the card. With no marker there, that
// whole text is the data (Base64 without padding).
//
// One pass over the card: its lines are found as it goes, up to the photo's, and each header's
// data is searched once, however many lines repeat it. The offsets are the card's own.
std::optional<ClassicPhotoPlace> LocateClassicPhoto(std::string_view card);
// The same in the text of `card`, its lines joined with LF.
std::optional<ClassicPhotoPlace> LocateClassicPhoto(const TextLines& card);

// The bytes of the photo that LocateClassicPhoto found at `place` in `card`, decoded within the
// card's own buffer: spaces and line breaks are taken out of the data, and Base64Decode decodes
// what is left over the text itself, so no copy of the card is made. Throws Base64Error.
std::string DecodeClassicPhoto(std::string card, const ClassicPhotoPlace& place);
// The same for the text of `card`, which hands its text over and is left empty.
std::string DecodeClassicPhoto(TextLines& card, const ClassicPhotoPlace& place);

} // namespace orvandel
