#pragma once

#include "extract/ClassicPhotoFinder.h"
#include "util/TextFile.h"

#include <array>
#include <optional>
#include <string_view>

namespace orvandel::test {

// The classic photo finder as the run had it before it read a card in one pass: over a table of
// line starts, in the card's text with its line breaks made LF, each header's data searched once.
// The one-pass finder must find exactly what it finds, on the card's bytes as read.
inline std::optional<ClassicPhotoPlace> LocateClassicPhotoWithLineTable(const TextLines& card)
{
    static constexpr std::array<std::string_view, 5> kHeaders {
        "PHOTO;VALUE=URL;TYPE=GIF",
        "PHOTO;ENCODING=B;TYPE=JPEG",
        "PHOTO",
        "PHOTO;TYPE=JPEG;ENCODING=BASE64",
        "X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64",
    };
    const std::string_view text = card.text();
    std::array<bool, kHeaders.size()> blank {};
    for (std::size_t j = 0; j < card.lineCount(); ++j) {
        const std::string_view line = card.line(j);
        const auto colon = line.find(':');
        if (line.empty() || colon == std::string_view::npos)
            continue;
        std::size_t which = 0;
        while (which < kHeaders.size() && kHeaders[which] != line.substr(0, colon))
            ++which;
        if (which == kHeaders.size() || blank[which])
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
        const std::string_view photoText = text.substr(dataStart, photoEnd - dataStart);
        std::size_t length = photoText.size();
        if (const auto at = photoText.find("=="); at != std::string_view::npos)
            length = at + 2;
        else if (const auto one = photoText.find('='); one != std::string_view::npos)
            length = one + 1;
        else if (const auto z = photoText.find("ZENDVCARD"); z != std::string_view::npos)
            length = z + 1;
        if (photoText.substr(0, length).find_first_not_of(" \n\r\t") == std::string_view::npos) {
            blank[which] = true;
            continue;
        }
        return ClassicPhotoPlace {j, kHeaders[which], which == 0 ? ".gif" : ".jpg", dataStart,
                                  dataStart + length};
    }
    return std::nullopt;
}

} // namespace orvandel::test
