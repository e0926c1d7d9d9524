#pragma once

#include "FormLayout.h"
#include "RunController.h"
#include "RunView.h"
#include "report/FormStep.h"
#include "util/StepRunner.h"

#include <QCursor>
#include <QWidget>
#include <memory>
#include <optional>

namespace orvandel {

class FileListModel;
class Prompts;
class SettingsStore;
class SkinFile;

// What the window works with, handed in so that tests can put their own in its place.
struct FormServices
{
    Prompts& prompts;
    SettingsStore& settings;
    QString programFolder; // the folder of the program's files, without a trailing separator
    bool thorough = false; // the start button runs the thorough extraction
    // How photos behind web addresses are fetched when the user asks; the program's own way when
    // empty (tests: their own server's authority and addresses).
    std::optional<FetchSettings> fetch = std::nullopt;
};

// The main window: the input file list, the buttons that fill it, the output folder box, the
// start button and the progress bar. Its commands run their named steps under the error report
// and go on after a failed step. The extraction runs are the RunController's, which sees the
// window only as a RunView.
class Form1 : public QWidget, private RunView, private StepSink<FormStep>
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
    // "Start Extracting VCF Images"; during a thorough run it reads "Stop" and stops the run
    // once the card it is reading has ended.
    void PushButton2_Click();
    // "Start Thorough Extraction", on the start button's and the list's context menus: every
    // photo of every card, whichever way the start button goes.
    void startThoroughExtraction();
    void PushButton6_Click(); // "Load Sample/Example Files"
    void PushButton7_Click(); // "Add All VCF File(s) In Folder"
    void PushButton8_Click(); // "Clear List"
    void PushButton9_Click(); // "..." beside the output folder

    // Files and folders dropped on the list, in the order dropped: a file is listed as it is,
    // a folder with every file of its tree.
    void ListView1_OLEDragDrop(const QStringList& paths);

    // The pointer shown: the busy one while a long loop holds the window busy.
    Pointer pointer() const { return m_runs.isBusy() ? Pointer::Busy : m_pointer; }
    bool isBusy() const { return m_runs.isBusy(); }
    // The pointer to show when the window is not busy: Default or Custom.
    void setPointer(Pointer pointer);
    // A long loop that walks the list (an extraction run, the folder command) holds the window
    // busy while it runs: the busy pointer shows and nothing is removed from the list until the
    // last of them lets go; then the default pointer shows.
    void holdBusy() { m_runs.holdBusy(); }
    void releaseBusy() { m_runs.releaseBusy(); }
    bool hasCustomCursor() const { return m_customCursor.has_value(); }

    // The list of input files, the one data structure the commands share.
    FileListModel& fileList() { return *m_controls.fileList; }
    // The title of the message boxes that name none of their own.
    const QString& applicationTitle() const { return m_applicationTitle; }
    // True while an extraction (classic or thorough) is under way.
    bool isExtracting() const { return m_runs.isExtracting(); }
    // True once the thorough run under way was asked to stop.
    bool isStopRequested() const { return m_runs.isStopRequested(); }
    // True once the window has been closed: long commands stop at their next yield.
    bool isClosing() const { return m_runs.isClosing(); }
    // True when the window was closed during a thorough run: it closes once the run has
    // stopped, after the card it is reading.
    bool closesAfterTheRun() const { return m_runs.closesAfterTheRun(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // RunView: what the run controller shows and reads of the window.
    QString outputFolderText() const override;
    void setProgress(double percent) override;
    void setCaption(const QString& caption) override;
    void showProgressNow() override;
    void pointerBack() override;
    void showPointer() override;
    void showRunning(bool running, bool thorough) override;
    void handlePending() override;
    QWidget* boxOwner() override { return this; }
    QString boxTitle() const override { return m_applicationTitle; }
    void closeWindow() override { close(); }

    // The window's own failed steps, each in its "Application Error" box.
    void stepFailed(const StepFailureOf<FormStep>& failure) override;

    void connectControls();
    void ApplySkin();
    void SetApplicationTitle();
    void hoverRule();
    void resetRule();
    void outputBoxChanged(const QString& text);
    QString programFile(const QString& relative) const;
    // A message with only an OK button, under the application title.
    void showMessage(const QString& text);

    FormServices m_services;
    FormControls m_controls;
    RunController m_runs;
    Pointer m_pointer = Pointer::Default; // shown when the window is not busy
    std::optional<QCursor> m_customCursor;
    std::unique_ptr<SkinFile> m_skin; // its images live as long as the window
    QString m_applicationTitle;
    bool m_toldUnsavedSettings = false; // a store that cannot keep the box's text was told of
    bool m_centred = false;
};

} // namespace orvandel
