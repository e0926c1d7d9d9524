// The classic photo finder on any card file: it finds nothing or a photo that stands on a line
// of the file, whose data holds no blank or line break; on cards small enough for it, exactly
// what the plainest line-by-line finder finds. Decoding the data within the card's own text
// gives what Base64Decode gives of the data: the same bytes or the same error.

#include "extract/Base64.h"
#include "extract/ClassicPhotoFinder.h"
#include "support/LineByLineClassicFinder.h"
#include "util/TextFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// The line-by-line finder takes time in proportion to lines times text.
constexpr std::size_t kMaxCompared = 64 * 1024;

std::string Outcome(const std::string& data)
{
    try {
        return "bytes " + orvandel::Base64Decode(data);
    } catch (const orvandel::Base64Error& error) {
        return "error " + std::to_string(error.number());
    }
}

std::string OutcomeInPlace(orvandel::TextLines& card, const orvandel::ClassicPhotoPlace& place)
{
    try {
        return "bytes " + orvandel::DecodeClassicPhoto(card, place);
    } catch (const orvandel::Base64Error& error) {
        return "error " + std::to_string(error.number());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto lines = orvandel::TextLines::fromBytes(std::string(reinterpret_cast<const char*>(data), size));
    const auto photo = orvandel::test::FindClassicPhoto(lines);
    if (size <= kMaxCompared) {
        const auto expected = orvandel::test::FindClassicPhotoLineByLine(lines);
        if (photo.has_value() != expected.has_value())
            std::abort();
        if (photo
            && (photo->lineIndex != expected->lineIndex || photo->header != expected->header
                || photo->extension != expected->extension || photo->data != expected->data))
            std::abort();
    }
    if (!photo)
        return 0;
    if (photo->lineIndex >= lines.lineCount() || !orvandel::IsClassicPhotoHeader(photo->header))
        std::abort();
    if (photo->data.find_first_of(" \r\n") != std::string::npos)
        std::abort();
    const auto place = orvandel::LocateClassicPhoto(lines);
    if (!place || place->lineIndex != photo->lineIndex)
        std::abort();
    if (OutcomeInPlace(lines, *place) != Outcome(photo->data))
        std::abort();
    return 0;
}
