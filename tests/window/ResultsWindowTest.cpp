#include "FormFixture.h"
#include "window/CaptionProgressBar.h"
#include "window/OutcomeIcons.h"
#include "window/RunResults.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace orvandel;
using orvandel::test::FormFixture;

namespace {

// /9j/2Q== is the smallest JPEG there is: its start and end markers.
QByteArray Card(const QByteArray& fn, const QByteArray& photo)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fn + "\r\n" + photo + "\r\nEND:VCARD\r\n";
}

const QByteArray kClassicPhoto = "PHOTO;ENCODING=B;TYPE=JPEG:/9j/2Q==";
// How an iPhone writes it: the classic rules know only the upper-case "B".
const QByteArray kIPhonePhoto = "PHOTO;ENCODING=b;TYPE=JPEG:/9j/2Q==";

RunCounts Counts(std::size_t written, std::size_t withoutPhoto, std::size_t links, std::size_t failed)
{
    RunCounts counts;
    counts.written = written;
    counts.withoutPhoto = withoutPhoto;
    counts.links = links;
    counts.failed = failed;
    return counts;
}

QImage Image(const QIcon& icon)
{
    return icon.pixmap(16, 16).toImage();
}

} // namespace

Q_DECLARE_METATYPE(orvandel::RunCounts)

// What the window tells after a classic run: the results line, the output folder, each item's
// outcome, and the offer of the thorough extraction.
class ResultsWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<FormFixture>();
        m_form = &m_fixture->start();
        m_out = m_fixture->folder("out");
        test::OutputBox(*m_form)->setText(m_out + "/");
    }

    void cleanup()
    {
        QVERIFY2(m_fixture->prompts.unexpected.isEmpty(),
                 qPrintable(m_fixture->prompts.unexpected.join(", ")));
        QVERIFY(m_fixture->prompts.scriptDone());
        m_fixture.reset();
    }

    void resultsLine_data()
    {
        QTest::addColumn<RunCounts>("counts");
        QTest::addColumn<QString>("line");
        QTest::newRow("nothing at all") << Counts(0, 0, 0, 0) << "No image written";
        QTest::newRow("one image") << Counts(1, 0, 0, 0) << "1 image written";
        QTest::newRow("images") << Counts(6, 0, 0, 0) << "6 images written";
        QTest::newRow("the example") << Counts(6, 1, 0, 1)
                                     << "6 images written, 1 file without a photo, 1 failed";
        QTest::newRow("files without a photo")
            << Counts(0, 2, 0, 0) << "No image written, 2 files without a photo";
        QTest::newRow("one link") << Counts(3, 0, 1, 0) << "3 images written, 1 link not fetched";
        QTest::newRow("links") << Counts(3, 0, 2, 0) << "3 images written, 2 links not fetched";
        QTest::newRow("failures") << Counts(0, 0, 0, 200) << "No image written, 200 failed";
        QTest::newRow("every kind, many")
            << Counts(25, 3, 4, 5)
            << "25 images written, 3 files without a photo, 4 links not fetched, 5 failed";
        QTest::newRow("every kind, one")
            << Counts(1, 1, 1, 1) << "1 image written, 1 file without a photo, 1 link not fetched, 1 failed";
    }

    void resultsLine()
    {
        QFETCH(RunCounts, counts);
        QFETCH(QString, line);
        QCOMPARE(QString::fromStdString(ResultsLine(counts)), line);
    }

    void stopText_data()
    {
        QTest::addColumn<int>("filesDone");
        QTest::addColumn<int>("fileCount");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("cards");
        QTest::addColumn<QString>("text");
        QTest::newRow("before the only file") << 0 << 1 << "" << 0 << "Stopped after 0 of 1 file.";
        QTest::newRow("between files") << 3 << 10 << "" << 0 << "Stopped after 3 of 10 files.";
        QTest::newRow("within the only file")
            << 0 << 1 << "/home/ada/export.vcf" << 1 << "Stopped after card 1 of export.vcf (file 1 of 1).";
        QTest::newRow("within a later file, a % in its name")
            << 2 << 5 << "/home/ada/100%1.vcf" << 12 << "Stopped after card 12 of 100%1.vcf (file 3 of 5).";
    }

    void stopText()
    {
        QFETCH(int, filesDone);
        QFETCH(int, fileCount);
        QFETCH(QString, input);
        QFETCH(int, cards);
        QFETCH(QString, text);
        RunStop stop;
        stop.filesDone = static_cast<std::size_t>(filesDone);
        stop.fileCount = static_cast<std::size_t>(fileCount);
        stop.input = input.toStdString();
        stop.cards = static_cast<std::size_t>(cards);
        QCOMPARE(StopText(stop), text);
    }

    void doneSaysWhatTheRunDid()
    {
        list({"a.vcf", "b.vcf"}, Card("A", kClassicPhoto));
        list({"plain.vcf"}, Card("Plain", "TEL:123"));
        m_form->fileList().append(m_fixture->folder("cards") + "/gone.vcf");
        m_form->PushButton2_Click();
        const auto& shown = m_fixture->prompts.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).title, QStringLiteral("Application Error"));
        QCOMPARE(shown.at(1).kind, QStringLiteral("results"));
        QCOMPARE(shown.at(1).title, QStringLiteral("Orvandel"));
        QCOMPARE(shown.at(1).text, QStringLiteral("Done."));
        QCOMPARE(shown.at(1).extra, QStringLiteral("2 images written, 1 file without a photo, 1 failed"));
        QVERIFY(m_fixture->prompts.openedFolders.isEmpty());
    }

    void openFolderHandsTheFolderToTheOpener_data()
    {
        QTest::addColumn<bool>("withPhoto");
        QTest::addColumn<QString>("box"); // relative to the scratch folder's "out"
        QTest::addColumn<QString>("opened");
        QTest::newRow("the images' folder") << true << "/"
                                            << "";
        QTest::newRow("a folder without its \"/\"") << true << ""
                                                    << "";
        QTest::newRow("nothing written: the box's folder") << false << "/"
                                                           << "/";
    }

    void openFolderHandsTheFolderToTheOpener()
    {
        QFETCH(bool, withPhoto);
        QFETCH(QString, box);
        QFETCH(QString, opened);
        list({"a.vcf"}, Card("A", withPhoto ? kClassicPhoto : "TEL:1"));
        test::OutputBox(*m_form)->setText(m_out + box);
        m_fixture->prompts.answerOpenFolder();
        m_form->PushButton2_Click();
        QCOMPARE(m_fixture->prompts.openedFolders, QStringList({m_out + opened}));
    }

    void iconsDiffer()
    {
        const QImage written = Image(OutcomeIcon(ItemOutcome::Kind::Written));
        const QImage noPhoto = Image(OutcomeIcon(ItemOutcome::Kind::NoPhoto));
        const QImage failed = Image(OutcomeIcon(ItemOutcome::Kind::Failed));
        QVERIFY(!written.isNull());
        QVERIFY(written != noPhoto);
        QVERIFY(written != failed);
        QVERIFY(noPhoto != failed);
    }

    void itemsShowTheirOutcome()
    {
        list({"a.vcf"}, Card("A", kClassicPhoto));
        list({"plain.vcf"}, Card("Plain", "TEL:123"));
        list({"bad.vcf"}, "PHOTO:QQ=\r\n");
        QVERIFY(!hasOutcome(1));
        m_fixture->prompts.answerYesNo(false); // the thorough run repairs the photo
        m_form->PushButton2_Click();
        // A file added after the run has no outcome until a run reaches it.
        list({"later.vcf"}, Card("L", kClassicPhoto));
        m_form->fileList().flush();
        checkOutcome(1, ItemOutcome::Kind::Written, m_out + "/a.jpg");
        checkOutcome(2, ItemOutcome::Kind::NoPhoto, "No photo");
        checkOutcome(3, ItemOutcome::Kind::Failed, "Bad Base64 string.");
        QVERIFY(!hasOutcome(4));
        // It takes the icon's place, blank, so that the texts stay in line.
        const QVariant blank = m_form->fileList().data(m_form->fileList().index(3), Qt::DecorationRole);
        QVERIFY(blank.canConvert<QIcon>());
        QVERIFY(Image(blank.value<QIcon>()) != Image(OutcomeIcon(ItemOutcome::Kind::NoPhoto)));
    }

    void outcomesFollowTheirItem()
    {
        list({"a.vcf"}, Card("A", kClassicPhoto));
        list({"plain.vcf"}, Card("Plain", "TEL:123"));
        list({"c.vcf"}, Card("C", kClassicPhoto));
        m_form->PushButton2_Click();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        auto* view = m_fixture->child<FileListView>("ListView1");
        // The reorder drag carries the first item onto the second.
        const auto centre
            = [&](int position) { return view->visualRect(m_form->fileList().index(position - 1)).center(); };
        QTest::mousePress(view->viewport(), Qt::LeftButton, {}, centre(1));
        QMouseEvent move(QEvent::MouseMove, centre(2), view->viewport()->mapToGlobal(centre(2)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &move);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, centre(2));
        QVERIFY(m_form->fileList().text(2).endsWith("/a.vcf"));
        checkOutcome(1, ItemOutcome::Kind::NoPhoto, "No photo");
        checkOutcome(2, ItemOutcome::Kind::Written, m_out + "/a.jpg");
        // A removed item takes its outcome along.
        view->selectPosition(1);
        QTest::keyClick(view, Qt::Key_Delete);
        checkOutcome(1, ItemOutcome::Kind::Written, m_out + "/a.jpg");
        checkOutcome(2, ItemOutcome::Kind::Written, m_out + "/c.jpg");
    }

    void anItemMovedDuringTheRunKeepsItsOwnOutcome()
    {
        list({"a.vcf"}, Card("A", kClassicPhoto));
        list({"plain.vcf"}, Card("Plain", "TEL:123"));
        list({"c.vcf"}, Card("C", kClassicPhoto));
        // While the second file's turn yields, the first two items change places.
        bool swapped = false;
        auto* during = new QTimer(m_form);
        connect(during, &QTimer::timeout, this, [&] {
            if (!swapped && test::ProgressBar(*m_form) && m_form->isBusy()) {
                swapped = true;
                m_form->fileList().swapItems(1, 3);
            }
        });
        during->start(0);
        m_form->PushButton2_Click();
        during->stop();
        QVERIFY(swapped);
        QVERIFY(m_form->fileList().text(3).endsWith("/a.vcf"));
        checkOutcome(3, ItemOutcome::Kind::Written, m_out + "/a.jpg");
        checkOutcome(2, ItemOutcome::Kind::NoPhoto, "No photo");
    }

    void theOffer_data()
    {
        QTest::addColumn<QList<QByteArray>>("files");
        QTest::addColumn<QString>("question"); // empty: not asked
        QTest::addColumn<QString>("blocked"); // a folder standing at this image's name, or none
        const QString one = "1 file holds photos in forms the classic rules do not take. Take every photo of "
                            "every card?";
        const QString two = "2 files hold photos in forms the classic rules do not take. Take every photo of "
                            "every card?";
        QTest::newRow("an iPhone export") << QList<QByteArray>({Card("A", kIPhonePhoto)}) << one << "";
        QTest::newRow("several cards in one file")
            << QList<QByteArray>({Card("A", kClassicPhoto) + Card("B", kClassicPhoto)}) << one << "";
        QTest::newRow("two files the classic rules miss")
            << QList<QByteArray>({Card("A", kIPhonePhoto), Card("B", kClassicPhoto),
                                  Card("C", "photo;encoding=b;type=jpeg:/9j/2Q==")})
            << two << "";
        QTest::newRow("every photo taken")
            << QList<QByteArray>({Card("A", kClassicPhoto), Card("B", kClassicPhoto)}) << ""
            << "";
        QTest::newRow("no photo anywhere") << QList<QByteArray>({Card("A", "TEL:1")}) << ""
                                           << "";
        QTest::newRow("only a link") << QList<QByteArray>(
            {Card("A", "PHOTO;VALUE=URI:https://example.com/a.jpg")})
                                     << ""
                                     << "";
        // The classic rules read the photo, and only the disk kept it from its file: the thorough
        // extraction would take nothing more.
        QTest::newRow("a photo that could not be written")
            << QList<QByteArray>({Card("A", kClassicPhoto)}) << ""
            << "f0.jpg";
        QTest::newRow("a photo that cannot be decoded either way")
            << QList<QByteArray>({Card("A", "PHOTO;ENCODING=b:%%%%")}) << ""
            << "";
    }

    void theOffer()
    {
        QFETCH(QList<QByteArray>, files);
        QFETCH(QString, question);
        QFETCH(QString, blocked);
        if (!blocked.isEmpty())
            QDir().mkpath(m_out + "/" + blocked);
        for (int i = 0; i < files.size(); ++i)
            list({QStringLiteral("f%1.vcf").arg(i)}, files.at(i));
        if (!question.isEmpty())
            m_fixture->prompts.answerYesNo(false);
        m_form->PushButton2_Click();
        const auto& shown = m_fixture->prompts.shown;
        QStringList asked;
        for (const auto& prompt : shown) {
            if (prompt.kind == QStringLiteral("yesno"))
                asked << prompt.text;
        }
        QCOMPARE(asked, question.isEmpty() ? QStringList() : QStringList({question}));
        // It comes after "Done.", and the window is idle again.
        if (!question.isEmpty())
            QCOMPARE(shown.at(shown.size() - 2).text, QStringLiteral("Done."));
        QCOMPARE(test::ProgressBar(*m_form)->text(), QStringLiteral("Progress Bar"));
        QVERIFY(!m_form->isExtracting());
    }

    void yesTakesEveryPhoto()
    {
        list({"export.vcf"}, Card("Ann", kIPhonePhoto) + Card("Bo", kIPhonePhoto));
        list({"one.vcf"}, Card("One", kClassicPhoto));
        m_fixture->prompts.answerYesNo(true);
        m_form->PushButton2_Click();
#if defined(Q_OS_WIN)
        // Windows takes "One.jpg" for the classic run's "one.jpg": the card gets a name of its own.
        QCOMPARE(QDir(m_out).entryList(QDir::Files),
                 QStringList({"Ann.jpg", "Bo.jpg", "One (2).jpg", "one.jpg"}));
#else
        QCOMPARE(QDir(m_out).entryList(QDir::Files),
                 QStringList({"Ann.jpg", "Bo.jpg", "One.jpg", "one.jpg"}));
#endif
        const QStringList messages = m_fixture->prompts.messages();
        QCOMPARE(messages, QStringList({"Done.", "Done."}));
        QCOMPARE(m_fixture->prompts.shown.constLast().extra, QStringLiteral("3 images written"));
        checkOutcome(1, ItemOutcome::Kind::Written, m_out + "/Ann.jpg\n" + m_out + "/Bo.jpg");
        QVERIFY(!m_form->isExtracting());
    }

    void noLeavesAllAsItWas()
    {
        list({"export.vcf"}, Card("Ann", kIPhonePhoto));
        m_fixture->prompts.answerYesNo(false);
        m_form->PushButton2_Click();
        QVERIFY(QDir(m_out).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
        checkOutcome(1, ItemOutcome::Kind::NoPhoto, "No photo");
    }

    void closingDuringTheLookAsksNothing()
    {
        list({"export.vcf"}, Card("Ann", kIPhonePhoto));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        // The window is closed as soon as "Done." has been answered.
        m_fixture->prompts.onMessage
            = [this](const auto&) { QTimer::singleShot(0, m_form, [this] { m_form->close(); }); };
        m_form->PushButton2_Click();
        QVERIFY(m_form->isClosing());
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
    }

    void theContextMenusStartTheThoroughExtraction()
    {
        for (const char* name : {"PushButton2", "ListView1"}) {
            auto* widget = m_fixture->child<QWidget>(name);
            QCOMPARE(widget->contextMenuPolicy(), Qt::ActionsContextMenu);
            QCOMPARE(widget->actions(), QList<QAction*>({test::ThoroughAction(*m_form)}));
        }
        QCOMPARE(test::ThoroughAction(*m_form)->text(), QStringLiteral("Start Thorough Extraction"));
        QCOMPARE(m_fixture->child<QPushButton>("PushButton2")->text(),
                 QStringLiteral("Start Extracting VCF Images"));
        list({"export.vcf"}, Card("Ann", kIPhonePhoto));
        test::ThoroughAction(*m_form)->trigger();
        QTRY_COMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
        QCOMPARE(QDir(m_out).entryList(QDir::Files), QStringList({"Ann.jpg"}));
    }

    void theThoroughActionWaitsForARun()
    {
        list({"a.vcf"}, Card("A", kClassicPhoto));
        bool enabledDuring = true;
        bool looked = false;
        auto* during = new QTimer(m_form);
        connect(during, &QTimer::timeout, this, [&] {
            if (m_form->isExtracting()) {
                looked = true;
                enabledDuring = enabledDuring && test::ThoroughAction(*m_form)->isEnabled();
            }
        });
        during->start(0);
        m_form->PushButton2_Click();
        during->stop();
        QVERIFY(looked);
        QVERIFY(!enabledDuring);
        QVERIFY(test::ThoroughAction(*m_form)->isEnabled());
    }

    void returnPressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("clicks");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier) << 1;
        QTest::newRow("Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1;
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier) << 1;
        QTest::newRow("Ctrl+Return") << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0;
        QTest::newRow("a letter") << int(Qt::Key_A) << int(Qt::NoModifier) << 0;
    }

    void returnPressesTheFocusedButton()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, clicks);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        for (const char* name : {"PushButton8", "PushButton9"}) {
            auto* button = m_fixture->child<QPushButton>(name);
            QSignalSpy clicked(button, &QPushButton::clicked);
            button->setFocus();
            if (QString::fromLatin1(name) == "PushButton9" && clicks > 0)
                m_fixture->prompts.answerFolder({});
            QTest::keyClick(button, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(clicked.count(), clicks);
        }
    }

private:
    void list(const QStringList& names, const QByteArray& bytes)
    {
        for (const QString& name : names)
            m_form->fileList().append(m_fixture->file("cards/" + name, bytes));
    }

    bool hasOutcome(int position)
    {
        return m_form->fileList().outcome(position).has_value();
    }

    void checkOutcome(int position, ItemOutcome::Kind kind, const QString& toolTip)
    {
        FileListModel& model = m_form->fileList();
        model.flush();
        const QModelIndex index = model.index(position - 1);
        QVERIFY(hasOutcome(position));
        QCOMPARE(int(model.outcome(position)->kind), int(kind));
        QCOMPARE(model.data(index, Qt::ToolTipRole).toString(), toolTip);
        QCOMPARE(Image(model.data(index, Qt::DecorationRole).value<QIcon>()), Image(OutcomeIcon(kind)));
    }

    std::unique_ptr<FormFixture> m_fixture;
    Form1* m_form = nullptr;
    QString m_out;
};

QTEST_MAIN(ResultsWindowTest)
#include "ResultsWindowTest.moc"
