#pragma once

#include "RunProblems.h"
#include "extract/RunObserver.h"
#include "filelist/FileListModel.h"

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvandel {

// What a run did, as the results line counts it.
struct RunCounts
{
    std::size_t written = 0; // images
    std::size_t withoutPhoto = 0; // inputs
    std::size_t links = 0; // photos that are only web addresses
    std::size_t failed = 0; // inputs of a classic run; photos and inputs of a thorough one
};

// The results in one short line: "6 images written, 1 file without a photo, 1 failed". Counts of
// nothing are left out, but for the images: "No image written".
QString ResultsLine(const RunCounts& counts);
// What a stopped run tells: "Stopped after 3 of 10 files." between inputs, "Stopped after card
// 12 of export.vcf (file 4 of 10)." within one.
QString StopText(const RunStop& stop);
// The heading of the problem list: "Not taken out: 1 link not fetched, 3 failed."
QString NotTakenOutHeading(const RunCounts& counts);

// What a run did, gathered as its results come in: the counts, each input's outcome, and for a
// thorough run the photos it could not take out.
class RunResults
{
public:
    explicit RunResults(bool thorough)
        : m_thorough(thorough)
    {
    }

    void itemFinished(const ItemResult& result);
    void photoFinished(const PhotoResult& result);
    // A failure told by the run; a thorough run's come before the photo they belong to.
    void stepFailed(const StepFailure& failure);
    // A failure of what the window shows of the run: it belongs to the input under way.
    void windowFailed(const std::string& description);
    // Failures that belong to no input are listed without one.
    void runEnded();

    const RunCounts& counts() const { return m_counts; }
    // The outcome of the input that finished last.
    const ItemOutcome& lastOutcome() const { return m_lastOutcome; }
    const QList<RunProblem>& problems() const { return m_problems; }
    std::size_t failures() const { return m_counts.failed; }
    // The folder of the image written last; empty before the first.
    const QString& lastImageFolder() const { return m_lastImageFolder; }
    // The inputs taken up, in the order taken, with how each ended.
    const std::vector<ItemResult>& items() const { return m_items; }

private:
    void addFailure(const QString& input, std::size_t card, const QString& fn, const QString& problem);

    bool m_thorough;
    RunCounts m_counts;
    std::vector<ItemResult> m_items;
    QList<RunProblem> m_problems;
    // Failures not yet matched to a photo or an input. A photo's own come with its step and the
    // line where it starts, by which they are matched; the window's come with neither.
    struct Loose
    {
        std::optional<RunStep> step;
        std::uint64_t line = 0;
        std::string description;
    };
    std::vector<Loose> m_loose;
    QString m_lastImageFolder;
    ItemOutcome m_lastOutcome;

    // The input under way in a thorough run.
    QStringList m_images;
    QStringList m_errors;
    QStringList m_links;
};

} // namespace orvandel
