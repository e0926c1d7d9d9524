#include "Form1.h"

#include "ApplicationTitle.h"
#include "CaptionProgressBar.h"
#include "CursorFile.h"
#include "PhotoLook.h"
#include "Prompts.h"
#include "SkinFile.h"
#include "TitledFrame.h"
#include "WindowRunHost.h"
#include "WindowScanHost.h"
#include "extract/ClassicExtractor.h"
#include "extract/thorough/ThoroughExtractor.h"
#include "filelist/FileListModel.h"
#include "filelist/FileListView.h"
#include "filelist/FolderScan.h"
#include "filelist/PathText.h"
#include "settings/SettingsStore.h"
#include "util/PathHelpers.h"
#include "util/StepRunner.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>
#include <memory>
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

    const QString kLocatorFormLoad = QStringLiteral("in Tessivor2021/08/31.Form1.Form_Load ");
    const QString kLocatorAddFiles = QStringLiteral("in Tessivor2021/08/31.Form1.PushButton1_Click ");
    const QString kLocatorSamples = QStringLiteral("in Tessivor2021/08/31.Form1.PushButton6_Click ");
    const QString kLocatorClearList = QStringLiteral("in Tessivor2021/08/31.Form1.PushButton8_Click ");
    const QString kLocatorBrowse = QStringLiteral("in Tessivor2021/08/31.Form1.PushButton9_Click ");

    const QString kListHeader = QStringLiteral(" VCF File(s)");
    const QString kListHint = QStringLiteral("Drag and drop files here. Double-click item to remove it. Move "
                                             "| line to right and out of window to reveal "
                                             "full names.");
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
    constexpr int kMaximumDialogResult = 30000;
    const QString kStartCaption = QStringLiteral("Start Extracting VCF Images");
    const QString kStopCaption = QStringLiteral("Stop");
    const QString kThoroughActionText = QStringLiteral("Start Thorough Extraction");
    const QString kLookCaption = QStringLiteral("Looking for more photos: ");
    const QString kUnsavedOutputFolder
        = QStringLiteral("\r\rThe output folder will not be remembered for the next start.");

    QString ThoroughOffer(std::size_t files)
    {
        return (files == 1 ? QStringLiteral("1 file holds") : QStringLiteral("%1 files hold").arg(files))
            + QStringLiteral(
                   " photos in forms the classic rules do not take. Take every photo of every card?");
    }

    // 15 twips make one pixel at 96 dots per inch.
    constexpr int Px(int twips)
    {
        return (twips + 7) / 15;
    }

    QFont ArialBold(double points)
    {
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(points);
        font.setBold(true);
        return font;
    }

    // `palette` with the window's background and the colour of the texts drawn straight on it
    // (the frame's title, the caption of some styles' progress bars), so that they stay apart
    // whatever colours the desktop's palette brings; disabled texts get a colour between the two.
    QPalette WithBackground(QPalette palette, const QColor& background, const QColor& text)
    {
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Active, QPalette::WindowText, text);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
        palette.setColor(QPalette::Disabled, QPalette::WindowText,
                         QColor((background.red() + text.red()) / 2, (background.green() + text.green()) / 2,
                                (background.blue() + text.blue()) / 2));
        return palette;
    }

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
{
    // The program's own files are named in the system's form: "C:\Program Files\Orvandel\Samples\a.vcf".
    m_services.programFolder = QDir::toNativeSeparators(m_services.programFolder);
    buildLayout();
}

Form1::~Form1() = default;

void Form1::buildLayout()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(Px(8040), Px(5550));
    setFont(ArialBold(9));
    // White, also in a dark palette. The list, the box and the buttons draw on colours of their
    // own and keep the palette's.
    setPalette(WithBackground(palette(), Qt::white, Qt::black));
    setAutoFillBackground(true);

    m_fileList = new FileListModel(this);
    m_listView = new FileListView(this);
    m_listView->setObjectName(QStringLiteral("ListView1"));
    m_listView->setFileList(m_fileList);
    m_listView->setGeometry(Px(120), Px(120), Px(7800), Px(2370));
    m_listView->setToolTip(kListHint);
    m_listView->setBusyTest([this] { return isBusy(); });
    connect(m_listView, &FileListView::mouseMovedOverList, this, [this] {
        if (!isBusy())
            setPointer(Pointer::Default);
    });

    const auto button = [this](const char* name, const QString& caption, QRect twips, QWidget* parent) {
        auto* pushButton = new QPushButton(caption, parent);
        pushButton->setObjectName(QString::fromLatin1(name));
        pushButton->setGeometry(Px(twips.x()), Px(twips.y()), Px(twips.width()), Px(twips.height()));
        pushButton->setFont(ArialBold(11.25));
        pushButton->setMouseTracking(true);
        pushButton->installEventFilter(this);
        return pushButton;
    };
    m_pushButton1 = button("PushButton1", QStringLiteral("Add VCF File(s)"), {120, 2580, 3840, 405}, this);
    m_pushButton7 = button("PushButton7", QStringLiteral("Add All VCF File(s) In Folder"),
                           {4080, 2580, 3840, 405}, this);
    m_pushButton8 = button("PushButton8", QStringLiteral("Clear List"), {120, 3090, 3840, 405}, this);
    m_pushButton6
        = button("PushButton6", QStringLiteral("Load Sample/Example Files"), {4080, 3090, 3840, 405}, this);

    m_frame1 = new TitledFrame(QStringLiteral("Save Results To This Folder"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    m_frame1->setGeometry(Px(120), Px(3570), Px(7800), Px(810));
    m_frame1->setAutoFillBackground(true);
    m_frame1->setMouseTracking(true);
    m_frame1->installEventFilter(this);

    m_text1 = new QLineEdit(m_frame1);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(Px(240), Px(300), Px(6615), Px(345));
    connect(m_text1, &QLineEdit::textChanged, this, &Form1::outputBoxChanged);
    m_pushButton9 = button("PushButton9", QStringLiteral("..."), {6960, 300, 600, 345}, m_frame1);

    m_pushButton2 = button("PushButton2", kStartCaption, {120, 4500, 7800, 405}, this);
    m_progressBar = new CaptionProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setGeometry(Px(120), Px(5020), Px(7800), Px(405));
    m_progressBar->setCaption(QString::fromUtf8(kIdleProgressCaption.data(), kIdleProgressCaption.size()));

    // The layout is fixed: no control takes another size, whatever a skin says.
    for (QWidget* control : std::initializer_list<QWidget*> {m_listView, m_pushButton1, m_pushButton7,
                                                             m_pushButton8, m_pushButton6, m_frame1, m_text1,
                                                             m_pushButton9, m_pushButton2, m_progressBar})
        control->setFixedSize(control->size());

    setTabOrder(m_listView, m_pushButton1);
    setTabOrder(m_pushButton1, m_pushButton7);
    setTabOrder(m_pushButton7, m_pushButton8);
    setTabOrder(m_pushButton8, m_text1);
    setTabOrder(m_text1, m_pushButton9);
    setTabOrder(m_pushButton9, m_pushButton2);
    setTabOrder(m_pushButton2, m_pushButton6);

    connect(m_pushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(m_pushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(m_pushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(m_pushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(m_pushButton8, &QPushButton::clicked, this, &Form1::PushButton8_Click);
    // A drop is taken up once the drag has finished, so the file manager is not kept waiting
    // while a folder tree is scanned.
    connect(m_listView, &FileListView::pathsDropped, this, &Form1::ListView1_OLEDragDrop,
            Qt::QueuedConnection);
    connect(m_pushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);

    // The thorough extraction is on the context menus of the start button and the list, so the
    // window keeps its layout. It starts once the menu has closed.
    m_thoroughAction = new QAction(kThoroughActionText, this);
    m_thoroughAction->setObjectName(QStringLiteral("StartThoroughAction"));
    connect(m_thoroughAction, &QAction::triggered, this, &Form1::startThoroughExtraction,
            Qt::QueuedConnection);
    for (QWidget* widget : {static_cast<QWidget*>(m_pushButton2), static_cast<QWidget*>(m_listView)}) {
        widget->addAction(m_thoroughAction);
        widget->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
}

void Form1::showRunning(bool running, bool thorough)
{
    m_thoroughAction->setEnabled(!running);
    // A thorough run takes its output folder once, as it starts: the box may not change
    // meanwhile, and the start button stops the run.
    if (thorough) {
        m_pushButton2->setText(running ? kStopCaption : kStartCaption);
        m_text1->setReadOnly(running);
        m_pushButton9->setEnabled(!running);
    }
}

QString Form1::programFile(const QString& relative) const
{
    const QString& folder = m_services.programFolder;
    const QString name = QDir::toNativeSeparators(relative);
    return folder.endsWith(QDir::separator()) ? folder + name : folder + QDir::separator() + name;
}

void Form1::Form_Load()
{
    StepRunner steps(ToStd(kLocatorFormLoad), *this);
    steps.step(100, [&] { ApplySkin(); });
    const QString handCursor = programFile(QStringLiteral("HAND-M.CUR"));
    if (steps.test(104, [&] { return FileExists(ToStd(handCursor)); }))
        steps.step(106, [&] { m_customCursor = LoadCursorFile(handCursor); });
    // The list's pointer while an item is carried along, read once: without it, or when it cannot
    // be read, the standard pointer shows.
    try {
        m_listView->setDragCursor(LoadCursorFile(programFile(QStringLiteral("drag.ico"))));
    } catch (const std::exception& error) {
        qWarning("%s", error.what());
    }
    steps.step(126, [&] {
        setWindowTitle(m_services.thorough ? kProductName + QStringLiteral(" (thorough)") : kProductName);
        setWindowIcon(QIcon(QStringLiteral(":/orvandel/orvandel.png")));
        SetApplicationTitle();
    });
    steps.step(128, [&] { m_fileList->setHeaderText(kListHeader); });
    steps.step(130, [&] { m_listView->header()->resizeSection(0, Px(7000)); });
    std::optional<QString> stored;
    // A store that cannot be read is reported, and the desktop stands in for its value; the
    // report has named the file and why, so a save that fails for it later adds no box.
    if (!steps.step(132, [&] {
            stored = m_services.settings.findSetting(kSettingsApplication, kSettingsSection,
                                                     QStringLiteral("Text1"));
        }))
        m_toldUnsavedSettings = true;
    // The desktop is looked for only when nothing is stored.
    steps.step(132, [&] { m_text1->setText(stored ? *stored : DesktopFolder()); });
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
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_frame1)})
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

void Form1::holdBusy()
{
    m_state.loopStarted();
    showPointer();
}

void Form1::releaseBusy()
{
    m_state.loopEnded();
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
        if (widget == m_frame1)
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

void Form1::reportError(const ErrorReport& report)
{
    m_services.prompts.message(this, QString::fromStdString(std::string(kApplicationErrorTitle)),
                               PathForDisplay(PathFromBytes(report.text())), Prompts::Icon::Warning);
}

void Form1::showMessage(const QString& text)
{
    m_services.prompts.message(this, m_applicationTitle, text, Prompts::Icon::None);
}

void Form1::PushButton1_Click()
{
    StepRunner steps(ToStd(kLocatorAddFiles), *this);
    QStringList picked;
    steps.step(112,
               [&] { picked = m_services.prompts.openFileNames(this, kAddFilesTitle, kAddFilesFilters); });
    if (steps.test(114, [&] { return picked.isEmpty(); }))
        return;
    if (DialogResultLength(picked) > kMaximumDialogResult) {
        showMessage(kTooManyFiles);
        return;
    }
    if (picked.size() == 1) {
        steps.step(122, [&] { m_fileList->append(picked.constFirst()); });
        return;
    }
    for (const QString& path : picked) {
        QString joined;
        steps.step(136, [&] {
            const QFileInfo info(path);
            QString folder = QDir::toNativeSeparators(info.absolutePath());
            if (!folder.endsWith(QDir::separator()))
                folder += QDir::separator();
            joined = folder + info.fileName();
        });
        steps.step(138, [&] { joined = PathFromBytes(NormalizeBackslashes(ToStd(joined))); });
        steps.step(140, [&] { m_fileList->append(joined); });
    }
}

RunOutcome Form1::runExtraction(RunKind kind, std::vector<ItemResult>* takenUp)
{
    const bool thorough = kind == RunKind::Thorough;
    cancelLook();
    WindowRunHost host(*this, kind);
    std::unique_ptr<ItemExtractor> extractor;
    if (thorough)
        extractor = std::make_unique<ThoroughExtractor>();
    else
        extractor = std::make_unique<ClassicExtractor>();
    m_state.runStarted(kind);
    showRunning(true, thorough);
    const RunOutcome outcome = m_run.start(host, host, *extractor);
    showRunning(false, thorough);
    m_state.runEnded();
    if (takenUp)
        *takenUp = host.results().items();
    return outcome;
}

void Form1::PushButton2_Click()
{
    if (m_state.isExtracting(RunKind::Thorough)) {
        stopThoroughExtraction();
        return;
    }
    if (m_services.thorough) {
        startThoroughExtraction();
        return;
    }
    if (isExtracting())
        return; // a second start is refused without a word
    std::vector<ItemResult> takenUp;
    if (runExtraction(RunKind::Classic, &takenUp) != RunOutcome::Finished || m_closing)
        return;
    offerThoroughExtraction(takenUp);
}

void Form1::startThoroughExtraction()
{
    if (isExtracting())
        return;
    runExtraction(RunKind::Thorough, nullptr);
    if (m_closeAfterRun)
        close();
}

void Form1::stopThoroughExtraction()
{
    m_state.requestStop();
}

void Form1::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && m_state.isExtracting(RunKind::Thorough)) {
        stopThoroughExtraction();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Form1::offerThoroughExtraction(const std::vector<ItemResult>& takenUp)
{
    const std::uint64_t look = ++m_lookSerial;
    const auto goOn = [this, look] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return !m_closing && m_lookSerial == look;
    };
    std::size_t files = 0;
    std::size_t looked = 0;
    for (const ItemResult& item : takenUp) {
        if (!goOn())
            return;
        ++looked;
        m_progressBar->setProgressValue(static_cast<double>(looked) / static_cast<double>(takenUp.size())
                                        * 100.0);
        m_progressBar->setCaption(kLookCaption + PathForDisplay(PathFromBytes(GetFileName(item.input))));
        // A file whose photo was written is missed only when it holds another one.
        const bool written = item.status == ItemStatus::Written;
        const std::size_t photos = CountThoroughPhotos(item.input, written ? 2 : 1, goOn);
        if (m_lookSerial != look || m_closing)
            return;
        if (photos > (written ? 1U : 0U))
            ++files;
    }
    m_progressBar->setProgressValue(0);
    m_progressBar->setCaption(QString::fromUtf8(kIdleProgressCaption.data(), kIdleProgressCaption.size()));
    if (files > 0 && m_services.prompts.askYesNo(this, m_applicationTitle, ThoroughOffer(files)))
        startThoroughExtraction();
}

void Form1::PushButton6_Click()
{
    StepRunner steps(ToStd(kLocatorSamples), *this);
    // Any failure ends the command after its report.
    steps.step(100, [&] {
        const QString samples = programFile(QStringLiteral("Samples"));
        for (const std::string& name : GetFilesInFolder(ToStd(samples), "*.*")) {
            const QString path = samples + QDir::separator() + PathFromBytes(name);
            if (FileExists(ToStd(path)) && !ListContainsText(*m_fileList, path))
                m_fileList->append(path);
        }
        if (m_services.prompts.askYesNo(this, m_applicationTitle, kOpenSamplesQuestion))
            m_services.prompts.openInFileManager(samples + QDir::separator());
    });
}

void Form1::PushButton7_Click()
{
    StepRunner steps(std::string(kAddFolderLocator), *this);
    QString extension;
    QString typed;
    QString start;
    QString chosen;
    steps.step(100, [&] {
        extension = m_services.settings.GetSetting(kSettingsApplication, kSettingsSection,
                                                   QStringLiteral("Extension"), QStringLiteral("vcf"));
    });
    steps.step(100, [&] {
        typed = m_services.prompts.inputText(this, m_applicationTitle, kExtensionPrompt, extension);
    });
    steps.step(100, [&] {
        if (!typed.isEmpty())
            m_services.settings.SaveSetting(kSettingsApplication, kSettingsSection,
                                            QStringLiteral("Extension"), typed);
    });
    if (steps.test(102, [&] { return typed.isEmpty(); }))
        return;
    steps.step(104, [&] {
        start = m_services.settings.GetSetting(kSettingsApplication, kSettingsSection,
                                               QStringLiteral("LastFolder"), {});
    });
    steps.step(104, [&] { chosen = m_services.prompts.browseForFolder(this, kSelectFolderPrompt, start); });
    if (steps.test(106, [&] { return chosen.isEmpty(); }))
        return;
    QString remembered;
    steps.step(333, [&] { remembered = chosen; });
    steps.step(334, [&] {
        m_services.settings.SaveSetting(kSettingsApplication, kSettingsSection, QStringLiteral("LastFolder"),
                                        remembered);
    });
    steps.step(112, [&] { holdBusy(); });
    WindowScanHost host(*this);
    // The typed text is taken as it is: "*" gives "*.*", ".vcf" gives "*..vcf".
    if (AddFolderTreeFiles(ToStd(chosen), ToStd(QStringLiteral("*.") + typed), host, &steps)
        == ScanOutcome::Stopped) {
        releaseBusy();
        return;
    }
    steps.step(136, [&] { releaseBusy(); });
}

void Form1::ListView1_OLEDragDrop(const QStringList& paths)
{
    WindowScanHost host(*this);
    for (const QString& path : paths) {
        if (m_closing)
            return;
        // The drop has no report of its own: a path that cannot be examined is skipped.
        try {
            if (IsDirectory(ToStd(path))) {
                if (AddFolderTreeFiles(ToStd(path), "*.*", host) == ScanOutcome::Stopped)
                    return;
            } else {
                m_fileList->append(path);
            }
        } catch (const std::exception& error) {
            qWarning("Skipped %s: %s", qPrintable(path), error.what());
        }
    }
}

void Form1::PushButton8_Click()
{
    if (isBusy())
        return;
    StepRunner steps(ToStd(kLocatorClearList), *this);
    steps.step(100, [&] { m_fileList->clear(); });
}

void Form1::PushButton9_Click()
{
    StepRunner steps(ToStd(kLocatorBrowse), *this);
    const QString key = QStringLiteral("LastFolderDot");
    QString start;
    QString chosen;
    steps.step(100, [&] {
        start = m_services.settings.GetSetting(kSettingsApplication, kSettingsSection, key, {});
    });
    steps.step(100, [&] { chosen = m_services.prompts.browseForFolder(this, kSelectFolderPrompt, start); });
    if (steps.test(102, [&] { return chosen.isEmpty(); }))
        return;
    steps.step(104,
               [&] { m_services.settings.SaveSetting(kSettingsApplication, kSettingsSection, key, chosen); });
    // Only the root comes back with a trailing separator ("/", or "\" in "C:\").
    if (steps.test(104, [&] { return !chosen.endsWith(QDir::separator()); }))
        steps.step(106, [&] { m_text1->setText(chosen + QDir::separator()); });
    else
        steps.step(108, [&] { m_text1->setText(chosen); });
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A thorough run is stopped as the stop button stops it, after the card it is reading, so
    // that no card is left half taken out; the window closes once it has.
    if (m_state.isExtracting(RunKind::Thorough)) {
        m_closeAfterRun = true;
        stopThoroughExtraction();
        event->ignore();
        return;
    }
    // The program ends at once, also in the middle of a long command: it stops at its next
    // yield, and nothing more is written.
    m_closing = true;
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
