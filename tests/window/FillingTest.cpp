#include "FormFixture.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#if defined(Q_OS_WIN)
#include <windows.h>
#endif

using namespace orvandel;
using orvandel::test::FormFixture;

// Filling the list from folder trees, drops and the sample folder.
class FillingTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<FormFixture>();
        m_form = &m_fixture->start();
        m_list = m_fixture->child<FileListView>("ListView1");
        // A tree: the folder's own files, a "~" file, a hidden one, a subfolder.
        m_tree = test::Native(m_fixture->folder("Cards"));
        m_fixture->file("Cards/a.vcf", "A");
        m_fixture->file("Cards/notes.txt", "N");
        m_fixture->file("Cards/~lock.vcf", "L");
        const QString hidden = m_fixture->file("Cards/.hidden.vcf", "H");
#if defined(Q_OS_WIN)
        // A leading dot hides nothing on Windows: the file is hidden as Windows hides files.
        ::SetFileAttributesW(test::Native(hidden).toStdWString().c_str(),
                             FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
#else
        Q_UNUSED(hidden);
#endif
        m_fixture->file("Cards/Sub/b.vcf", "B");
        m_fixture->file("Cards/Sub/Deeper/c.VCF", "C");
    }

    void cleanup()
    {
        QVERIFY2(m_fixture->prompts.unexpected.isEmpty(),
                 qPrintable(m_fixture->prompts.unexpected.join(", ")));
        QVERIFY(m_fixture->prompts.scriptDone());
        m_fixture.reset();
    }

    void dropsAreAcceptedOnlyWithFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("files") << "files" << true;
        QTest::newRow("plain text") << "text" << false;
        QTest::newRow("web link") << "web" << false;
    }

    void dropsAreAcceptedOnlyWithFiles()
    {
        QFETCH(QString, kind);
        QFETCH(bool, accepted);
        QMimeData data;
        if (kind == "files")
            data.setUrls({QUrl::fromLocalFile(m_tree + "/a.vcf")});
        else if (kind == "text")
            data.setText(m_tree + "/a.vcf");
        else
            data.setUrls({QUrl("https://example.org/card.vcf")});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list->viewport(), &enter);
        QCOMPARE(enter.isAccepted(), accepted);
        QDragMoveEvent move(QPoint(12, 12), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list->viewport(), &move);
        QCOMPARE(move.isAccepted(), accepted);
        QDropEvent drop(QPointF(12, 12), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list->viewport(), &drop);
        QCoreApplication::processEvents();
        QCOMPARE(m_form->fileList().count(), accepted ? 1 : 0);
    }

    void droppedPathsAreListed_data()
    {
        QTest::addColumn<QStringList>("dropped"); // relative to the scratch folder
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("three files as they are")
            << QStringList({"Cards/Sub/b.vcf", "Cards/~lock.vcf", "Cards/.hidden.vcf"})
            << QStringList({"Cards/Sub/b.vcf", "Cards/~lock.vcf", "Cards/.hidden.vcf"});
        QTest::newRow("a folder with its tree")
            << QStringList({"Cards"})
            << QStringList({"Cards/a.vcf", "Cards/notes.txt", "Cards/Sub/b.vcf", "Cards/Sub/Deeper/c.VCF"});
        QTest::newRow("two folders, each tree once")
            << QStringList({"Cards/Sub", "Cards"})
            << QStringList({"Cards/Sub/b.vcf", "Cards/Sub/Deeper/c.VCF", "Cards/a.vcf", "Cards/notes.txt",
                            "Cards/Sub/b.vcf", "Cards/Sub/Deeper/c.VCF"});
        QTest::newRow("a mix in the order dropped")
            << QStringList({"Cards/notes.txt", "Cards/Sub", "Cards/a.vcf"})
            << QStringList({"Cards/notes.txt", "Cards/Sub/b.vcf", "Cards/Sub/Deeper/c.VCF", "Cards/a.vcf"});
        QTest::newRow("a missing file is listed too")
            << QStringList({"Cards/gone.vcf"}) << QStringList({"Cards/gone.vcf"});
    }

    void droppedPathsAreListed()
    {
        QFETCH(QStringList, dropped);
        QFETCH(QStringList, listed);
        const QString base = QFileInfo(m_tree).absolutePath() + "/";
        QList<QUrl> urls;
        for (const QString& path : dropped)
            urls << QUrl::fromLocalFile(base + path);
        QMimeData data;
        data.setUrls(urls);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list->viewport(), &enter);
        QCoreApplication::sendEvent(m_list->viewport(), &drop);
        QVERIFY(drop.isAccepted());
        QStringList expected;
        for (const QString& path : listed)
            expected << test::Native(base + path);
        QTRY_COMPARE(m_form->fileList().texts(), expected);
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void theSameFolderDroppedTwiceIsListedTwice()
    {
        m_form->ListView1_OLEDragDrop({m_tree + "/Sub"});
        m_form->ListView1_OLEDragDrop({m_tree + "/Sub"});
        QCOMPARE(m_form->fileList().count(), 4);
    }

    void droppingTheRootListsSingleSeparators()
    {
        // The system's root ("/", or "C:\\" on Windows) is a real tree: stop the scan once some
        // of its files are in. They read "/etc/x" or "C:\\x", never "//etc/x" or "C:\\\\x".
        const QString root = test::Native(QDir::rootPath());
        int yields = 0;
        auto* stopper = new QTimer(m_form);
        connect(stopper, &QTimer::timeout, m_form, [&] {
            if (++yields > 1 && m_form->fileList().count() > 0)
                m_form->close();
        });
        stopper->start(0);
        m_form->ListView1_OLEDragDrop({root});
        stopper->stop();
        QVERIFY(m_form->fileList().count() > 0);
        for (const QString& path : m_form->fileList().texts()) {
            QVERIFY2(path.startsWith(root) && !path.startsWith(root + QDir::separator()), qPrintable(path));
        }
    }

    void folderCommandAddsTheMatchingTree()
    {
        m_fixture->prompts.answerText("vcf");
        m_fixture->prompts.answerFolder(m_tree);
        QList<int> pointers;
        auto* watch = new QTimer(m_form);
        connect(watch, &QTimer::timeout, m_form, [&] { pointers << int(m_form->pointer()); });
        watch->start(0);
        QTest::mouseClick(m_fixture->child<QPushButton>("PushButton7"), Qt::LeftButton);
        watch->stop();
        QCOMPARE(m_form->fileList().texts(),
                 test::Native({m_tree + "/a.vcf", m_tree + "/Sub/b.vcf", m_tree + "/Sub/Deeper/c.VCF"}));
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
        QVERIFY(pointers.contains(int(Form1::Pointer::Busy)));

        const auto& prompt = m_fixture->prompts.shown.at(0);
        QCOMPARE(prompt.kind, QStringLiteral("input"));
        QCOMPARE(prompt.title, QStringLiteral("Orvandel"));
        QCOMPARE(prompt.text,
                 QStringLiteral("Enter file extension to load:\r\r(* for all files, txt for all txt files, "
                                "doc for all doc files, etc.)"));
        QCOMPARE(prompt.extra, QStringLiteral("vcf")); // the default on the first use
        QCOMPARE(m_fixture->prompts.shown.at(1).text, QStringLiteral("Please select folder:"));
        QCOMPARE(m_fixture->prompts.shown.at(1).extra, QString());
        QCOMPARE(m_fixture->setting("Extension"), QStringLiteral("vcf"));
        QCOMPARE(m_fixture->setting("LastFolder"), m_tree);

        // The next use offers what was typed and chosen last; a second run lists everything again.
        m_fixture->prompts.answerText("*");
        m_fixture->prompts.answerFolder(m_tree + "/Sub");
        m_form->PushButton7_Click();
        QCOMPARE(m_fixture->prompts.shown.at(2).extra, QStringLiteral("vcf"));
        QCOMPARE(m_fixture->prompts.shown.at(3).extra, m_tree);
        QCOMPARE(m_form->fileList().count(), 5);
        QCOMPARE(m_fixture->setting("Extension"), QStringLiteral("*"));
    }

    // A folder the scan leaves out is told once the command is done, as the command line tells it;
    // the rest of the tree is listed.
    void aFolderLeftOutIsTold()
    {
        // U+0081, a control character: no program could show the name.
        const QString left = m_fixture->folder(QStringLiteral("Cards/Left") + QChar(0x81));
        m_fixture->file(QStringLiteral("Cards/Left") + QChar(0x81) + "/x.vcf", "X");
        m_fixture->prompts.answerText("vcf");
        m_fixture->prompts.answerFolder(m_tree);
        m_form->PushButton7_Click();
        QCOMPARE(m_form->fileList().count(), 3);
        const QStringList messages = m_fixture->prompts.messages();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(
            messages.at(0).startsWith("A folder was left out:\n\n" + m_tree + QDir::separator() + "Left"),
            qPrintable(messages.at(0)));
#if defined(Q_OS_WIN)
        const QString lacks = QStringLiteral("a character that the system's code page lacks");
#else
        const QString lacks = QStringLiteral("bytes that are not UTF-8");
#endif
        QVERIFY2(messages.at(0).endsWith(": its name holds a control character, a \"?\" or " + lacks),
                 qPrintable(messages.at(0)));
        Q_UNUSED(left);
    }

#if defined(Q_OS_WIN)
    // A tree whose files lie past 260 characters is read whole, as on Linux.
    void theFolderCommandReadsPast260Characters()
    {
        QString deep = QStringLiteral("Cards/Sub");
        while (m_tree.size() + deep.size() < 300)
            deep += QStringLiteral("/") + QString(40, QLatin1Char('d'));
        const QString file = test::Native(m_fixture->file(deep + "/deep.vcf", "D"));
        m_fixture->prompts.answerText("vcf");
        m_fixture->prompts.answerFolder(m_tree);
        m_form->PushButton7_Click();
        QVERIFY(m_form->fileList().texts().contains(file));
        QVERIFY(m_fixture->prompts.messages().isEmpty());
    }
#endif

    void folderCommandTakesTheTypedTextAsItIs_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("count");
        QTest::newRow("star gives every file") << "*" << 4;
        QTest::newRow("txt") << "txt" << 1;
        QTest::newRow("a leading dot matches nothing") << ".vcf" << 0;
        QTest::newRow("case is ignored") << "VCF" << 3;
    }

    void folderCommandTakesTheTypedTextAsItIs()
    {
        QFETCH(QString, typed);
        QFETCH(int, count);
        m_fixture->prompts.answerText(typed);
        m_fixture->prompts.answerFolder(m_tree);
        m_form->PushButton7_Click();
        QCOMPARE(m_form->fileList().count(), count);
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
    }

    void cancellingTheFolderCommand()
    {
        // An empty answer ends the command with nothing stored.
        m_fixture->prompts.answerText(QString());
        m_form->PushButton7_Click();
        QVERIFY(!m_fixture->hasSetting("Extension"));
        // A cancelled folder keeps the typed extension but stores no folder.
        m_fixture->prompts.answerText("txt");
        m_fixture->prompts.answerFolder(QString());
        m_form->PushButton7_Click();
        QCOMPARE(m_fixture->setting("Extension"), QStringLiteral("txt"));
        QVERIFY(!m_fixture->hasSetting("LastFolder"));
        QCOMPARE(m_form->fileList().count(), 0);
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
    }

    void aFolderThatCannotBeRememberedIsReportedAtLine334()
    {
        QTemporaryDir blocked;
        QFile(blocked.path() + "/settings").open(QIODevice::WriteOnly);
        SettingsStore broken(blocked.path() + "/settings/Quorvane.ini");
        Form1 other(FormServices {m_fixture->prompts, broken, QString()});
        m_fixture->prompts.answerText("vcf");
        m_fixture->prompts.answerFolder(m_tree);
        other.PushButton7_Click();
        const QStringList reports = m_fixture->prompts.messages();
        QCOMPARE(reports.size(), 2);
        QVERIFY(reports.at(0).contains("\r\nin Tessivor2021/08/31.Form1.PushButton7_Click at line 100\r\r"));
        QVERIFY(reports.at(1).contains("\r\nin Tessivor2021/08/31.Form1.PushButton7_Click at line 334\r\r"));
        // The command goes on and adds the files.
        QCOMPARE(other.fileList().count(), 3);
    }

    void samplesAreAddedOnceAndTheQuestionComesEachTime()
    {
        m_fixture->programFile("Samples/b.vcf", "B");
        m_fixture->programFile("Samples/a.vcf", "A");
        m_fixture->programFile("Samples/~notes.txt", "N");
        m_fixture->programFile("Samples/.hidden.vcf", "H");
        m_fixture->programFile("Samples/Inner/c.vcf", "C");
        m_form->fileList().append("/elsewhere/a.vcf");
        m_fixture->prompts.answerYesNo(false);
        m_fixture->prompts.answerYesNo(true);
        auto* button = m_fixture->child<QPushButton>("PushButton6");
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::mouseClick(button, Qt::LeftButton);
        const QString samples = QFileInfo(m_fixture->programFile("Samples/a.vcf", "A")).absolutePath();
        QCOMPARE(m_form->fileList().texts(),
                 QStringList({"/elsewhere/a.vcf"})
                     + test::Native({samples + "/.hidden.vcf", samples + "/a.vcf", samples + "/b.vcf",
                                     samples + "/~notes.txt"}));
        QCOMPARE(m_fixture->prompts.shown.size(), 2);
        for (const auto& question : m_fixture->prompts.shown) {
            QCOMPARE(question.kind, QStringLiteral("yesno"));
            QCOMPARE(question.title, QStringLiteral("Orvandel"));
            QCOMPARE(
                question.text,
                QStringLiteral("Would you like this software to open the folder where these sample files are "
                               "stored (so that you can view them before working with them)?"));
        }
        QCOMPARE(m_fixture->prompts.openedFolders, QStringList({test::Native(samples + "/")}));
    }

    // Without its Samples folder there is nothing to list or open: the window says so.
    void aMissingSamplesFolderIsTold()
    {
        m_form->PushButton6_Click();
        QCOMPARE(m_form->fileList().count(), 0);
        QCOMPARE(m_fixture->prompts.messages(),
                 QStringList({"The sample files are missing: there are none in "
                              + test::Native(m_fixture->programPath("Samples")) + "."}));
        QVERIFY(m_fixture->prompts.openedFolders.isEmpty());
    }

    void closingTheWindowStopsAScan()
    {
        for (int i = 0; i < 30; ++i)
            m_fixture->file(QStringLiteral("Many/f%1/x.vcf").arg(i), "X");
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        QTimer::singleShot(0, m_form, [this] { m_form->close(); });
        m_form->ListView1_OLEDragDrop({QFileInfo(m_tree).absolutePath() + "/Many", m_tree});
        QVERIFY(m_form->isClosing());
        QVERIFY(m_form->fileList().count() < 30);
    }

private:
    std::unique_ptr<FormFixture> m_fixture;
    Form1* m_form = nullptr;
    FileListView* m_list = nullptr;
    QString m_tree;
};

QTEST_MAIN(FillingTest)
#include "FillingTest.moc"
