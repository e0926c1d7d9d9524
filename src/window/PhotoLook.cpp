#include "PhotoLook.h"

#include "extract/thorough/ByteSource.h"
#include "extract/thorough/CardReader.h"
#include "extract/thorough/TextSource.h"

#include <exception>

namespace orvandel {

namespace {

    // Takes a photo's bytes and forgets them.
    class Discard : public PhotoOutput
    {
    public:
        void write(std::string_view) noexcept override { }
    };

    class PhotoCounter : public CardHandler
    {
    public:
        void cardStarted(std::size_t) override { }
        PhotoOutput* photoStarted(const PhotoStart& photo) override
        {
            m_inline = photo.form == PhotoForm::Inline;
            return m_inline ? &m_discard : nullptr;
        }
        void photoEnded(const PhotoEnd& end, const CardFields&) override
        {
            if (m_inline && end.ok && end.bytes > 0)
                ++m_count;
            m_inline = false;
        }
        void cardEnded(const CardFields&) override { }

        std::size_t count() const { return m_count; }

    private:
        Discard m_discard;
        bool m_inline = false;
        std::size_t m_count = 0;
    };

} // namespace

PhotoLook::PhotoLook(std::vector<ItemResult> takenUp)
    : m_takenUp(std::move(takenUp))
{
}

ItemEnd PhotoLook::extract(RunContext& run, std::size_t position, const std::string& input)
{
    // A file whose photo the classic rules read (written, or not for a reason of the disk) is
    // missed only when it holds another one.
    const ItemResult& classic = m_takenUp.at(position - 1);
    const bool read = classic.status == ItemStatus::Written || classic.photoRead;
    const std::size_t enough = read ? 2 : 1;
    PhotoCounter counter;
    ItemEnd end;
    try {
        FileByteSource bytes(input);
        TextSource text(bytes);
        CardReader reader(text, counter);
        while (counter.count() < enough && reader.pump()) {
            if (run.yield(RunStep::ReadYield) != StopRequest::None) {
                end.stop = ItemEnd::Stop::Now;
                return end;
            }
        }
    } catch (const std::exception&) {
        // What could be read is counted; the classic run has told the failure already.
    }
    if (counter.count() >= enough)
        ++m_filesWithMore;
    return end;
}

} // namespace orvandel
