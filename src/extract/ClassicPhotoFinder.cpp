#include "ClassicPhotoFinder.h"

#include "Base64.h"
#include "util/TextFile.h"

#include <array>

namespace orvandel {

namespace {

    struct PhotoHeader
    {
        std::string_view header;
        std::string_view extension;
    };

    constexpr std::array<PhotoHeader, 5> kPhotoHeaders {{
        {"PHOTO;VALUE=URL;TYPE=GIF", ".gif"},
        {"PHOTO;ENCODING=B;TYPE=JPEG", ".jpg"},
        {"PHOTO", ".jpg"},
        {"PHOTO;TYPE=JPEG;ENCODING=BASE64", ".jpg"},
        {"X-MS-CARDPICTURE;TYPE=JPEG;ENCODING=BASE64", ".jpg"},
    }};

    const PhotoHeader* FindHeader(std::string_view header)
    {
        for (const auto& known : kPhotoHeaders) {
            if (known.header == header)
                return &known;
        }
        return nullptr;
    }

    // Where the photo's own text ends: the start of the first line after `dataStart` that
    // holds a ":", or the end of the card text.
    std::size_t PhotoTextEnd(const TextLines& card, std::size_t dataStart)
    {
        for (std::size_t k = card.firstLineAfter(dataStart); k < card.lineCount(); ++k) {
            if (card.line(k).find(':') != std::string_view::npos)
                return card.lineStart(k);
        }
        return card.text().size();
    }

    // The end markers, in the order they are tried, with how many of their characters the
    // data keeps.
    struct EndMarker
    {
        std::string_view text;
        std::size_t kept;
    };
    constexpr std::array<EndMarker, 3> kEndMarkers {{{"==", 2}, {"=", 1}, {"ZENDVCARD", 1}}};

    // The length of the data at the start of `photoText`.
    std::size_t DataLength(std::string_view photoText)
    {
        for (const auto& marker : kEndMarkers) {
            const auto at = photoText.find(marker.text);
            if (at != std::string_view::npos)
                return at + marker.kept;
        }
        return photoText.size();
    }

    bool IsRemovedFromData(char c)
    {
        return c == ' ' || c == '\n' || c == '\r';
    }

} // namespace

bool IsClassicPhotoHeader(std::string_view header)
{
    return FindHeader(header) != nullptr;
}

std::optional<ClassicPhotoPlace> LocateClassicPhoto(const TextLines& card)
{
    const std::string_view text = card.text();
    // A header's data starts at the first occurrence of the header and ":" in the card text,
    // whichever line carries it, so every line with that header has the same data. A header
    // whose data is blank is therefore looked at once, however many lines repeat it.
    std::array<bool, kPhotoHeaders.size()> blank {};
    for (std::size_t j = 0; j < card.lineCount(); ++j) {
        const std::string_view line = card.line(j);
        const auto colon = line.find(':');
        if (line.empty() || colon == std::string_view::npos)
            continue;
        const PhotoHeader* header = FindHeader(line.substr(0, colon));
        if (!header)
            continue;
        bool& knownBlank = blank[static_cast<std::size_t>(header - kPhotoHeaders.data())];
        if (knownBlank)
            continue;

        // The first occurrence may stand before this line when the same text appears earlier.
        const std::string_view key = line.substr(0, colon + 1);
        const std::size_t dataStart = text.find(key) + key.size();
        const std::size_t photoEnd = PhotoTextEnd(card, dataStart);
        const std::size_t dataEnd = dataStart + DataLength(text.substr(dataStart, photoEnd - dataStart));
        if (text.substr(dataStart, dataEnd - dataStart).find_first_not_of(" \n\r\t")
            == std::string_view::npos) {
            knownBlank = true; // nothing but blanks: no photo here
            continue;
        }
        return ClassicPhotoPlace {j, header->header, header->extension, dataStart, dataEnd};
    }
    return std::nullopt;
}

std::string DecodeClassicPhoto(TextLines& card, const ClassicPhotoPlace& place)
{
    // The data moves to the front of the text as it is cleaned: the writing never overtakes
    // the reading, and nothing after the photo is needed any more.
    std::string text = card.takeText();
    std::size_t length = 0;
    for (std::size_t at = place.dataStart; at < place.dataEnd; ++at) {
        if (!IsRemovedFromData(text[at]))
            text[length++] = text[at];
    }
    text.resize(length);
    Base64DecodeInPlace(text);
    return text;
}

} // namespace orvandel
