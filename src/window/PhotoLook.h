#pragma once

#include "extract/ItemExtractor.h"
#include "extract/RunObserver.h"

#include <cstddef>
#include <vector>

namespace orvandel {

// A quick look through the inputs that a classic run took up, with the thorough card reader and
// writing nothing: how many of them hold photos that the thorough extraction would take out and
// the classic run did not (inline photos that decode to some bytes, beyond the one it wrote). It
// is an extractor of the same run loop, so it yields and stops as a run does; within an input it
// yields between pieces of the input, and it stops reading one as soon as the answer is known.
// An input that cannot be read counts what was found up to there; the look tells no failure.
class PhotoLook : public ItemExtractor
{
public:
    // The inputs and how the classic run ended for each, in the order taken up.
    explicit PhotoLook(std::vector<ItemResult> takenUp);

    ItemEnd extract(RunContext& run, std::size_t position, const std::string& input) override;
    void flush() override { }

    // The inputs looked at so far that hold more.
    std::size_t filesWithMore() const { return m_filesWithMore; }

private:
    std::vector<ItemResult> m_takenUp;
    std::size_t m_filesWithMore = 0;
};

} // namespace orvandel
