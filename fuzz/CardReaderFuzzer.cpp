// The thorough card reader on any input, read twice: once as it comes, once cut into small
// pieces (their size taken from the input's first byte). Both readings must tell the same cards
// and photos, byte for byte; every photo that starts must end, inside its card.

#include "extract/thorough/CardReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace orvandel;

class Recorder : public CardHandler, public PhotoOutput
{
public:
    void cardStarted(std::size_t number) override
    {
        if (m_open || number != m_cards + 1)
            std::abort();
        m_open = true;
        m_cards = number;
        log += "card " + std::to_string(number) + "\n";
    }

    PhotoOutput* photoStarted(const PhotoStart& photo) override
    {
        if (!m_open || m_photoOpen)
            std::abort();
        m_photoOpen = true;
        log += "photo " + photo.property + " " + std::to_string(photo.line) + " "
            + std::to_string(int(photo.form)) + " [" + photo.declaredType + "] [" + photo.address + "] ["
            + photo.problem + "]\n";
        return this;
    }

    void write(std::string_view bytes) noexcept override
    {
        if (!m_photoOpen)
            std::abort();
        log.append(bytes);
    }

    void photoEnded(const PhotoEnd& end, const CardFields& card) override
    {
        if (!m_photoOpen || card.number != m_cards)
            std::abort();
        m_photoOpen = false;
        log += "\nend " + std::to_string(end.ok) + " " + std::to_string(end.bytes) + " "
            + std::to_string(end.errorLine) + " [" + end.error + "]\n";
    }

    void cardEnded(const CardFields& card) override
    {
        if (!m_open || m_photoOpen || card.number != m_cards)
            std::abort();
        m_open = false;
        log += "card end [" + card.fn + "] [" + card.uid + "] " + std::to_string(card.line) + "\n";
    }

    void finished() const
    {
        if (m_open || m_photoOpen)
            std::abort();
    }

    std::string log;

private:
    bool m_open = false;
    bool m_photoOpen = false;
    std::size_t m_cards = 0;
};

std::string Read(std::string_view input, std::size_t pieceSize, bool logos)
{
    Recorder recorder;
    MemoryByteSource source(input, pieceSize);
    TextSource text(source);
    CardReader reader(text, recorder, CardReaderOptions {logos, 16 * 1024});
    while (reader.pump()) { }
    recorder.finished();
    return recorder.log;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t pieceSize = 1 + (data[0] & 15);
    const bool logos = (data[0] & 16) != 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (Read(input, SIZE_MAX, logos) != Read(input, pieceSize, logos))
        std::abort();
    return 0;
}
