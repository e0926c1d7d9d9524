#include "RecordingRunHost.h"

#include "util/PathHelpers.h"

namespace orvandel::test {

const char* OutcomeName(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::AlreadyRunning:
        return "AlreadyRunning";
    case RunOutcome::NoFiles:
        return "NoFiles";
    case RunOutcome::NoFolder:
        return "NoFolder";
    case RunOutcome::Finished:
        return "Finished";
    case RunOutcome::Stopped:
        return "Stopped";
    case RunOutcome::Abandoned:
        return "Abandoned";
    }
    return "?";
}

std::optional<std::string> RecordingRunHost::itemText(std::size_t position)
{
    if (position < 1 || position > items.size())
        return std::nullopt;
    return items[position - 1];
}

void RecordingRunHost::stepFailed(const StepFailure& failure)
{
    failures.push_back(failure);
    events.emplace_back("failed");
}

void RecordingRunHost::itemStarted(const ItemStart& start)
{
    starts.push_back(start);
    progressValues.push_back(start.percent);
    events.push_back("start " + GetFileName(start.input));
}

void RecordingRunHost::readingStarted(std::size_t position)
{
    events.push_back("reading " + std::to_string(position));
}

void RecordingRunHost::progress(const ReadProgress& progress)
{
    reads.push_back(progress);
    progressValues.push_back(progress.percent);
    events.push_back("read " + std::to_string(progress.bytesRead) + " of "
                     + std::to_string(progress.bytesTotal));
}

void RecordingRunHost::yield()
{
    events.emplace_back("yield");
    m_goOn = onYield ? onYield() : true;
}

StopRequest RecordingRunHost::stopRequested()
{
    if (!m_goOn)
        return StopRequest::Now;
    if (!stopAfterTheCard)
        return StopRequest::None;
    stopAfterTheCard = !stopOnce;
    return StopRequest::AfterTheCard;
}

void RecordingRunHost::itemFinished(const ItemResult& result)
{
    results.push_back(result);
    events.push_back("finished " + std::to_string(result.position));
}

void RecordingRunHost::photoFinished(const PhotoResult& result)
{
    photos.push_back(result);
    events.emplace_back("photo");
}

void RecordingRunHost::runClosing(const RunEnd& end)
{
    events.push_back(std::string("closing ") + OutcomeName(end.outcome));
}

void RecordingRunHost::runFinished(const RunEnd& end)
{
    ends.push_back(end);
    events.push_back(std::string("end ") + OutcomeName(end.outcome));
}

std::vector<RunOutcome> RecordingRunHost::outcomes() const
{
    std::vector<RunOutcome> outcomes;
    for (const RunEnd& end : ends)
        outcomes.push_back(end.outcome);
    return outcomes;
}

std::vector<RunStop> RecordingRunHost::stops() const
{
    std::vector<RunStop> stops;
    for (const RunEnd& end : ends) {
        if (end.outcome == RunOutcome::Stopped)
            stops.push_back(end.stop);
    }
    return stops;
}

} // namespace orvandel::test
