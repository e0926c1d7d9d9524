#pragma once

#include "WindowRunState.h"
#include "extract/RunLoop.h"
#include "extract/RunObserver.h"
#include "util/ErrorReport.h"

#include <QCursor>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QLineEdit;
class QPushButton;

namespace orvandel {

class CaptionProgressBar;
class FileListModel;
class FileListView;
class Prompts;
class SettingsStore;
class SkinFile;
class TitledFrame;

// What the window works with, handed in so that tests can put their own in its place.
struct FormServices
{
    Prompts& prompts;
    SettingsStore& settings;
    QString programFolder; // the folder of the program's files, without a trailing "/"
    bool thorough = false; // the start button runs the thorough extraction
};

// The main window: the input file list, the buttons that fill it, the output folder box, the
// start button and the progress bar. Its commands run their numbered steps under the error
// report and go on after a failed step.
class Form1 : public QWidget, public ErrorSink
{
    Q_OBJECT

public:
    enum class Pointer
    {
        Default,
        Custom, // the hand from "HAND-M.CUR", or the arrow without it
        Busy,
    };

    explicit Form1(FormServices services, QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up, before the window is first shown.
    void Form_Load();

    // The commands behind the buttons.
    void PushButton1_Click(); // "Add VCF File(s)"
    void PushButton2_Click(); // "Start Extracting VCF Images"
    // "Start Thorough Extraction", on the start button's and the list's context menus: every
    // photo of every card, whichever way the start button goes.
    void startThoroughExtraction();
    // Asks a thorough run under way to stop once the card it is reading has ended (the start
    // button, which reads "Stop" meanwhile, and Esc do this). A second request adds nothing.
    void stopThoroughExtraction();
    void PushButton6_Click(); // "Load Sample/Example Files"
    void PushButton7_Click(); // "Add All VCF File(s) In Folder"
    void PushButton8_Click(); // "Clear List"
    void PushButton9_Click(); // "..." beside the output folder

    // Files and folders dropped on the list, in the order dropped: a file is listed as it is,
    // a folder with every file of its tree.
    void ListView1_OLEDragDrop(const QStringList& paths);

    // The pointer shown: the busy one while a long loop holds the window busy.
    Pointer pointer() const { return m_state.isBusy() ? Pointer::Busy : m_pointer; }
    // The pointer to show when the window is not busy: Default or Custom.
    void setPointer(Pointer pointer);
    bool isBusy() const { return m_state.isBusy(); }
    // A long loop that walks the list (an extraction run, the folder command) holds the window
    // busy while it runs: the busy pointer shows and nothing is removed from the list until the
    // last of them lets go; then the default pointer shows.
    void holdBusy();
    void releaseBusy();
    bool hasCustomCursor() const { return m_customCursor.has_value(); }

    FileListModel& fileList() { return *m_fileList; }
    FileListView* listView() const { return m_listView; }
    QLineEdit* outputBox() const { return m_text1; }
    CaptionProgressBar* progressBar() const { return m_progressBar; }
    const QString& applicationTitle() const { return m_applicationTitle; }
    Prompts& prompts() { return m_services.prompts; }
    QAction* thoroughAction() const { return m_thoroughAction; }
    const RunLoop& extractionRun() const { return m_run; }
    // True while an extraction (classic or thorough) is under way.
    bool isExtracting() const { return m_state.isExtracting(); }
    // True once the thorough run under way was asked to stop.
    bool isStopRequested() const { return m_state.isStopRequested(); }
    // True once the window has been closed: long commands stop at their next yield.
    bool isClosing() const { return m_closing; }
    // True when the window was closed during a thorough run: it closes once the run has
    // stopped, after the card it is reading.
    bool closesAfterTheRun() const { return m_closeAfterRun; }

    // The controls that change while a run is under way: the thorough extraction's menu entry,
    // and for a thorough run the start button ("Stop"), the output box and "...". A run's end
    // shows them as before once its results are to be told.
    void showRunning(bool running, bool thorough);

    // Shows the report as a modal warning box.
    void reportError(const ErrorReport& report) override;
    // A message with only an OK button, under the application title.
    void showMessage(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void ApplySkin();
    void SetApplicationTitle();
    void hoverRule();
    void resetRule();
    void outputBoxChanged(const QString& text);
    QString programFile(const QString& relative) const;
    // After a classic run: when the files it took up hold photos that it could not take and the
    // thorough extraction would, offers to take them.
    void offerThoroughExtraction(const std::vector<ItemResult>& takenUp);
    // Any run that starts ends a look of the offer that is under way.
    void cancelLook() { ++m_lookSerial; }

    // Runs one extraction of `kind` and returns how it went, with what the classic run took up.
    RunOutcome runExtraction(RunKind kind, std::vector<ItemResult>* takenUp);
    void showPointer();

    FormServices m_services;
    RunLoop m_run;
    WindowRunState m_state;
    FileListModel* m_fileList = nullptr;
    FileListView* m_listView = nullptr;
    QPushButton* m_pushButton1 = nullptr;
    QPushButton* m_pushButton2 = nullptr;
    QPushButton* m_pushButton6 = nullptr;
    QPushButton* m_pushButton7 = nullptr;
    QPushButton* m_pushButton8 = nullptr;
    QPushButton* m_pushButton9 = nullptr;
    TitledFrame* m_frame1 = nullptr;
    QLineEdit* m_text1 = nullptr;
    CaptionProgressBar* m_progressBar = nullptr;
    QAction* m_thoroughAction = nullptr;

    Pointer m_pointer = Pointer::Default; // shown when the window is not busy
    std::optional<QCursor> m_customCursor;
    std::unique_ptr<SkinFile> m_skin; // its images live as long as the window
    QString m_applicationTitle;
    bool m_closing = false;
    bool m_toldUnsavedSettings = false; // a store that cannot keep the box's text was told of
    bool m_closeAfterRun = false;
    bool m_centred = false;
    std::uint64_t m_lookSerial = 0; // counts the looks of the offer and the runs that end them
};

} // namespace orvandel
