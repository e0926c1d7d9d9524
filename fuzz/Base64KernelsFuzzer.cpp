// Every Base64 kernel this machine runs against the scalar one, on any text: Base64Decode,
// Base64DecodeInPlace and the thorough decoder (whole, and cut into pieces) must give the same
// bytes and the same error, and the thorough decoder must stop at the same places.
//
// The first byte of an input is not text. Its low six bits choose the size of the pieces the
// thorough decoder is given (0: the text whole). With its bit 6 set, every later byte stands for
// a character: below 0xE0 one of the alphabet's, from 0xE0 up one of those that the kernels
// leave to the scalar code, so that most inputs are long runs of Base64 with a few odd places.

#include "extract/Base64.h"
#include "extract/base64/Base64Kernel.h"
#include "extract/thorough/Base64Stream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orvandel;

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kOthers[32]
    = {'=',    '=',    '=',    ' ',    ' ', '\t', '\r', '\n', '\r', '\n',   '-',    '_', '%', '.', ':',  '\0',
       '\x7F', '\x80', '\xC3', '\xFF', '@', '`',  '[',  '{',  '*',  '\x0B', '\x0C', ';', ',', '"', '\\', '~'};

struct Classic
{
    std::optional<std::string> bytes;
    int error = 0;

    bool operator==(const Classic&) const = default;
};

Classic Copying(std::string_view text)
{
    try {
        return {Base64Decode(text), 0};
    } catch (const Base64Error& error) {
        return {std::nullopt, error.number()};
    }
}

Classic InPlace(std::string text)
{
    try {
        Base64DecodeInPlace(text);
        return {std::move(text), 0};
    } catch (const Base64Error& error) {
        return {std::nullopt, error.number()};
    }
}

class Collect : public PhotoOutput
{
public:
    void write(std::string_view piece) noexcept override { bytes.append(piece); }
    std::string bytes;
};

struct Streamed
{
    bool ok = false;
    std::string bytes;
    bool repaired = false;
    std::string error;
    std::uint64_t bytesDecoded = 0;
    std::vector<std::size_t> stops;

    bool operator==(const Streamed&) const = default;
};

Streamed Stream(std::string_view text, std::size_t piece)
{
    Collect out;
    Base64Stream stream;
    stream.start(&out);
    Streamed result;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t size = piece < text.size() - at ? piece : text.size() - at;
        const char* begin = text.data() + at;
        const char* stop = stream.decodeLine(begin, begin + size);
        if (stop < begin || stop > begin + size)
            std::abort();
        at = static_cast<std::size_t>(stop - text.data());
        result.stops.push_back(at);
        if (stop != begin + size) {
            if (*stop != '\r' && *stop != '\n')
                std::abort(); // it stops early only at a line break
            ++at;
        }
    }
    result.ok = stream.finish();
    result.bytes = out.bytes;
    result.repaired = stream.repaired();
    result.error = stream.error();
    result.bytesDecoded = stream.bytesDecoded();
    if (result.ok && result.bytesDecoded != result.bytes.size())
        std::abort();
    return result;
}

struct Outcome
{
    Classic copying;
    Classic inPlace;
    Streamed whole;
    Streamed pieces;

    bool operator==(const Outcome&) const = default;
};

Outcome Decode(const Base64Kernel& kernel, std::string_view text, std::size_t piece)
{
    UseBase64Kernel(kernel);
    return {Copying(text), InPlace(std::string(text)), Stream(text, SIZE_MAX), Stream(text, piece)};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t control = data[0];
    const std::size_t piece = (control & 63) == 0 ? SIZE_MAX : control & 63;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    if (control & 64) {
        for (char& c : text) {
            const auto byte = static_cast<unsigned char>(c);
            c = byte < 0xE0 ? kAlphabet[byte & 63] : kOthers[byte - 0xE0];
        }
    }

    const auto kernels = AvailableBase64Kernels();
    const Outcome scalar = Decode(*kernels.front(), text, piece);
    if (scalar.copying != scalar.inPlace)
        std::abort();
    if (scalar.pieces.ok != scalar.whole.ok || scalar.pieces.bytes != scalar.whole.bytes
        || scalar.pieces.error != scalar.whole.error || scalar.pieces.repaired != scalar.whole.repaired)
        std::abort();
    for (const Base64Kernel* kernel : kernels.subspan(1)) {
        if (!(Decode(*kernel, text, piece) == scalar))
            std::abort();
    }
    return 0;
}
