#pragma once

#include "RunResults.h"
#include "extract/RunHost.h"
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
// before "Done.".
class WindowRunHost : public RunHost
{
public:
    enum class Kind
    {
        Classic,
        Thorough,
    };

    WindowRunHost(Form1& form, Kind kind);
    // A run that stopped before its end lets go of the window.
    ~WindowRunHost() override;
    WindowRunHost(const WindowRunHost&) = delete;
    WindowRunHost& operator=(const WindowRunHost&) = delete;

    std::size_t itemCount() override;
    std::optional<std::string> itemText(std::size_t position) override;
    std::string outputFolderText() override;
    void setProgressValue(double value) override;
    void setProgressCaption(const std::string& caption) override;
    bool yield() override;
    void setBusyPointer(bool busy) override;
    bool isBusyPointer() override;
    void showMessage(const std::string& text) override;
    void reportError(const ErrorReport& report) override;
    void itemFinished(const ItemResult& result) override;
    void photoFinished(const PhotoResult& result) override;
    // Tells how far the run got, as "Done." would tell its end; nothing when the window is
    // closing.
    void runStopped(const RunStop& stop) override;

    const RunResults& results() const { return m_results; }

private:
    // The problem list, when there is anything in it, and then the results box.
    void showResults(const QString& text);
    void saveProblems();
    QString outputFolder() const;

    Form1& m_form;
    Kind m_kind;
    bool m_holdsBusy = false; // the run holds the window busy (from its first file on)
    RunResults m_results;
    // The item that the run read last at each position.
    std::unordered_map<std::size_t, FileListModel::ItemId> m_read;
    QString m_startFolder; // the output folder text as the run began
    bool m_folderRead = false;
};

} // namespace orvandel
