#include "Form1.h"

#include "ApplicationTitle.h"
#include "CaptionProgressBar.h"
#include "CursorFile.h"
#include "Prompts.h"
#include "SkinFile.h"
#include "TitledFrame.h"
#include "WindowScanHost.h"
#include "report/StepTable.h"
#include "scan/FolderScan.h"
#include "settings/SettingsStore.h"
#include "util/PathHelpers.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"
#include "window/list/PathText.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEnterEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <stdexcept>

namespace orvandel {

namespace {

    // The desktop folder with its trailing separator: on Windows the shell's, through Qt, in
    // Windows's own form ("C:\Users\Ann\Desktop\"); elsewhere the engine's (the XDG
    // desktop folder). Throws when it cannot be found.
    QString DesktopFolder()
    {
#if defined(Q_OS_WIN)
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        if (!desktop.isEmpty())
            return QDir::toNativeSeparators(desktop) + QDir::separator();
#endif
        return QString::fromStdString(GetDesktopFolder());
    }

    const QString kListHeader = QStringLiteral(" VCF File(s)");
    const QString kAddFilesTitle = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
    const QString kAddFilesFilters = QStringLiteral("vCard Files (*.vcf, *.vcard);;All Files (*)");
    const QString kTooManyFiles = QStringLiteral(
        "You've selected too many files to add.\r\rPlease try adding via the \"Add All\" button.");
    const QString kSelectFolderPrompt = QStringLiteral("Please select folder:");
    const QString kExtensionPrompt = QStringLiteral("Enter file extension to load:\r\r(* for all files, txt "
                                                    "for all txt files, doc for all doc files, etc.)");
    const QString kOpenSamplesQuestion
        = QStringLiteral("Would you like this software to open the folder where these sample files are "
                         "stored (so that you can view "
                         "them before working with them)?");
    const QString kSamplesMissing = QStringLiteral("The sample files are missing: there are none in %1.");
    constexpr int kMaximumDialogResult = 30000;
    const QString kUnsavedOutputFolder
        = QStringLiteral("\r\rThe output folder will not be remembered for the next start.");

    // A path or text for the engine: the bytes of a name that is not UTF-8 come back as they were.
    std::string ToStd(const QString& text)
    {
        return PathToBytes(text);
    }

    // The length of the open dialog's result as one text: the full path of a single file, or
    // the folder and every name, separated by NUL characters.
    qsizetype DialogResultLength(const QStringList& paths)
    {
        if (paths.size() == 1)
            return paths.constFirst().size();
        qsizetype length = QFileInfo(paths.constFirst()).absolutePath().size();
        for (const QString& path : paths)
            length += 1 + QFileInfo(path).fileName().size();
        return length;
    }

} // namespace

Form1::Form1(FormServices services, QWidget* parent)
    : QWidget(parent)
    , m_services(std::move(services))
    , m_controls(BuildFormLayout(*this, *this))
    , m_runs(*this, *m_controls.fileList, m_services.prompts)
{
    // The program's own files are named in the system's form: "C:\Program Files\Orvandel\Samples\a.vcf".
    m_services.programFolder = QDir::toNativeSeparators(m_services.programFolder);
    if (m_services.fetch)
        m_runs.setFetchSettings(*m_services.fetch);
    connectControls();
}

Form1::~Form1() = default;

void Form1::connectControls()
{
    FileListView* list = m_controls.listView;
    list->setBusyTest([this] { return isBusy(); });
    connect(list, &FileListView::mouseMovedOverList, this, [this] {
        if (!isBusy())
            setPointer(Pointer::Default);
    });
    connect(m_controls.text1, &QLineEdit::textChanged, this, &Form1::outputBoxChanged);
    connect(m_controls.pushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_controls.pushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_controls.pushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_controls.pushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(m_controls.pushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    connect(m_controls.pushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    // A drop is taken up once the drag has finished, so the file manager is not kept waiting
    // while a folder tree is scanned.
    connect(list, &FileListView::pathsDropped, this, &Form1::ListView1_OLEDragDrop, Qt::QueuedConnection);
    // The thorough extraction starts once its context menu has closed.
    connect(m_controls.startThorough, &QAction::triggered, this, &Form1::startThoroughExtraction,
            Qt::QueuedConnection);
}

QString Form1::programFile(const QString& relative) const
{
    const QString& folder = m_services.programFolder;
    const QString name = QDir::toNativeSeparators(relative);
    return folder.endsWith(QDir::separator()) ? folder + name : folder + QDir::separator() + name;
}

void Form1::stepFailed(const StepFailureOf<FormStep>& failure)
{
    if (const auto report = StepReport(failure.step, failure.description))
        m_services.prompts.report(this, *report);
}

void Form1::showMessage(const QString& text)
{
    m_services.prompts.message(this, m_applicationTitle, text, Prompts::Icon::None);
}

void Form1::Form_Load()
{
    StepRunner<FormStep> steps(*this);
    steps.step(FormStep::ApplySkin, [&] { ApplySkin(); });
    const QString handCursor = programFile(QStringLiteral("HAND-M.CUR"));
    if (steps.test(FormStep::LookForHandCursor, [&] { return FileExists(ToStd(handCursor)); }))
        steps.step(FormStep::LoadHandCursor, [&] { m_customCursor = LoadCursorFile(handCursor); });
    // The list's pointer while an item is carried along, read once: without it, or when it cannot
    // be read, the standard pointer shows.
    try {
        m_controls.listView->setDragCursor(LoadCursorFile(programFile(QStringLiteral("drag.ico"))));
    } catch (const std::exception& error) {
        qWarning("%s", error.what());
    }
    steps.step(FormStep::ShowCaption, [&] {
        setWindowTitle(m_services.thorough ? kProductName + QStringLiteral(" (thorough)") : kProductName);
        setWindowIcon(QIcon(QStringLiteral(":/orvandel/orvandel.png")));
        SetApplicationTitle();
    });
    steps.step(FormStep::AddColumn, [&] { m_controls.fileList->setHeaderText(kListHeader); });
    steps.step(FormStep::SizeColumn, [&] { m_controls.listView->header()->resizeSection(0, Px(7000)); });
    std::optional<QString> stored;
    // A store that cannot be read is reported, and the desktop stands in for its value; the
    // report has named the file and why, so a save that fails for it later adds no box. What is
    // stored stays as it is until the user chooses a folder: the stand-in is not saved over it.
    const bool read = steps.step(FormStep::FillOutputBox, [&] {
        stored = m_services.settings.findSetting(kSettingsApplication, kSettingsSection,
                                                 QStringLiteral("Text1"));
        // The box takes 32,767 characters: a longer value would be cut, and the cut saved.
        if (stored && stored->size() > m_controls.text1->maxLength())
            throw std::runtime_error(
                QStringLiteral(
                    "The settings cannot be read: the output folder \"Text1\" is longer than a path "
                    "can be (%1 characters)")
                    .arg(stored->size())
                    .toStdString());
    });
    if (!read) {
        m_toldUnsavedSettings = true;
        stored.reset();
    }
    // The desktop is looked for only when nothing is stored.
    steps.step(FormStep::FillOutputBox, [&] {
        const QSignalBlocker unsaved(read ? nullptr : m_controls.text1);
        m_controls.text1->setText(stored ? *stored : DesktopFolder());
    });
}

void Form1::ApplySkin()
{
    const QString skinFile = programFile(QStringLiteral("x/o.cjs"));
    const QFileInfo skin(skinFile);
    if (!skin.isFile() || skin.isHidden())
        return;
    // A skin file that is refused unread (a pipe, a device, a file over 1 MB) counts as absent.
    auto read = std::make_unique<SkinFile>();
    std::exception_ptr failure;
    try {
        if (!read->read(skinFile))
            return;
    } catch (const std::exception&) {
        failure = std::current_exception();
    }
    // The window and the frame take the button colour, and their texts the button's text colour.
    const QPalette desktop = QApplication::palette();
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_controls.frame1)})
        widget->setPalette(WithBackground(widget->palette(), desktop.color(QPalette::Button),
                                          desktop.color(QPalette::ButtonText)));
    if (failure)
        std::rethrow_exception(failure);
    m_skin = std::move(read);
    setStyleSheet(m_skin->styleSheet());
}

void Form1::SetApplicationTitle()
{
    m_applicationTitle = ApplicationTitle(kProductName);
}

void Form1::setPointer(Pointer pointer)
{
    m_pointer = pointer;
    showPointer();
}

void Form1::showPointer()
{
    switch (this->pointer()) {
    case Pointer::Default:
        unsetCursor();
        break;
    case Pointer::Custom:
        setCursor(m_customCursor.value_or(QCursor(Qt::ArrowCursor)));
        break;
    case Pointer::Busy:
        setCursor(Qt::WaitCursor);
        break;
    }
}

void Form1::pointerBack()
{
    setPointer(Pointer::Default);
}

void Form1::hoverRule()
{
    if (!isBusy())
        setPointer(Pointer::Custom);
}

void Form1::resetRule()
{
    if (!isBusy())
        setPointer(Pointer::Default);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // Return and Enter press the button that has the focus, as Space does.
        auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (!key->isAutoRepeat())
                button->click();
            return true;
        }
        return QWidget::eventFilter(watched, event);
    }
    // A mouse move that a control leaves to others goes on to the control's parent, and the
    // mouse entering a control enters the control's parents too: so "..." reported its moves to
    // the frame as well, whose rule then took the hand away. Each rule runs only for the widget
    // that is itself under the mouse.
    QPointF at;
    if (event->type() == QEvent::Enter)
        at = static_cast<QEnterEvent*>(event)->position();
    else if (event->type() == QEvent::MouseMove)
        at = static_cast<QMouseEvent*>(event)->position();
    else
        return QWidget::eventFilter(watched, event);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && !widget->childAt(at.toPoint())) {
        if (widget == m_controls.frame1)
            resetRule();
        else if (qobject_cast<QPushButton*>(widget))
            hoverRule();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::outputBoxChanged(const QString& text)
{
    // The box has no report of its own. A value that cannot be stored is told once a start,
    // never once a keystroke, and the window goes on.
    try {
        m_services.settings.SaveSetting(kSettingsApplication, kSettingsSection, QStringLiteral("Text1"),
                                        text);
    } catch (const std::exception& error) {
        if (m_toldUnsavedSettings)
            return;
        m_toldUnsavedSettings = true;
        m_services.prompts.message(this, m_applicationTitle,
                                   QString::fromStdString(error.what()) + kUnsavedOutputFolder,
                                   Prompts::Icon::Warning);
    }
}

QString Form1::outputFolderText() const
{
    return m_controls.text1->text();
}

void Form1::setProgress(double percent)
{
    m_controls.progressBar1->setProgressValue(percent);
}

void Form1::setCaption(const QString& caption)
{
    m_controls.progressBar1->setCaption(caption);
}

void Form1::showProgressNow()
{
    m_controls.progressBar1->showNow();
}

void Form1::handlePending()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Form1::showRunning(bool running, bool thorough)
{
    m_controls.startThorough->setEnabled(!running);
    // A thorough run takes its output folder once, as it starts: the box may not change
    // meanwhile, and the start button stops the run.
    if (thorough) {
        m_controls.pushButton2->setText(running ? StopCaption() : StartCaption());
        m_controls.text1->setReadOnly(running);
        m_controls.pushButton9->setEnabled(!running);
    }
}

void Form1::PushButton1_Click()
{
    StepRunner<FormStep> steps(*this);
    QStringList picked;
    steps.step(FormStep::ShowOpenDialog,
               [&] { picked = m_services.prompts.openFileNames(this, kAddFilesTitle, kAddFilesFilters); });
    if (steps.test(FormStep::OpenDialogCancelled, [&] { return picked.isEmpty(); }))
        return;
    if (DialogResultLength(picked) > kMaximumDialogResult) {
        showMessage(kTooManyFiles);
        return;
    }
    if (picked.size() == 1) {
        steps.step(FormStep::AddPickedFile, [&] { fileList().append(picked.constFirst()); });
        return;
    }
    for (const QString& path : picked) {
        QString joined;
        steps.step(FormStep::JoinPickedName, [&] {
            const QFileInfo info(path);
            QString folder = QDir::toNativeSeparators(info.absolutePath());
            if (!folder.endsWith(QDir::separator()))
                folder += QDir::separator();
            joined = folder + info.fileName();
        });
        steps.step(FormStep::NormalizePickedPath,
                   [&] { joined = PathFromBytes(NormalizeBackslashes(ToStd(joined))); });
        steps.step(FormStep::AddPickedPath, [&] { fileList().append(joined); });
    }
}

void Form1::PushButton2_Click()
{
    if (m_runs.isExtracting(RunKind::Thorough))
        m_runs.requestStop();
    else if (m_services.thorough)
        m_runs.startThorough();
    else
        m_runs.startClassic();
}

void Form1::startThoroughExtraction()
{
    m_runs.startThorough();
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_runs.isExtracting(RunKind::Thorough)) {
        m_runs.requestStop();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form1::PushButton6_Click()
{
    StepRunner<FormStep> steps(*this);
    // Any failure ends the command after its report.
    steps.step(FormStep::AddSamples, [&] {
        const QString samples = programFile(QStringLiteral("Samples"));
        // Without its Samples folder (a copy that lost it), there is nothing to list or open.
        std::vector<std::string> names;
        if (IsDirectory(ToStd(samples)))
            names = GetFilesInFolder(ToStd(samples), "*.*");
        if (names.empty()) {
            m_services.prompts.message(this, m_applicationTitle, kSamplesMissing.arg(samples),
                                       Prompts::Icon::Warning);
            return;
        }
        for (const std::string& name : names) {
            const QString path = samples + QDir::separator() + PathFromBytes(name);
            if (FileExists(ToStd(path)) && !ListContainsText(fileList(), path))
                fileList().append(path);
        }
        if (m_services.prompts.askYesNo(this, m_applicationTitle, kOpenSamplesQuestion))
            m_services.prompts.openInFileManager(samples + QDir::separator());
    });
}

void Form1::PushButton7_Click()
{
    StepRunner<FormStep> steps(*this);
    SettingsStore& settings = m_services.settings;
    QString extension;
    QString typed;
    QString start;
    QString chosen;
    steps.step(FormStep::AskExtension, [&] {
        extension = settings.GetSetting(kSettingsApplication, kSettingsSection, QStringLiteral("Extension"),
                                        QStringLiteral("vcf"));
    });
    steps.step(FormStep::AskExtension, [&] {
        typed = m_services.prompts.inputText(this, m_applicationTitle, kExtensionPrompt, extension);
    });
    steps.step(FormStep::AskExtension, [&] {
        if (!typed.isEmpty())
            settings.SaveSetting(kSettingsApplication, kSettingsSection, QStringLiteral("Extension"), typed);
    });
    if (steps.test(FormStep::ExtensionCancelled, [&] { return typed.isEmpty(); }))
        return;
    steps.step(FormStep::AskFolder, [&] {
        start = settings.GetSetting(kSettingsApplication, kSettingsSection, QStringLiteral("LastFolder"), {});
    });
    steps.step(FormStep::AskFolder,
               [&] { chosen = m_services.prompts.browseForFolder(this, kSelectFolderPrompt, start); });
    if (steps.test(FormStep::FolderCancelled, [&] { return chosen.isEmpty(); }))
        return;
    QString remembered;
    steps.step(FormStep::RememberFolder, [&] { remembered = chosen; });
    steps.step(FormStep::SaveFolder, [&] {
        settings.SaveSetting(kSettingsApplication, kSettingsSection, QStringLiteral("LastFolder"),
                             remembered);
    });
    steps.step(FormStep::ShowBusy, [&] { m_runs.holdBusy(); });
    WindowScanHost host(fileList(), m_runs, m_services.prompts, this, m_applicationTitle);
    // The typed text is taken as it is: "*" gives "*.*", ".vcf" gives "*..vcf".
    if (AddFolderTreeFiles(ToStd(chosen), ToStd(QStringLiteral("*.") + typed), host, TreeSteps::Reported)
        == ScanOutcome::Stopped) {
        m_runs.releaseBusy();
        return;
    }
    steps.step(FormStep::ShowIdle, [&] { m_runs.releaseBusy(); });
    host.tellSkipped();
}

void Form1::ListView1_OLEDragDrop(const QStringList& paths)
{
    WindowScanHost host(fileList(), m_runs, m_services.prompts, this, m_applicationTitle);
    for (const QString& path : paths) {
        if (m_runs.isClosing())
            return;
        // The drop has no report of its own: a path that cannot be examined is skipped.
        try {
            if (IsDirectory(ToStd(path))) {
                if (AddFolderTreeFiles(ToStd(path), "*.*", host) == ScanOutcome::Stopped)
                    return;
            } else {
                fileList().append(path);
            }
        } catch (const std::exception& error) {
            qWarning("Skipped %s: %s", qPrintable(path), error.what());
        }
    }
    host.tellSkipped();
}

void Form1::PushButton8_Click()
{
    if (isBusy())
        return;
    StepRunner<FormStep> steps(*this);
    steps.step(FormStep::ClearList, [&] { fileList().clear(); });
}

void Form1::PushButton9_Click()
{
    StepRunner<FormStep> steps(*this);
    const QString key = QStringLiteral("LastFolderDot");
    QString start;
    QString chosen;
    steps.step(FormStep::BrowseOutput, [&] {
        start = m_services.settings.GetSetting(kSettingsApplication, kSettingsSection, key, {});
    });
    steps.step(FormStep::BrowseOutput,
               [&] { chosen = m_services.prompts.browseForFolder(this, kSelectFolderPrompt, start); });
    if (steps.test(FormStep::BrowseCancelled, [&] { return chosen.isEmpty(); }))
        return;
    steps.step(FormStep::RememberOutput,
               [&] { m_services.settings.SaveSetting(kSettingsApplication, kSettingsSection, key, chosen); });
    // Only the root comes back with a trailing separator ("/", or "\" in "C:\").
    if (steps.test(FormStep::RememberOutput, [&] { return !chosen.endsWith(QDir::separator()); }))
        steps.step(FormStep::PutWithSeparator,
                   [&] { m_controls.text1->setText(chosen + QDir::separator()); });
    else
        steps.step(FormStep::PutAsItIs, [&] { m_controls.text1->setText(chosen); });
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A thorough run is stopped as the stop button stops it, after the card it is reading, so
    // that no card is left half taken out; the window closes once it has. Otherwise the program
    // ends at once, also in the middle of a long command: it stops at its next yield, and
    // nothing more is written.
    if (!m_runs.requestClose()) {
        event->ignore();
        return;
    }
    event->accept();
    QCoreApplication::quit();
}

void Form1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

} // namespace orvandel
