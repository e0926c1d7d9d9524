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

std::size_t
CountThoroughPhotos(const std::string& path, std::size_t enough, const std::function<bool()>& goOn)
{
    PhotoCounter counter;
    try {
        FileByteSource bytes(path);
        TextSource text(bytes);
        CardReader reader(text, counter);
        while (counter.count() < enough && reader.pump()) {
            if (!goOn())
                break;
        }
    } catch (const std::exception&) {
        // What could be read is counted; the run has told the failure already.
    }
    return counter.count();
}

} // namespace orvandel
