#include "ClassicPhotoFinder.h"

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

    std::string_view CutData(std::string_view photoText)
    {
        for (const auto& marker : kEndMarkers) {
            const auto at = photoText.find(marker.text);
            if (at != std::string_view::npos)
                return photoText.substr(0, at + marker.kept);
        }
        return photoText;
    }

    std::string RemoveBlanksAndBreaks(std::string_view data)
    {
        std::string out;
        out.reserve(data.size());
        for (const char c : data) {
            if (c != ' ' && c != '\n' && c != '\r')
                out += c;
        }
        return out;
    }

} // namespace

bool IsClassicPhotoHeader(std::string_view header)
{
    return FindHeader(header) != nullptr;
}

std::optional<ClassicPhoto> FindClassicPhoto(const TextLines& card)
{
    const std::string_view text = card.text();
    for (std::size_t j = 0; j < card.lineCount(); ++j) {
        const std::string_view line = card.line(j);
        const auto colon = line.find(':');
        if (line.empty() || colon == std::string_view::npos)
            continue;
        const PhotoHeader* header = FindHeader(line.substr(0, colon));
        if (!header)
            continue;

        // The first occurrence may stand before this line when the same text appears earlier.
        const std::string_view key = line.substr(0, colon + 1);
        const std::size_t dataStart = text.find(key) + key.size();
        const std::size_t photoEnd = PhotoTextEnd(card, dataStart);
        std::string data = RemoveBlanksAndBreaks(CutData(text.substr(dataStart, photoEnd - dataStart)));
        if (data.find_first_not_of('\t') == std::string::npos)
            continue; // nothing but blanks: no photo here
        return ClassicPhoto {j, header->header, header->extension, std::move(data)};
    }
    return std::nullopt;
}

} // namespace orvandel
