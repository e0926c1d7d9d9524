#include "FormFixture.h"
#include "window/ApplicationTitle.h"
#include "window/CaptionProgressBar.h"
#include "window/list/BrowseForFolder.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"

#include <QApplication>
#include <QBuffer>
#include <QFileInfo>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageWriter>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>
#if !defined(Q_OS_WIN)
#include <sys/stat.h>
#endif

using namespace orvandel;
using orvandel::test::FormFixture;

namespace {

// A Windows cursor file of our own: an icon file whose type says cursor and whose directory
// entry carries the hot spot.
QByteArray CursorFileBytes(int hotX, int hotY)
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 32; ++y)
        image.setPixelColor(y / 2, y, Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    writer.write(image);
    bytes[2] = 2; // a cursor
    bytes[10] = static_cast<char>(hotX);
    bytes[11] = 0;
    bytes[12] = static_cast<char>(hotY);
    bytes[13] = 0;
    return bytes;
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        QVERIFY2(m_fixture->prompts.unexpected.isEmpty(),
                 qPrintable(m_fixture->prompts.unexpected.join(", ")));
        QVERIFY(m_fixture->prompts.scriptDone());
        m_fixture.reset();
    }
    void init() { m_fixture = std::make_unique<FormFixture>(); }

    void controlsSitWhereTheyBelong_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<double>("points");
        QTest::newRow("ListView1") << "ListView1" << QRect(8, 8, 520, 158) << "" << 9.0;
        QTest::newRow("PushButton1") << "PushButton1" << QRect(8, 172, 256, 27) << "Add VCF File(s)" << 11.25;
        QTest::newRow("PushButton7") << "PushButton7" << QRect(272, 172, 256, 27)
                                     << "Add All VCF File(s) In Folder" << 11.25;
        QTest::newRow("PushButton8") << "PushButton8" << QRect(8, 206, 256, 27) << "Clear List" << 11.25;
        QTest::newRow("PushButton6") << "PushButton6" << QRect(272, 206, 256, 27)
                                     << "Load Sample/Example Files" << 11.25;
        QTest::newRow("Frame1") << "Frame1" << QRect(8, 238, 520, 54) << "Save Results To This Folder" << 9.0;
        QTest::newRow("Text1") << "Text1" << QRect(16, 20, 441, 23) << "" << 9.0;
        QTest::newRow("PushButton9") << "PushButton9" << QRect(464, 20, 40, 23) << "..." << 11.25;
        QTest::newRow("PushButton2") << "PushButton2" << QRect(8, 300, 520, 27)
                                     << "Start Extracting VCF Images" << 11.25;
        QTest::newRow("ProgressBar1") << "ProgressBar1" << QRect(8, 335, 520, 27) << "" << 9.0;
    }

    void controlsSitWhereTheyBelong()
    {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(double, points);
        Form1& form = m_fixture->start();
        auto* control = form.findChild<QWidget*>(name);
        QVERIFY(control);
        QCOMPARE(control->geometry(), geometry);
        if (auto* button = qobject_cast<QPushButton*>(control))
            QCOMPARE(button->text(), caption);
        if (auto* frame = qobject_cast<QGroupBox*>(control))
            QCOMPARE(frame->title(), caption);
        QCOMPARE(control->font().pointSizeF(), points);
        QVERIFY(control->font().bold());
        QCOMPARE(control->font().family(), QStringLiteral("Arial"));
    }

    void windowIsFixedAndWhite()
    {
        Form1& form = m_fixture->start();
        QCOMPARE(form.size(), QSize(536, 370));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(m_fixture->child<QGroupBox>("Frame1")->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(form.windowTitle(), QStringLiteral("Orvandel"));
        QCOMPARE(form.applicationTitle(), QStringLiteral("Orvandel"));
        QVERIFY(!form.windowIcon().isNull());
        auto* bar = m_fixture->child<CaptionProgressBar>("ProgressBar1");
        QCOMPARE(bar->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(bar->progressValue(), 0.0);
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void tabOrderFollowsTheLayout()
    {
        Form1& form = m_fixture->start();
        QStringList chain;
        QWidget* widget = m_fixture->child<QWidget>("ListView1");
        for (int i = 0; i < 8; ++i) {
            chain << widget->objectName();
            widget = widget->nextInFocusChain();
            while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty())
                widget = widget->nextInFocusChain();
        }
        QCOMPARE(chain,
                 QStringList({"ListView1", "PushButton1", "PushButton7", "PushButton8", "Text1",
                              "PushButton9", "PushButton2", "PushButton6"}));
        Q_UNUSED(form);
    }

    void listHasItsOneColumn()
    {
        Form1& form = m_fixture->start();
        auto* list = m_fixture->child<FileListView>("ListView1");
        QCOMPARE(list->model()->columnCount(), 1);
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" VCF File(s)"));
        QCOMPARE(list->header()->sectionSize(0), 467);
        QCOMPARE(list->toolTip(),
                 QStringLiteral(
                     "Drag and drop files here. Double-click item to remove it. Move | line to right and "
                     "out of window to reveal full names."));
        test::AppendAll(form.fileList(), {"/a.vcf", "/b.vcf"});
        form.fileList().flush();
        QCOMPARE(list->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral(" VCF File(s)"));
    }

    void firstStartShowsTheDesktopAndSavesIt()
    {
        QVERIFY(!m_fixture->hasSetting("Text1"));
        Form1& form = m_fixture->start();
        const QString expected = m_fixture->desktop();
        QCOMPARE(test::OutputBox(form)->text(), expected);
        QCOMPARE(m_fixture->setting("Text1"), expected);
    }

    void secondStartReadsTheStoredFolder_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("folder") << "/srv/photos/";
        QTest::newRow("without separator") << "/srv/photos";
        QTest::newRow("empty stays empty") << "";
    }

    void secondStartReadsTheStoredFolder()
    {
        QFETCH(QString, stored);
        m_fixture->putSetting("Text1", stored);
        Form1& form = m_fixture->start();
        QCOMPARE(test::OutputBox(form)->text(), stored);
        QCOMPARE(m_fixture->setting("Text1"), stored);
    }

    void typingIntoTheBoxIsSaved()
    {
        Form1& form = m_fixture->start();
        test::OutputBox(form)->clear();
        QTest::keyClicks(test::OutputBox(form), "/tmp/x");
        QCOMPARE(m_fixture->setting("Text1"), QStringLiteral("/tmp/x"));
    }

    void applicationTitleCutsWords_data()
    {
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("title");
        QTest::newRow("one word stays") << "Orvandel"
                                        << "Orvandel";
        QTest::newRow("short name loses its last word") << "Orvandel Card Photos"
                                                        << "Orvandel Card";
        QTest::newRow("45 characters lose their last word") << "Orvandel Photo Extractor For Contact Pictures"
                                                            << "Orvandel Photo Extractor For Contact";
        QTest::newRow("60 characters") << "Alpha Bravo Charlie Delta Echo Foxtrot Golf Hotel India Juli"
                                       << "Alpha Bravo Charlie Delta Echo Foxtrot";
    }

    void applicationTitleCutsWords()
    {
        QFETCH(QString, product);
        QFETCH(QString, title);
        QCOMPARE(ApplicationTitle(product), title);
    }

    void skinFileColoursTheWindow()
    {
        m_fixture->programFile("x/o.cjs", "QPushButton { color: rgb(10, 20, 30); }");
        Form1& form = m_fixture->start();
        const QColor face = QApplication::palette().color(QPalette::Button);
        QCOMPARE(form.palette().color(QPalette::Window), face);
        QCOMPARE(m_fixture->child<QGroupBox>("Frame1")->palette().color(QPalette::Window), face);
        QCOMPARE(form.styleSheet(), QStringLiteral("QPushButton{color:rgb(10, 20, 30);}\n"));
    }

    void aSkinSizesNothing()
    {
        QHash<QString, QRect> fixed;
        const auto controls
            = [](Form1& form) { return form.findChildren<QWidget*>(QRegularExpression("^[A-Z]")); };
        for (QWidget* control : controls(m_fixture->start()))
            fixed.insert(control->objectName(), control->geometry());
        QVERIFY(fixed.size() >= 10);
        m_fixture->programFile(
            "x/o.cjs",
            "* { min-width: 16777215px; min-height: 16777215px; padding: 9999px; font-size: "
            "9999pt; qproperty-maximumWidth: 1 }");
        Form1& form = m_fixture->start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(536, 370));
        for (QWidget* control : controls(form)) {
            QCOMPARE(control->geometry(), fixed.value(control->objectName()));
            QVERIFY(QFontInfo(control->font()).pixelSize() <= 64);
        }
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void skinFilesAreReadSafely_data()
    {
        QTest::addColumn<QString>("sheet"); // "%1" stands for the image's path
        QTest::addColumn<QString>("image"); // "pipe", "png", "big" or "none"
        QTest::addColumn<bool>("skinned");
        QTest::addColumn<bool>("imageKept");
        QTest::newRow("an image") << "QPushButton { background-image: url(%1) }"
                                  << "png" << true << true;
        QTest::newRow("a pipe for an image") << "QPushButton { image: url('%1') }"
                                             << "pipe" << true << false;
        QTest::newRow("an image too large") << "QPushButton { border-image: url(%1) }"
                                            << "big" << true << false;
        QTest::newRow("a sheet of over 1 MB") << QString(1024 * 1024, QLatin1Char(' ')) + "* {}"
                                              << "none" << false << false;
        QTest::newRow("a pipe for the sheet") << "pipe"
                                              << "none" << false << false;
    }

    void skinFilesAreReadSafely()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, image);
        QFETCH(bool, skinned);
        QFETCH(bool, imageKept);
        QByteArray png;
        QString imagePath = m_fixture->programPath("x/image.png", image == "pipe");
        if (image == "png" || image == "big") {
            QImage picture(image == "big" ? QSize(4097, 1) : QSize(4, 4), QImage::Format_ARGB32);
            picture.fill(Qt::red);
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "png");
            m_fixture->programFile("x/image.png", png);
        }
        if (sheet == "pipe")
            m_fixture->programPath("x/o.cjs", true);
        else
            m_fixture->programFile("x/o.cjs", (sheet.contains("%1") ? sheet.arg(imagePath) : sheet).toUtf8());
        Form1& form = m_fixture->start();
        const QColor face = QApplication::palette().color(QPalette::Button);
        QCOMPARE(form.palette().color(QPalette::Window), skinned ? face : QColor(Qt::white));
        QCOMPARE(form.styleSheet().isEmpty(), !skinned);
        QVERIFY(!form.styleSheet().contains(imagePath));
        const QRegularExpressionMatch named
            = QRegularExpression(QStringLiteral("url\\(\"([^\"]*)\"\\)")).match(form.styleSheet());
        // An image refused is absent: its declaration goes.
        QCOMPARE(named.hasMatch(), imageKept);
        if (imageKept) {
            QFile copy(named.captured(1));
            QVERIFY(copy.open(QIODevice::ReadOnly));
            QCOMPARE(copy.readAll(), png);
        }
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void hiddenOrMissingSkinIsNoSkin()
    {
        m_fixture->programFile("x/.o.cjs", "QWidget { color: red; }");
        m_fixture->folder("x"); // the folder alone
        Form1& form = m_fixture->start();
        QCOMPARE(form.palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(form.styleSheet().isEmpty());
    }

    void handCursorFileGivesTheCustomPointer()
    {
        m_fixture->programFile("HAND-M.CUR", CursorFileBytes(5, 1));
        Form1& form = m_fixture->start();
        QVERIFY(form.hasCustomCursor());
        QEnterEvent enter({1, 1}, {1, 1}, {1, 1});
        QCoreApplication::sendEvent(m_fixture->child<QPushButton>("PushButton1"), &enter);
        QCOMPARE(form.pointer(), Form1::Pointer::Custom);
        QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(form.cursor().hotSpot(), QPoint(5, 1));
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void handCursorFileIsReadSafely_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: a pipe stands there; "/dev/zero": a link to it
        QTest::addColumn<QSize>("pointer"); // none: no custom pointer
        QTest::addColumn<QPoint>("hotSpot");
        // The window system takes no pointer this large: it is scaled down, hot spot and all.
        QTest::newRow("2048 x 2048") << test::PngIconFile({2048, 2048}, true, {1024, 512}) << QSize(256, 256)
                                     << QPoint(128, 64);
        QTest::newRow("a pipe") << QByteArray() << QSize() << QPoint();
        QTest::newRow("a link to a device") << QByteArray("/dev/zero") << QSize() << QPoint();
        QTest::newRow("over 1 MB") << CursorFileBytes(5, 1) + QByteArray(1024 * 1024, '\0') << QSize()
                                   << QPoint();
    }

    void handCursorFileIsReadSafely()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, pointer);
        QFETCH(QPoint, hotSpot);
        if (bytes.isEmpty())
            m_fixture->programPath("HAND-M.CUR", true);
        else if (bytes == "/dev/zero") {
#if defined(Q_OS_WIN)
            QSKIP("Windows has no device among its files to link to");
#endif
            QVERIFY(QFile::link(bytes, m_fixture->programPath("HAND-M.CUR")));
        } else
            m_fixture->programFile("HAND-M.CUR", bytes);
        Form1& form = m_fixture->start();
        QCOMPARE(form.hasCustomCursor(), pointer.isValid());
        QEnterEvent enter({1, 1}, {1, 1}, {1, 1});
        QCoreApplication::sendEvent(m_fixture->child<QPushButton>("PushButton1"), &enter);
        QCOMPARE(form.cursor().shape(), pointer.isValid() ? Qt::BitmapCursor : Qt::ArrowCursor);
        if (pointer.isValid()) {
            QCOMPARE(form.cursor().pixmap().size(), pointer);
            QCOMPARE(form.cursor().hotSpot(), hotSpot);
        }
        // A file refused unread counts as absent: no report.
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void brokenHandCursorIsReportedAtLine106()
    {
        m_fixture->programFile("HAND-M.CUR", "not a cursor");
        Form1& form = m_fixture->start();
        QVERIFY(!form.hasCustomCursor());
        QCOMPARE(m_fixture->prompts.shown.size(), 1);
        const auto& report = m_fixture->prompts.shown.constFirst();
        QCOMPARE(report.title, QStringLiteral("Application Error"));
        QCOMPARE(report.icon, Prompts::Icon::Warning);
        QVERIFY(report.text.contains("\r\nin Tessivor2021/08/31.Form1.Form_Load at line 106\r\r"));
        // Start-up goes on after the report.
        QCOMPARE(test::OutputBox(form)->text(), m_fixture->desktop());
    }

    void pointerRules_data()
    {
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("over");
        QTest::addColumn<int>("pointer");
        QTest::newRow("button sets custom") << false << "PushButton2" << int(Form1::Pointer::Custom);
        QTest::newRow("browse button sets custom") << false << "PushButton9" << int(Form1::Pointer::Custom);
        QTest::newRow("frame resets") << false << "Frame1" << int(Form1::Pointer::Default);
        QTest::newRow("busy stays over a button") << true << "PushButton1" << int(Form1::Pointer::Busy);
        QTest::newRow("busy stays over the frame") << true << "Frame1" << int(Form1::Pointer::Busy);
    }

    void pointerRules()
    {
        QFETCH(bool, busy);
        QFETCH(QString, over);
        QFETCH(int, pointer);
        Form1& form = m_fixture->start();
        // Start from a pointer that the rule must change (or, while busy, must keep).
        if (busy)
            form.holdBusy();
        else
            form.setPointer(over == "Frame1" ? Form1::Pointer::Custom : Form1::Pointer::Default);
        QEnterEvent enter({1, 1}, {1, 1}, {1, 1});
        QCoreApplication::sendEvent(form.findChild<QWidget*>(over), &enter);
        QCOMPARE(int(form.pointer()), pointer);
        // Without a cursor file the custom pointer is the arrow.
        if (form.pointer() == Form1::Pointer::Custom)
            QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    }

    void hoverFollowsTheWidgetUnderTheMouse_data()
    {
        QTest::addColumn<bool>("handFile");
        QTest::addColumn<QString>("over");
        QTest::addColumn<int>("pointer");
        for (const bool hand : {false, true}) {
            const char* with = hand ? "with HAND-M.CUR" : "without HAND-M.CUR";
            for (const char* button :
                 {"PushButton1", "PushButton2", "PushButton6", "PushButton7", "PushButton8", "PushButton9"})
                QTest::addRow("%s, %s", button, with) << hand << button << int(Form1::Pointer::Custom);
            QTest::addRow("Frame1, %s", with) << hand << "Frame1" << int(Form1::Pointer::Default);
        }
    }

    void hoverFollowsTheWidgetUnderTheMouse()
    {
        QFETCH(bool, handFile);
        QFETCH(QString, over);
        QFETCH(int, pointer);
        if (handFile)
            m_fixture->programFile("HAND-M.CUR", CursorFileBytes(5, 1));
        Form1& form = m_fixture->start();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* frame = m_fixture->child<QGroupBox>("Frame1");
        // A point of the frame where none of its controls lies.
        const QPoint bareFrame(3, frame->height() - 3);
        QVERIFY(!frame->childAt(bareFrame));
        // Come from a widget whose rule sets the other pointer, as the user's mouse would.
        if (over == "Frame1")
            hover(m_fixture->child<QPushButton>("PushButton2"), {});
        else
            hover(frame, bareFrame);
        QVERIFY(form.pointer() != Form1::Pointer(pointer));

        QWidget* target = form.findChild<QWidget*>(over);
        const QPoint at = over == "Frame1" ? bareFrame : target->rect().center();
        hover(target, at);
        QTest::mouseMove(target, at + QPoint(1, 1));
        QCOMPARE(int(form.pointer()), pointer);
        // What the widget really under the mouse shows.
        QWidget* under = QApplication::widgetAt(target->mapToGlobal(at + QPoint(1, 1)));
        QCOMPARE(under, target);
        const bool hand = handFile && form.pointer() == Form1::Pointer::Custom;
        QCOMPARE(under->cursor().shape(), hand ? Qt::BitmapCursor : Qt::ArrowCursor);
    }

    void browsePutsTheFolderWithSeparator()
    {
        Form1& form = m_fixture->start();
        const QString chosen = test::Native(m_fixture->folder("photos"));
        m_fixture->prompts.answerFolder(chosen);
        QTest::mouseClick(m_fixture->child<QPushButton>("PushButton9"), Qt::LeftButton);
        QCOMPARE(test::OutputBox(form)->text(), chosen + QDir::separator());
        QCOMPARE(m_fixture->setting("LastFolderDot"), chosen);
        QCOMPARE(m_fixture->setting("Text1"), chosen + QDir::separator());
        const auto& picker = m_fixture->prompts.shown.constLast();
        QCOMPARE(picker.text, QStringLiteral("Please select folder:"));
        QCOMPARE(picker.extra, QString()); // no start folder the first time

        // The next browse starts at the folder chosen last, not at the box's text.
        test::OutputBox(form)->setText("/elsewhere/");
        m_fixture->prompts.answerFolder(QString());
        form.PushButton9_Click();
        QCOMPARE(m_fixture->prompts.shown.constLast().extra, chosen);
        QCOMPARE(test::OutputBox(form)->text(), QStringLiteral("/elsewhere/"));
        QCOMPARE(m_fixture->setting("LastFolderDot"), chosen);
    }

    void browseGivesTheBoxOneTrailingSeparator_data()
    {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("box");
#if defined(Q_OS_WIN)
        QTest::newRow("folder") << "C:\\Cards"
                                << "C:\\Cards\\";
        QTest::newRow("drive root") << "C:\\"
                                    << "C:\\";
        QTest::newRow("network share") << "\\\\server\\share"
                                       << "\\\\server\\share\\";
#else
        QTest::newRow("folder") << "/srv/cards"
                                << "/srv/cards/";
        QTest::newRow("root") << "/"
                              << "/";
#endif
    }

    void browseGivesTheBoxOneTrailingSeparator()
    {
        QFETCH(QString, picked);
        QFETCH(QString, box);
        Form1& form = m_fixture->start();
        m_fixture->prompts.answerFolder(picked);
        form.PushButton9_Click();
        QCOMPARE(test::OutputBox(form)->text(), box);
        QCOMPARE(m_fixture->setting("LastFolderDot"), picked);
    }

    // What the folder picker hands back, in the system's own form.
    void pickedFoldersAreInTheSystemsForm_data()
    {
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("path");
#if defined(Q_OS_WIN)
        QTest::newRow("drive root") << "C:/"
                                    << "C:\\";
        QTest::newRow("folder") << "C:/Cards/"
                                << "C:\\Cards";
        QTest::newRow("network folder") << "//server/share/Cards"
                                        << "\\\\server\\share\\Cards";
#else
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("folder") << "/srv/cards/"
                                << "/srv/cards";
#endif
    }

    void pickedFoldersAreInTheSystemsForm()
    {
        QFETCH(QString, selected);
        QFETCH(QString, path);
        QCOMPARE(PickedFolderPath(selected), path);
    }

    void whatStandsAtTheSettingsNameIsLeftAlone_data()
    {
        QTest::addColumn<QString>("standing"); // what stands at the settings file's name
        QTest::addColumn<QString>("why");
        QTest::newRow("a folder") << "folder"
                                  << "it is not a regular file";
        QTest::newRow("a file of over 1 MB") << "large"
                                             << "it is larger than 1 MB";
#if !defined(Q_OS_WIN)
        QTest::newRow("a pipe") << "pipe"
                                << "it is not a regular file";
        QTest::newRow("a link to a pipe") << "link"
                                          << "it is not a regular file";
#endif
    }

    void whatStandsAtTheSettingsNameIsLeftAlone()
    {
        QFETCH(QString, standing);
        QFETCH(QString, why);
        const QString path = m_fixture->settingsPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QByteArray large = "[Orvandel]\nText1=/big/\n" + QByteArray(1024 * 1024, '#');
        if (standing == "folder") {
            QDir().mkpath(path);
        } else if (standing == "large") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(large) == large.size());
        } else {
#if !defined(Q_OS_WIN)
            const QString pipe = standing == "pipe" ? path : path + ".pipe";
            QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
            if (standing == "link")
                QVERIFY(QFile::link(pipe, path));
#endif
        }
        Form1& form = m_fixture->start();
        // Start-up neither blocks nor gives up: one report names the file and why, and the
        // desktop stands in for the stored folder.
        QCOMPARE(test::OutputBox(form)->text(), m_fixture->desktop());
        QStringList messages = m_fixture->prompts.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages.constFirst().startsWith("The settings cannot be read: " + test::Native(path) + " ("
                                                  + why
                                                  + ")\r\nin Tessivor2021/08/31.Form1.Form_Load at line 132"),
                 qPrintable(messages.constFirst()));
        // Typing into the box adds no box, and what stands there stays as it was.
        test::OutputBox(form)->setText("/a/");
        test::OutputBox(form)->setText("/b/");
        QCOMPARE(m_fixture->prompts.messages().size(), 1);
        const QFileInfo after(path);
        QCOMPARE(after.isDir(), standing == "folder");
        QCOMPARE(after.isSymLink(), standing == "link");
        if (standing == "large") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), large);
        }
    }

    // A stored output folder that the window cannot take (longer than the box holds, or any path
    // can be; in the registry, a value of another type) is told, and left as it is until the user
    // puts another folder into the box: the desktop that stands in for it is not saved over it.
    void aStoredFolderTheWindowCannotTakeIsLeftAsItIs()
    {
        const QString stored(40000, QLatin1Char('a'));
        m_fixture->putSetting("Text1", stored);
        Form1& form = m_fixture->start();
        QCOMPARE(test::OutputBox(form)->text(), m_fixture->desktop());
        const QStringList messages = m_fixture->prompts.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(
            messages.constFirst().startsWith("The settings cannot be read: the output folder \"Text1\" is "
                                             "longer than a path can be (40000 characters)\r\nin "
                                             "Tessivor2021/08/31.Form1.Form_Load at line 132"),
            qPrintable(messages.constFirst()));
        QCOMPARE(m_fixture->setting("Text1"), stored);
        test::OutputBox(form)->setText("/chosen/");
        QCOMPARE(m_fixture->setting("Text1"), QStringLiteral("/chosen/"));
    }

    void aSaveThatFailsIsToldOncePerStart()
    {
        // A file stands where the settings' folder should be: nothing is stored, nor can be.
        const QString path = m_fixture->settingsPath();
        QFile blocker(QFileInfo(path).absolutePath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Form1& form = m_fixture->start();
        QCOMPARE(test::OutputBox(form)->text(), m_fixture->desktop());
        test::OutputBox(form)->setText("/a/");
        test::OutputBox(form)->setText("/b/");
        QCOMPARE(m_fixture->prompts.messages().size(), 1);
        const auto& box = m_fixture->prompts.shown.constFirst();
        QCOMPARE(box.title, QStringLiteral("Orvandel"));
        QCOMPARE(box.icon, Prompts::Icon::Warning);
        QVERIFY2(box.text.startsWith("The setting \"Text1\" cannot be saved: " + test::Native(path) + " ("),
                 qPrintable(box.text));
        QVERIFY(box.text.endsWith("\r\rThe output folder will not be remembered for the next start."));
    }

    void cancelledBrowseChangesNothing()
    {
        Form1& form = m_fixture->start();
        const QString before = test::OutputBox(form)->text();
        m_fixture->prompts.answerFolder(QString());
        form.PushButton9_Click();
        QCOMPARE(test::OutputBox(form)->text(), before);
        QVERIFY(!m_fixture->hasSetting("LastFolderDot"));
        QCOMPARE(m_fixture->setting("Text1"), before);
    }

    void aSettingThatCannotBeSavedIsReportedAndTheBrowseGoesOn()
    {
        Form1& form = m_fixture->start();
        // The store's file cannot be written where a file stands in place of its folder.
        QTemporaryDir blocked;
        QFile(blocked.path() + "/settings").open(QIODevice::WriteOnly);
        SettingsStore broken(blocked.path() + "/settings/Quorvane.ini");
        Form1 other(FormServices {m_fixture->prompts, broken, QString()});
        m_fixture->prompts.answerFolder(test::Native("/srv"));
        other.PushButton9_Click();
        QCOMPARE(test::OutputBox(other)->text(), test::Native("/srv/"));
        QStringList reports = m_fixture->prompts.messages();
        QVERIFY(!reports.isEmpty());
        QVERIFY2(reports.constFirst().startsWith("The setting \"LastFolderDot\" cannot be saved"),
                 qPrintable(reports.constFirst()));
        QVERIFY(reports.constFirst().contains(
            "\r\nin Tessivor2021/08/31.Form1.PushButton9_Click at line 104\r\r"));
        Q_UNUSED(form);
    }

private:
    // Moves the mouse onto `widget` at `at` (its centre when null).
    static void hover(QWidget* widget, QPoint at)
    {
        QTest::mouseMove(widget, at.isNull() ? widget->rect().center() : at);
        QCoreApplication::processEvents();
    }

    std::unique_ptr<FormFixture> m_fixture;
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
