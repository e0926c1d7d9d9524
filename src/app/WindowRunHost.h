#pragma once

#include "RunResults.h"
#include "RunTexts.h"
#include "extract/RunInput.h"
#include "extract/RunObserver.h"
#include "extract/RunSteps.h"
#include "filelist/FileListModel.h"

#include <unordered_map>

namespace orvandel {

class Form1;

// The extraction run's surroundings in the window: the file list, the output folder box, the
// progress bar, the window's pointer and its message boxes. A yield lets the window handle
// everything pending, so the other commands stay usable during a run.
//
// Each item the run reaches shows how it ended; "Done." comes with a line that counts what the
// run did and a button that opens the output folder. A thorough run shows no box while it runs:
// its failures and the photos that are only web addresses are listed together in one dialog
// before "Done.". What the window shows of a run runs under the run's own steps, so that a
// failure there is told with the step's line as any other.
class WindowRunHost : public RunInput, public RunObserver
{
public:
    WindowRunHost(Form1& form, RunKind kind);
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
    void yield() override;
    StopRequest stopRequested() override;
    void itemFinished(const ItemResult& result) override;
    void photoFinished(const PhotoResult& result) override;
    // Puts the window back as before the run.
    void runClosing(const RunEnd& end) override;
    // Shows "Done." with the results, or how far a stopped run got (nothing when the window is
    // closing), or the refusal.
    void runFinished(const RunEnd& end) override;

    const RunResults& results() const { return m_results; }

private:
    // The problem list, when there is anything in it, and then the results box.
    void showResults(const QString& text);
    void saveProblems();
    QString outputFolder() const;
    void letGo();

    Form1& m_form;
    RunKind m_kind;
    RunSteps m_steps; // what the window shows of the run
    bool m_holdsBusy = false; // the run holds the window busy (from its first file on)
    RunResults m_results;
    // The item that the run read last at each position.
    std::unordered_map<std::size_t, FileListModel::ItemId> m_read;
    QString m_startFolder; // the output folder text as the run began
    bool m_folderRead = false;
};

} // namespace orvandel
