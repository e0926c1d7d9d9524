#pragma once

#include "RunProblems.h"
#include "extract/RunObserver.h"
#include "report/RunCounts.h"
#include "window/list/FileListModel.h"

#include <QString>
#include <QStringList>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvandel {

// What a stopped run tells: "Stopped after 3 of 10 files." between inputs, "Stopped after card
// 12 of export.vcf (file 4 of 10)." within one.
QString StopText(const RunStop& stop);

// Up to `most` of `lines`, then how many more there are: "and 3 more".
QStringList Listed(const QStringList& lines, qsizetype most);

// The list's wording of a photo that is only an address: "Only a web address, not fetched: URL",
// or for a file: address or a path "Only a link to a file, not read: PATH".
QString LinkProblem(const std::string& address);

// What a run did, gathered as its results come in: the counts, each input's outcome, and for a
// thorough run the photos it could not take out. A thorough run that listed web addresses may be
// followed by the run that fetches them: its results change those of the run before.
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

    // The photos listed as web addresses that can be fetched (http and https).
    std::size_t webAddresses() const noexcept { return m_webAddresses; }
    // The positions of the inputs that hold them, in their order.
    std::vector<std::size_t> positionsWithWebAddresses() const;
    // What comes next are the results of the run that fetches them, by the positions of this run:
    // a photo fetched is no longer a link, and each input's outcome takes its photos in.
    void beginFetchPass() noexcept { m_fetchPass = true; }

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

    // What a thorough run took of one input: the input under way, and those that hold web
    // addresses, kept for the run that may fetch them.
    struct InputLists
    {
        QStringList images;
        QStringList errors;
        QStringList links;
        std::size_t webAddresses = 0;
    };
    InputLists& listsOf(std::size_t position);
    void fetched(const PhotoResult& result);

    InputLists m_current;
    std::map<std::size_t, InputLists> m_kept;
    std::size_t m_webAddresses = 0;
    bool m_fetchPass = false;
};

} // namespace orvandel
