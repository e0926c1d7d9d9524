// The classic photo finder on any card file: it finds nothing or a photo that stands on a line
// of the file, whose data holds no blank or line break; in the card's bytes as read exactly what
// the finder over a table of lines finds in the card's text with its line breaks made LF; on
// cards small enough for it, exactly what the plainest line-by-line finder finds. Decoding the
// data within the card's own bytes gives what Base64Decode gives of the data: the same bytes or
// the same error.

#include "extract/Base64.h"
#include "extract/ClassicPhotoFinder.h"
#include "support/LineByLineClassicFinder.h"
#include "support/LineTableClassicFinder.h"
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

std::string OutcomeInBytes(const std::string& card, const orvandel::ClassicPhotoPlace& place)
{
    try {
        return "bytes " + orvandel::DecodeClassicPhoto(card, place);
    } catch (const orvandel::Base64Error& error) {
        return "error " + std::to_string(error.number());
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    auto lines = orvandel::TextLines::fromBytes(bytes);
    const auto photo = orvandel::test::FindClassicPhoto(lines);

    const auto inBytes = orvandel::LocateClassicPhoto(bytes);
    const auto inTable = orvandel::test::LocateClassicPhotoWithLineTable(lines);
    if (inBytes.has_value() != inTable.has_value())
        std::abort();
    if (inBytes) {
        const std::string expected = orvandel::test::CleanedData(lines.text(), *inTable);
        if (inBytes->lineIndex != inTable->lineIndex || inBytes->header != inTable->header
            || inBytes->extension != inTable->extension
            || orvandel::test::CleanedData(bytes, *inBytes) != expected
            || OutcomeInBytes(bytes, *inBytes) != Outcome(expected))
            std::abort();
    }
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
