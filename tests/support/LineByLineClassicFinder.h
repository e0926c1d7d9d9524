#pragma once

#include "extract/ClassicPhotoFinder.h"
#include "util/TextFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvandel::test {

// The first photo of a card file with its data taken out.
struct ClassicPhoto
{
    std::size_t lineIndex = 0; // the line that carries the photo header, from 0
    std::string_view header; // one of the five photo headers
    std::string_view extension; // ".jpg" or ".gif"
    std::string data; // the Base64 text with spaces and line breaks removed
};

// The photo's data at `place` in `text`, as the run decodes it: without spaces and line breaks.
inline std::string CleanedData(std::string_view text, const ClassicPhotoPlace& place)
{
    std::string data;
    for (const char c : text.substr(place.dataStart, place.dataEnd - place.dataStart)) {
        if (c != ' ' && c != '\n' && c != '\r')
            data += c;
    }
    return data;
}

// What the program's finder (LocateClassicPhoto) finds in a card's bytes as read, with the
// photo's data copied out as the run decodes it.
inline std::optional<ClassicPhoto> FindClassicPhoto(std::string_view card)
{
    const auto place = LocateClassicPhoto(card);
    if (!place)
        return std::nullopt;
    return ClassicPhoto {place->lineIndex, place->header, place->extension, CleanedData(card, *place)};
}

// The same in the card's text, its lines joined with LF.
inline std::optional<ClassicPhoto> FindClassicPhoto(const TextLines& card)
{
    return FindClassicPhoto(std::string_view(card.text()));
}

// The classic photo finder at its plainest: every line with a photo header searches its data
// afresh, from the top of the card text. It takes time in proportion to the lines times the
// text, so only small cards are given to it; the program's finder must find exactly what it
// finds.
inline std::optional<ClassicPhoto> FindClassicPhotoLineByLine(const TextLines& card)
{
    const std::string_view text = card.text();
    for (std::size_t j = 0; j < card.lineCount(); ++j) {
        const std::string_view line = card.line(j);
        const auto colon = line.find(':');
        if (line.empty() || colon == std::string_view::npos)
            continue;
        const std::string_view header = line.substr(0, colon);
        if (!IsClassicPhotoHeader(header))
            continue;
        const std::string_view key = line.substr(0, colon + 1);
        const std::size_t dataStart = text.find(key) + key.size();

        std::size_t photoEnd = text.size();
        for (std::size_t k = card.firstLineAfter(dataStart); k < card.lineCount(); ++k) {
            if (card.line(k).find(':') != std::string_view::npos) {
                photoEnd = card.lineStart(k);
                break;
            }
        }
        std::string_view photoText = text.substr(dataStart, photoEnd - dataStart);
        if (const auto at = photoText.find("=="); at != std::string_view::npos)
            photoText = photoText.substr(0, at + 2);
        else if (const auto one = photoText.find('='); one != std::string_view::npos)
            photoText = photoText.substr(0, one + 1);
        else if (const auto z = photoText.find("ZENDVCARD"); z != std::string_view::npos)
            photoText = photoText.substr(0, z + 1);

        std::string data;
        for (const char c : photoText) {
            if (c != ' ' && c != '\n' && c != '\r')
                data += c;
        }
        if (data.find_first_not_of('\t') == std::string::npos)
            continue;
        const std::string_view extension = header == "PHOTO;VALUE=URL;TYPE=GIF" ? ".gif" : ".jpg";
        ClassicPhoto photo;
        photo.lineIndex = j;
        photo.extension = extension;
        photo.data = std::move(data);
        photo.header = header;
        return photo;
    }
    return std::nullopt;
}

} // namespace orvandel::test
