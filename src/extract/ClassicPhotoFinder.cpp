#include "ClassicPhotoFinder.h"

#include "Base64.h"
#include "util/TextFile.h"

#include <array>
#include <cstdint>
#include <cstring>

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
        // Most lines start with neither letter: they are passed over at the first byte.
        if (header.empty() || (header.front() != 'P' && header.front() != 'X'))
            return nullptr;
        for (const auto& known : kPhotoHeaders) {
            if (known.header == header)
                return &known;
        }
        return nullptr;
    }

    const char* Find(const char* from, const char* to, char c)
    {
        return static_cast<const char*>(std::memchr(from, c, static_cast<std::size_t>(to - from)));
    }

    // Where the photo's own text ends: the start of the first line after `dataStart` that holds a
    // ":", or the end of the card. That line holds the first ":" after the line break.
    const char* PhotoTextEnd(const char* dataStart, const char* end)
    {
        const char* lineFeed = Find(dataStart, end, '\n');
        if (!lineFeed)
            return end;
        const char* nextLine = lineFeed + 1;
        const char* colon = Find(nextLine, end, ':');
        if (!colon)
            return end;
        // Back from the ":" to its line's start: no further than that line's length.
        const char* start = colon;
        while (start != nextLine && start[-1] != '\n')
            --start;
        return start;
    }

    // The end of the data that starts the photo's text `[start, end)`: after the first "==",
    // else after the first "=", else after the "Z" of the first "ZENDVCARD", else `end`.
    const char* DataEnd(const char* start, const char* end)
    {
        const char* firstPad = Find(start, end, '=');
        if (firstPad) {
            for (const char* pad = firstPad; pad; pad = Find(pad + 1, end, '=')) {
                if (pad + 1 < end && pad[1] == '=')
                    return pad + 2;
            }
            return firstPad + 1;
        }
        const std::string_view text(start, static_cast<std::size_t>(end - start));
        const auto z = text.find("ZENDVCARD");
        return z != std::string_view::npos ? start + z + 1 : end;
    }

    bool IsBlank(char c)
    {
        return c == ' ' || c == '\n' || c == '\r' || c == '\t';
    }

    bool IsRemovedFromData(char c)
    {
        return c == ' ' || c == '\n' || c == '\r';
    }

    // True when one of the word's eight bytes is below 0x21: a space, a line break, a tab or
    // another control character. Letters, digits and the rest of the alphabet are all above.
    bool HasControlOrSpace(std::uint64_t word)
    {
        constexpr std::uint64_t kOnes = 0x0101010101010101ull;
        constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
        return ((word - kOnes * 0x21) & ~word & kHighBits) != 0;
    }

    // Moves `[from, to)` without its spaces and line breaks to `out`, which is `from` or before
    // it, and returns the end of what it wrote. Eight bytes at a time where none of them is
    // taken out, as in all of a folded line but its end.
    char* CleanData(const char* from, const char* const to, char* out)
    {
        while (to - from >= 8) {
            std::uint64_t word;
            std::memcpy(&word, from, sizeof word);
            if (!HasControlOrSpace(word)) {
                std::memcpy(out, &word, sizeof word);
                out += 8;
                from += 8;
                continue;
            }
            for (const char* stop = from + 8; from != stop; ++from) {
                const char c = *from;
                if (!IsRemovedFromData(c))
                    *out++ = c;
            }
        }
        for (; from != to; ++from) {
            const char c = *from;
            if (!IsRemovedFromData(c))
                *out++ = c;
        }
        return out;
    }

} // namespace

bool IsClassicPhotoHeader(std::string_view header)
{
    return FindHeader(header) != nullptr;
}

std::optional<ClassicPhotoPlace> LocateClassicPhoto(std::string_view card)
{
    const char* const begin = card.data();
    const char* const end = begin + card.size();
    // A header's data starts at the first occurrence of the header and ":" in the card, whichever
    // line carries it, so every line with that header has the same data. A header whose data is
    // blank is therefore looked at once, however many lines repeat it.
    std::array<bool, kPhotoHeaders.size()> blank {};
    std::size_t lineIndex = 0;
    for (const char* line = begin;; ++lineIndex) {
        const char* lineFeed = Find(line, end, '\n');
        // The CR of a CR LF belongs to the line break, but no header holds a CR: the line is
        // looked at up to its LF alike.
        const char* colon = Find(line, lineFeed ? lineFeed : end, ':');
        if (colon) {
            const std::string_view key(line, static_cast<std::size_t>(colon + 1 - line));
            const PhotoHeader* header = FindHeader(key.substr(0, key.size() - 1));
            if (header && !blank[static_cast<std::size_t>(header - kPhotoHeaders.data())]) {
                // The first occurrence may stand before this line when the same text appears
                // earlier; it stands here at the latest.
                const char* dataStart = begin + card.find(key) + key.size();
                const char* dataEnd = DataEnd(dataStart, PhotoTextEnd(dataStart, end));
                const char* visible = dataStart;
                while (visible != dataEnd && IsBlank(*visible))
                    ++visible;
                if (visible != dataEnd) {
                    return ClassicPhotoPlace {lineIndex, header->header, header->extension,
                                              static_cast<std::size_t>(dataStart - begin),
                                              static_cast<std::size_t>(dataEnd - begin)};
                }
                blank[static_cast<std::size_t>(header - kPhotoHeaders.data())] = true; // no photo here
            }
        }
        if (!lineFeed)
            return std::nullopt;
        line = lineFeed + 1;
    }
}

std::optional<ClassicPhotoPlace> LocateClassicPhoto(const TextLines& card)
{
    return LocateClassicPhoto(std::string_view(card.text()));
}

std::string DecodeClassicPhoto(std::string card, const ClassicPhotoPlace& place)
{
    // The data moves to the front of the card as it is cleaned: the writing never overtakes the
    // reading, and nothing after the photo is needed any more.
    char* const front = card.data();
    card.resize(
        static_cast<std::size_t>(CleanData(front + place.dataStart, front + place.dataEnd, front) - front));
    Base64DecodeInPlace(card);
    return card;
}

std::string DecodeClassicPhoto(TextLines& card, const ClassicPhotoPlace& place)
{
    return DecodeClassicPhoto(card.takeText(), place);
}

} // namespace orvandel
