#pragma once

#include "PhotoNames.h"
#include "ThoroughOutput.h"
#include "extract/ItemExtractor.h"
#include "fetch/HttpFetcher.h"

#include <cstdint>

namespace orvandel {

struct ThoroughOptions
{
    bool logos = false; // LOGO properties are photos too
    NameTemplate name; // "{fn}" unless set
    bool unique = false; // a photo whose bytes were written before in the run is skipped
    bool fetch = false; // photos behind http and https addresses are fetched and written
    FetchSettings fetchSettings;
    // Only the photos behind web addresses are taken, and only they are told: the run after one
    // that listed them, into the same folder, with the same names taken.
    bool linksOnly = false;
};

// The thorough run's extractor: every photo of every card of every listed input, in whatever
// form address books write them, each written to its own file named after its card and typed by
// its bytes. Inputs are read as streams, so memory stays flat whatever their size; every photo is
// decoded into a temporary file that is renamed once the card's name is known, so that nothing is
// left half-written and no file is replaced by a failure.
//
// Progress goes by the bytes read, with a yield every megabyte. The output folder is taken once,
// as the run begins, and held. Each photo's result goes to RunObserver::photoFinished. A stop
// asked at a yield within an input ends the input once the card being read has ended. With
// --unique, a card's digests are taken on a second thread while the next card is read, and the
// card is named and written before the reader next pauses: results come in the same order.
class ThoroughExtractor : public ItemExtractor
{
public:
    explicit ThoroughExtractor(ThoroughOptions options = {});
    ~ThoroughExtractor() override;

    void prepare(RunContext& run, std::size_t count) override;
    double progressBefore(std::size_t position, std::size_t count) const override;
    ItemEnd extract(RunContext& run, std::size_t position, const std::string& input) override;
    void flush() override { m_output.written.flush(); }

    const ThoroughOptions& options() const noexcept { return m_options; }
    // The next run fetches the photos behind the web addresses that this one told, and takes
    // nothing else: into the same folder, after the names this run gave.
    void fetchLinksNext(FetchSettings settings);

private:
    double progressAt(std::uint64_t done, std::size_t position) const;

    ThoroughOptions m_options;
    std::size_t m_count = 0;
    std::uint64_t m_totalBytes = 0; // the inputs' sizes as the run begins
    std::uint64_t m_bytesBefore = 0; // of the inputs before the one under way
    ThoroughOutput m_output;
};

} // namespace orvandel
