#pragma once

#include "CardHandler.h"
#include "ImageType.h"
#include "PendingPhoto.h"
#include "PhotoQueue.h"
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
// When the run fetches, a photo behind a web address is fetched into its file at its card's end,
// several side by side, and the photos are named and told in card order all the same (PhotoQueue):
// while the queue is full, and at the input's end, the writer waits for the transfers, yielding
// to the surroundings, and a stop asked meanwhile ends them at once.
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
    // goes on to read is left alone. Photos still being fetched are dropped at once.
    void stopAfterTheCard();
    // True once the writer takes no more cards.
    bool closed() const { return m_closed; }
    // True when the surroundings asked to stop at once while the writer waited for transfers.
    bool stoppedNow() const { return m_stoppedNow; }
    // The cards read to their end whose photos were all written and told.
    std::size_t cardsEnded() const;
    // True when a stop dropped what was under way (the photos of a card, or transfers).
    bool droppedAny() const { return m_droppedFromCard != 0; }
    // The photos written, or found written before in the run (--unique).
    std::size_t written() const { return m_written; }

    // Names and writes the photos of a card that ended while its digests were being taken.
    // The reader calls it whenever it pauses, so that every card it has ended is written
    // before anything else happens; then the digests are wanted at once, and how long they
    // take is not judged.
    void finishDeferred(bool judged = false);

    // Moves the transfers on without waiting, and writes the photos that are ready.
    void moveFetchesOn();
    // Waits until every photo of the input is written and told, or a stop is asked.
    void drain();

private:
    void finishPending(const CardFields& card);
    std::string context(const PendingPhoto& photo, const CardFields& card) const;
    void finish(std::unique_ptr<PendingPhoto> photo, const CardFields& card, bool judged = false);
    void complete(PendingPhoto& photo, const CardFields& card);
    void openFile(PendingPhoto& photo);
    template<class Done> void waitFor(Done done);
    void drop();
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
    bool m_stoppedNow = false;
    std::size_t m_droppedFromCard = 0; // the first card whose photos a stop dropped
    std::size_t m_written = 0;
    std::size_t m_keptBytes = 0; // for the digest thread; declared before the photos that keep them
    std::vector<std::unique_ptr<PendingPhoto>> m_pending;
    std::vector<std::unique_ptr<PendingPhoto>> m_deferred; // of the card that ended last
    CardFields m_deferredCard;
    PhotoQueue m_queue; // last: its photos go before the rest of the writer
};

} // namespace orvandel
