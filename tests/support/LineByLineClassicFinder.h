#pragma once

#include "extract/ClassicPhotoFinder.h"
#include "util/TextFile.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvandel::test {

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
