#pragma once

#include "RunResults.h"
#include "extract/RunInput.h"
#include "extract/RunObserver.h"
#include "report/FormStep.h"
#include "report/RunTexts.h"
#include "window/list/FileListModel.h"

#include <unordered_map>

namespace orvandel {

class Prompts;
class RunController;
class RunView;

// One extraction run's surroundings in the window: it reads the file list and the output folder,
// shows the run's progress, each item's outcome and its end through RunView, and asks the
// controller whether to stop. A yield lets the window handle everything pending, so the other
// commands stay usable during a run.
//
// "Done." comes with a line that counts what the run did and a button that opens the output
// folder. A classic run reports each failure in its "Application Error" box; a thorough run
// shows no box while it runs: its failures and the photos that are only web addresses are
// listed together in one dialog before "Done.". What the window shows of a run runs under the
// window's own steps, so that a failure there is told with its line as any other.
class WindowRunHost : public RunInput, public RunObserver, private StepSink<FormStep>
{
public:
    WindowRunHost(
        RunController& controller, RunView& view, FileListModel& list, Prompts& prompts, RunKind kind);
    // A run that ended before its end lets go of the window.
    ~WindowRunHost() override;
    WindowRunHost(const WindowRunHost&) = delete;
    WindowRunHost& operator=(const WindowRunHost&) = delete;

    std::size_t itemCount() override;
    std::optional<std::string> itemText(std::size_t position) override;
    std::string outputFolderText() override;

    void stepFailed(const StepFailure& failure) override;
    void itemStarted(const ItemStart& start) override;
    void readingStarted(std::size_t position) override;
    void progress(const ReadProgress& progress) override;
    void fetchProgress(const FetchProgress& progress) override;
    void yield() override;
    StopRequest stopRequested() override;
    void itemFinished(const ItemResult& result) override;
    void photoFinished(const PhotoResult& result) override;
    // Puts the window back as before the run.
    void runClosing(const RunEnd& end) override;
    // Shows "Done." with the results, or how far a stopped run got (nothing when the window is
    // closing), or the refusal.
    void runFinished(const RunEnd& end) override;

    // The controls as before the run, once: when its results are told, or when it ends.
    void showIdle();

    // A thorough run that listed web addresses keeps its results until it is known whether they
    // are fetched: true when this run's are kept.
    bool resultsKept() const noexcept { return !m_keptResults.isEmpty(); }
    // The next run fetches them: it takes up the inputs that hold them, and what it does goes into
    // this run's results, by this run's positions.
    void beginFetchPass();
    // Tells the results kept (after the run that fetched, or without one).
    void showKeptResults();

    const RunResults& results() const { return m_results; }
    // The output folder's text as the run began.
    const QString& startFolder() const { return m_startFolder; }

private:
    void stepFailed(const StepFailureOf<FormStep>& failure) override;
    // The problem list, when there is anything in it, and then the results box.
    void showResults(const QString& text);
    void saveProblems();
    void showMessage(std::string_view text);
    QString outputFolder() const;
    void letGo();

    RunController& m_controller;
    RunView& m_view;
    FileListModel& m_list;
    Prompts& m_prompts;
    RunKind m_kind;
    StepRunner<FormStep> m_steps; // what the window shows of the run
    bool m_holdsBusy = false; // the run holds the window busy (from its first file on)
    RunResults m_results;
    // The item that the run read last at each position.
    std::unordered_map<std::size_t, FileListModel::ItemId> m_read;
    QString m_startFolder;
    bool m_folderRead = false;
    bool m_idleShown = false;
    QString m_keptResults; // the text of "Done." while the results wait for the fetch
    // The run that fetches: the inputs it takes up, as this run's positions, and how many photos
    // it fetches.
    std::vector<ItemResult> m_fetchInputs;
    bool m_fetchPass = false;
    std::size_t m_toFetch = 0;
    double fetchPercent(std::size_t fetched) const;
    std::size_t firstPosition(std::size_t position) const;
};

} // namespace orvandel
