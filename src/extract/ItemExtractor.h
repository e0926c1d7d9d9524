#pragma once

#include "RunInput.h"
#include "RunObserver.h"
#include "RunStep.h"

#include <cstddef>
#include <string>

namespace orvandel {

// What an extractor works with while it takes up one input: the list and folder, the observer,
// and the run's steps.
struct RunContext
{
    RunInput& input;
    RunObserver& observer;
    RunSteps& steps;

    // Lets the surroundings handle what is pending, under `step`, and asks them whether to stop.
    StopRequest yield(RunStep step)
    {
        StopRequest stop = StopRequest::None;
        steps.step(step, [&] { observer.yield(); });
        steps.step(step, [&] { stop = observer.stopRequested(); });
        return stop;
    }
};

// How an extractor's input ended, as far as the loop needs to know.
struct ItemEnd
{
    enum class Stop
    {
        None,
        AfterTheCard, // asked to stop, it ended after a card of the input
        Now, // asked to stop at once: the input has no result
    };

    bool wrote = false; // an image was written
    std::string output; // the image, when one input gives one
    Stop stop = Stop::None;
    bool readToEnd = true; // with AfterTheCard: the input was read to its end all the same
    std::size_t cards = 0; // with AfterTheCard: the cards read to their end
    bool photoRead = false; // a photo was found and decoded, whether or not it could be written
};

// Takes the photos out of one input: what differs between the classic and the thorough run.
class ItemExtractor
{
public:
    virtual ~ItemExtractor() = default;
    // Once, after the count is taken.
    virtual void prepare(RunContext& /*run*/, std::size_t /*count*/) { }
    // The progress bar's value as the input at `position` of `count` is taken up.
    virtual double progressBefore(std::size_t position, std::size_t count) const
    {
        return static_cast<double>(position) / static_cast<double>(count) * 100.0;
    }
    virtual ItemEnd extract(RunContext& run, std::size_t position, const std::string& input) = 0;
    // Brings what the run wrote to the disk, once, before the run ends. Throws FileError.
    virtual void flush() = 0;
};

} // namespace orvandel
