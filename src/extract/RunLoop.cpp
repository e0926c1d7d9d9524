#include "RunLoop.h"

#include "util/FileError.h"
#include "util/OutputFolder.h"
#include "util/PathHelpers.h"

namespace orvandel {

namespace {

    // Holds a run's busy flag for the length of the run.
    class RunningFlag
    {
    public:
        // Sets `flag` unless it is set already: then entered() is false and nothing changes.
        explicit RunningFlag(bool& flag)
            : m_flag(flag)
            , m_entered(!flag)
        {
            m_flag = true;
        }
        ~RunningFlag()
        {
            if (m_entered)
                m_flag = false;
        }
        RunningFlag(const RunningFlag&) = delete;
        RunningFlag& operator=(const RunningFlag&) = delete;
        bool entered() const noexcept { return m_entered; }

    private:
        bool& m_flag;
        bool m_entered;
    };

    RunStep EndStep(RunOutcome outcome)
    {
        switch (outcome) {
        case RunOutcome::NoFiles:
            return RunStep::ShowNoFiles;
        case RunOutcome::NoFolder:
            return RunStep::ShowNoFolder;
        default:
            return RunStep::Done;
        }
    }

    // Temporary files whose removal failed are tried once more; those that still stand are told.
    void RemoveLeftovers()
    {
        const std::vector<LeftoverTemporary> standing = RemoveLeftoverTemporaries();
        if (standing.empty())
            return;
        std::string paths;
        for (const LeftoverTemporary& leftover : standing)
            paths += (paths.empty() ? "" : ", ") + leftover.path;
        throw FileError(FileErrorKind::WriteFailed,
                        std::string(standing.size() == 1 ? "Cannot remove the temporary file ("
                                                         : "Cannot remove the temporary files (")
                            + standing.front().error.message() + "): " + paths,
                        standing.front().error);
    }

    RunOutcome End(RunContext& run, RunEnd end)
    {
        run.steps.step(EndStep(end.outcome), [&] { run.observer.runFinished(end); });
        return end.outcome;
    }

} // namespace

RunOutcome RunLoop::start(RunInput& input, RunObserver& observer, ItemExtractor& extractor)
{
    const RunningFlag running(m_isRunning);
    if (!running.entered())
        return RunOutcome::AlreadyRunning;

    RunSteps steps(observer);
    RunContext run {input, observer, steps};
    // The list is looked at first, so an empty list is told even when the folder is missing.
    if (steps.test(RunStep::CheckList, [&] { return input.itemCount() == 0; }))
        return End(run, {RunOutcome::NoFiles, {}});
    std::error_code folder;
    if (steps.test(RunStep::CheckFolder, [&] {
            folder = FolderProblem(input.outputFolderText());
            return bool(folder);
        })) {
        return End(run, {RunOutcome::NoFolder, {}, folder});
    }

    std::size_t count = 0;
    steps.step(RunStep::Count, [&] { count = input.itemCount(); });
    extractor.prepare(run, count);

    // What the run wrote is flushed once, before the run's end: "Done." means on the disk.
    // What fails from here on concerns the run, no input nor photo.
    const auto finish = [&](RunEnd end) {
        steps.restart();
        steps.step(RunStep::Closing, [&] { observer.runClosing(end); });
        steps.step(RunStep::Flush, [&] { extractor.flush(); });
        steps.step(RunStep::Leftovers, RemoveLeftovers);
        return End(run, std::move(end));
    };
    const auto abandon = [&] {
        steps.restart();
        steps.step(RunStep::Leftovers, RemoveLeftovers);
        return End(run, {RunOutcome::Abandoned, {}});
    };
    for (std::size_t position = 1; position <= count; ++position) {
        steps.restart();
        std::optional<std::string> item;
        steps.step(RunStep::ReadItem, [&] { item = input.itemText(position); });
        if (!item)
            continue; // the list was shortened meanwhile: no other file is taken in its place

        steps.step(RunStep::Progress, [&] {
            observer.itemStarted({position, count, *item, extractor.progressBefore(position, count)});
        });
        const StopRequest stop = run.yield(RunStep::Yield);
        if (stop == StopRequest::Now)
            return abandon();
        if (stop == StopRequest::AfterTheCard)
            return finish({RunOutcome::Stopped, {position - 1, count, {}, 0}});
        steps.step(RunStep::Busy, [&] { observer.readingStarted(position); });

        const ItemEnd end = extractor.extract(run, position, *item);
        if (end.stop == ItemEnd::Stop::Now)
            return abandon(); // the photos under way are discarded

        ItemResult result;
        result.position = position;
        result.input = *item;
        result.photoRead = end.photoRead;
        if (steps.failed()) {
            result.status = ItemStatus::Failed;
            result.error = steps.first().description;
            result.errorStep = steps.first().step;
            result.line = steps.first().line;
        } else {
            result.status = end.wrote ? ItemStatus::Written : ItemStatus::NoPhoto;
            result.output = end.output;
        }
        observer.itemFinished(result);
        if (end.stop == ItemEnd::Stop::AfterTheCard) {
            // An input read to its end counts as done.
            if (end.readToEnd)
                return finish({RunOutcome::Stopped, {position, count, {}, 0}});
            return finish({RunOutcome::Stopped, {position - 1, count, *item, end.cards}});
        }
    }
    return finish({RunOutcome::Finished, {}});
}

} // namespace orvandel
