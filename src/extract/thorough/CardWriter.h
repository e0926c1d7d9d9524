#pragma once

#include "CardHandler.h"
#include "ImageType.h"
#include "PendingPhoto.h"
#include "ThoroughExtractor.h"
#include "ThoroughOutput.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace orvandel {

// Writes the photos of one input of a thorough run as its cards are read: each inline photo into
// a temporary file as it is decoded, named and put in place at its card's end, when the card's FN
// is known; every photo's result goes to the run's observer, a failure to the run's steps too.
class CardWriter : public CardHandler
{
public:
    CardWriter(RunContext& run,
               const ThoroughOptions& options,
               ThoroughOutput& output,
               std::size_t position,
               std::string input);

    void cardStarted(std::size_t number) override;
    PhotoOutput* photoStarted(const PhotoStart& start) override;
    void photoEnded(const PhotoEnd& end, const CardFields& card) override;
    void cardEnded(const CardFields& card) override;

    // The run is to stop: the card under way is the last one written. Whatever the reader
    // goes on to read is left alone.
    void stopAfterTheCard();
    // True once the writer takes no more cards.
    bool closed() const { return m_closed; }
    std::size_t cardsEnded() const { return m_cardsEnded; }
    // The photos written, or found written before in the run (--unique).
    std::size_t written() const { return m_written; }

    // Names and writes the photos of a card that ended while its digests were being taken.
    // The reader calls it whenever it pauses, so that every card it has ended is written
    // before anything else happens; then the digests are wanted at once, and how long they
    // take is not judged.
    void finishDeferred(bool judged = false);

private:
    void finishPending(const CardFields& card);
    std::string context(const PendingPhoto& photo, const CardFields& card) const;
    void finish(PendingPhoto& photo, const CardFields& card, bool judged = false);
    void write(PendingPhoto& photo, const CardFields& card, ImageType declared, PhotoResult& result);

    RunContext& m_run;
    const ThoroughOptions& m_options;
    ThoroughOutput& m_output;
    std::size_t m_position;
    std::string m_input;
    std::string m_fileStem;
    std::size_t m_cardNumber = 0;
    bool m_inCard = false;
    std::size_t m_cardsEnded = 0;
    bool m_stopping = false;
    bool m_closed = false;
    std::size_t m_written = 0;
    std::size_t m_keptBytes = 0; // for the digest thread; declared before the photos that keep them
    std::vector<std::unique_ptr<PendingPhoto>> m_pending;
    std::vector<std::unique_ptr<PendingPhoto>> m_deferred; // of the card that ended last
    CardFields m_deferredCard;
};

} // namespace orvandel
