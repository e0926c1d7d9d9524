#include "FormFixture.h"
#include "support/ExportGenerator.h"
#include "support/FetchServer.h"
#include "window/CaptionProgressBar.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
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

// A problem list's rows, their fields joined by "|".
QStringList Rows(const QList<RunProblem>& problems)
{
    QStringList rows;
    for (const RunProblem& problem : problems)
        rows << RunProblemFields(problem).join('|');
    return rows;
}

} // namespace

// The window started with --thorough.
class ThoroughWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<FormFixture>(); }

    void cleanup()
    {
        QVERIFY2(m_fixture->prompts.unexpected.isEmpty(),
                 qPrintable(m_fixture->prompts.unexpected.join(", ")));
        QVERIFY(m_fixture->prompts.scriptDone());
        m_fixture.reset();
    }

    void captionSaysThorough()
    {
        QCOMPARE(m_fixture->start(true).windowTitle(), QStringLiteral("Orvandel (thorough)"));
        QCOMPARE(m_fixture->form().applicationTitle(), QStringLiteral("Orvandel"));
        QCOMPARE(m_fixture->child<QPushButton>("PushButton2")->geometry(), QRect(8, 300, 520, 27));
        QCOMPARE(m_fixture->start(false).windowTitle(), QStringLiteral("Orvandel"));
    }

    void startButtonRunsTheThoroughExtraction()
    {
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        test::OutputBox(form)->setText(out + "/");
        // iPhone's spelling, which the classic run does not know, two people in one file, and
        // a photo that is only an address.
        const QString input = m_fixture->file("cards/export.vcf",
                                              Card("Ann Lee", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/2Q==")
                                                  + Card("Bo", "PHOTO;ENCODING=BASE64;JPEG:/9j/2Q")
                                                  + Card("Cy", "PHOTO;VALUE=URI:https://example.com/cy.jpg"));
        form.fileList().append(input);
        // Not fetched: the address is listed as ever.
        m_fixture->prompts.answerYesNo(false);
        m_fixture->prompts.answerProblemList(false);
        // "Done." finds the window as before the run.
        QStringList buttonAtTheEnd;
        m_fixture->prompts.onMessage
            = [&](const auto&) { buttonAtTheEnd << m_fixture->child<QPushButton>("PushButton2")->text(); };
        QTest::mouseClick(m_fixture->child<QPushButton>("PushButton2"), Qt::LeftButton);
        QCOMPARE(buttonAtTheEnd, QStringList({"Start Extracting VCF Images"}));

        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"Ann Lee.jpg", "Bo.jpg"}));
        QFile photo(out + "/Bo.jpg");
        QVERIFY(photo.open(QIODevice::ReadOnly));
        QCOMPARE(photo.readAll(), QByteArray("\xFF\xD8\xFF\xD9", 4));
        // The question, the link listed, then "Done." counts.
        const auto& shown = m_fixture->prompts.shown;
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.at(0).text, QStringLiteral("1 photo is a web address. Fetch it from the internet?"));
        QCOMPARE(shown.at(1).kind, QStringLiteral("problems"));
        QCOMPARE(shown.at(1).text, QStringLiteral("Not taken out: 1 link not fetched."));
        QCOMPARE(Rows(m_fixture->prompts.problemLists.at(0)),
                 QStringList({input + "|3|Cy|Only a web address, not fetched: https://example.com/cy.jpg"}));
        QCOMPARE(shown.at(2).text, QStringLiteral("Done."));
        QCOMPARE(shown.at(2).extra, QStringLiteral("2 images written, 1 link not fetched"));
        QVERIFY(!form.isExtracting());
    }

    void aBrokenExportGivesOneList()
    {
        Form1& form = m_fixture->start(true);
        // A folder without its separator gets one, the system's own.
        const QString out = test::Native(m_fixture->folder("out"));
        test::OutputBox(form)->setText(out);
        // 200 photos that cannot be decoded, two good ones among them, and an input that is gone.
        QByteArray cards;
        for (int i = 1; i <= 202; ++i) {
            const bool good = i == 50 || i == 150;
            cards += Card("P" + QByteArray::number(i),
                          good ? "PHOTO;ENCODING=b:/9j/2Q==" : "PHOTO;ENCODING=b:QU%D");
        }
        const QString broken = m_fixture->file("cards/broken.vcf", cards);
        const QString gone = m_fixture->folder("cards") + "/gone.vcf";
        form.fileList().append(broken);
        form.fileList().append(gone);
        m_fixture->prompts.answerProblemList(false);
        form.PushButton2_Click();

        const auto& shown = m_fixture->prompts.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).kind, QStringLiteral("problems"));
        QCOMPARE(shown.at(0).title, QStringLiteral("Photos Not Taken Out"));
        QCOMPARE(shown.at(0).text, QStringLiteral("Not taken out: 201 failed."));
        const QStringList rows = Rows(m_fixture->prompts.problemLists.at(0));
        QCOMPARE(rows.size(), 201);
        QVERIFY2(rows.at(0).startsWith(broken + "|1|P1|Cannot decode the photo: "), qPrintable(rows.at(0)));
        QVERIFY2(rows.at(0).endsWith(" (line 4)"), qPrintable(rows.at(0)));
        QVERIFY(rows.at(0).indexOf("Input: ") < 0);
        QVERIFY(rows.at(199).startsWith(broken + "|202|P202|"));
        QVERIFY2(rows.at(200).startsWith(gone + "|||") && rows.at(200).size() > gone.size() + 3,
                 qPrintable(rows.at(200)));
        QCOMPARE(shown.at(1).text, QStringLiteral("Done."));
        QCOMPARE(shown.at(1).extra, QStringLiteral("2 images written, 201 failed"));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"P150.jpg", "P50.jpg"}));
        // Each input shows how it went.
        QCOMPARE(int(form.fileList().outcome(1)->kind), int(ItemOutcome::Kind::Failed));
        QVERIFY(form.fileList().outcome(1)->toolTip.contains("2 images written:\n" + out + QDir::separator()
                                                             + "P50.jpg\n"));
        QCOMPARE(int(form.fileList().outcome(2)->kind), int(ItemOutcome::Kind::Failed));
    }

    void theListIsSavedAsText()
    {
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        test::OutputBox(form)->setText(out + "/");
        const QString input = m_fixture->file("cards/bad.vcf",
                                              Card("Bad\tName", "PHOTO;ENCODING=b:QU%D")
                                                  + Card("", "PHOTO:https://example.com/x.png"));
        form.fileList().append(input);
        const QString saved = m_fixture->folder("lists") + "/problems.txt";
        m_fixture->prompts.answerYesNo(false);
        m_fixture->prompts.answerProblemList(true);
        m_fixture->prompts.answerSaveFile(saved);
        form.PushButton2_Click();

        QCOMPARE(m_fixture->prompts.shown.at(2).kind, QStringLiteral("save"));
        // The picker starts in the output folder.
        QCOMPARE(m_fixture->prompts.shown.at(2).extra, out + "/Photos not taken out.txt");
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines.at(0), QStringLiteral("Input\tCard\tFN\tProblem"));
        QVERIFY2(lines.at(1).startsWith(input + "\t1\tBad Name\tCannot decode the photo: "),
                 qPrintable(lines.at(1)));
        QCOMPARE(lines.at(2), input + "\t2\t\tOnly a web address, not fetched: https://example.com/x.png");
        QCOMPARE(lines.at(3), QString());
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
    }

    void aStopEndsTheRunAfterTheCardBeingRead_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("withinAFile");
        QTest::newRow("the button, within a file") << "button" << true;
        QTest::newRow("the button, between files") << "button" << false;
        QTest::newRow("the button twice") << "twice" << true;
        QTest::newRow("Esc on the list") << "Esc on the list" << true;
        QTest::newRow("Esc on the output box") << "Esc on the box" << false;
    }

    void aStopEndsTheRunAfterTheCardBeingRead()
    {
        QFETCH(QString, how);
        QFETCH(bool, withinAFile);
        Form1& form = startLarge();
        auto* button = m_fixture->child<QPushButton>("PushButton2");
        bool stopped = false;
        QString during; // the button's caption, the box's and "..."'s state when stopping
        onYield([&](const QString& caption) {
            if (stopped)
                return;
            const bool inFirst = caption.startsWith("Processing: export1.vcf (");
            const bool atSecond = caption == "Processing: export2.vcf";
            if (withinAFile ? !inFirst : !atSecond)
                return;
            stopped = true;
            during = QStringLiteral("%1|%2|%3")
                         .arg(button->text())
                         .arg(test::OutputBox(form)->isReadOnly())
                         .arg(m_fixture->child<QPushButton>("PushButton9")->isEnabled());
            if (how == "button" || how == "twice") {
                QTest::mouseClick(button, Qt::LeftButton);
                if (how == "twice")
                    QTest::mouseClick(button, Qt::LeftButton);
            } else if (how == "Esc on the list") {
                QTest::keyClick(m_fixture->child<FileListView>("ListView1"), Qt::Key_Escape);
            } else {
                QTest::keyClick(test::OutputBox(form), Qt::Key_Escape);
            }
        });
        form.PushButton2_Click();
        QVERIFY(stopped);
        QCOMPARE(during, QStringLiteral("Stop|1|0"));

        // Every image written is whole, none is left half-written, and the message tells how
        // far the run got.
        const QStringList images = QDir(m_out).entryList(QDir::Files | QDir::Hidden);
        for (const QString& image : images)
            QCOMPARE(QFileInfo(m_out + "/" + image).size(), qint64(kPhotoSize));
        const auto& shown = m_fixture->prompts.shown;
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.at(0).kind, QStringLiteral("results"));
        if (withinAFile) {
            QVERIFY(images.size() > 0 && images.size() < kCards);
            QCOMPARE(
                shown.at(0).text,
                QStringLiteral("Stopped after card %1 of export1.vcf (file 1 of 2).").arg(images.size()));
            QCOMPARE(shown.at(0).extra,
                     images.size() == 1 ? QStringLiteral("1 image written")
                                        : QStringLiteral("%1 images written").arg(images.size()));
            // The first file shows what was taken from it; the second was not reached.
            QCOMPARE(int(form.fileList().outcome(1)->kind), int(ItemOutcome::Kind::Written));
            QVERIFY(!form.fileList().outcome(2));
        } else {
            QCOMPARE(images.size(), kCards);
            QCOMPARE(shown.at(0).text, QStringLiteral("Stopped after 1 of 2 files."));
            QCOMPARE(shown.at(0).extra, QStringLiteral("%1 images written").arg(kCards));
        }
        // The window is as before the run.
        QCOMPARE(button->text(), QStringLiteral("Start Extracting VCF Images"));
        QVERIFY(!test::OutputBox(form)->isReadOnly());
        QVERIFY(m_fixture->child<QPushButton>("PushButton9")->isEnabled());
        QCOMPARE(form.pointer(), Form1::Pointer::Default);
        QCOMPARE(test::ProgressBar(form)->text(), QStringLiteral("Progress Bar"));
        QVERIFY(!form.isExtracting());
    }

    void closingStopsTheRunTheSameWay()
    {
        Form1& form = startLarge();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        bool closed = false;
        onYield([&](const QString& caption) {
            if (!closed && caption.startsWith("Processing: export1.vcf (")) {
                closed = true;
                form.close();
                // The window waits for the card being read.
                QVERIFY(form.isVisible());
            }
        });
        form.PushButton2_Click();
        QVERIFY(closed);
        QVERIFY(form.isClosing());
        QVERIFY(!form.isVisible());
        QVERIFY(m_fixture->prompts.shown.isEmpty());
        const QStringList images = QDir(m_out).entryList(QDir::Files | QDir::Hidden);
        QVERIFY(images.size() > 0 && images.size() < kCards);
        for (const QString& image : images)
            QCOMPARE(QFileInfo(m_out + "/" + image).size(), qint64(kPhotoSize));
    }

    // After the run, one question; "Yes" fetches into the same folder, with the run's one list.
    void fetchesTheWebAddressesWhenAsked()
    {
        test::FetchServer server;
        if (!server.running())
            QSKIP(test::FetchServer::notRunning());
        m_fixture->fetch = FetchSettings {};
        m_fixture->fetch->allowLocal = true;
        m_fixture->fetch->caFile = server.caFile();
        m_fixture->fetch->resolve = server.resolveLocalhost();
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        test::OutputBox(form)->setText(out + "/");
        const auto escaped
            = [](std::string address) { return QByteArray::fromStdString(address).replace(":", "\\:"); };
        const QString google
            = m_fixture->file("cards/google.vcf",
                              Card("Ann", "PHOTO:" + escaped(server.https("/image?delay=400&payload=ann")))
                                  + Card("Ann", "PHOTO;ENCODING=b:/9j/2Q==")
                                  + Card("Bo", "PHOTO:" + escaped(server.http("/status/404")))
                                  + Card("Cy", "PHOTO;VALUE=URI:file:///home/cy/cy.jpg"));
        const QString one = m_fixture->file("cards/one.vcf",
                                            Card("Di", "PHOTO:" + escaped(server.http("/image?payload=di"))));
        form.fileList().append(google);
        form.fileList().append(one);
        QStringList captions;
        onYield([&](const QString& caption) {
            if (caption.contains("fetched"))
                captions << caption;
        });
        m_fixture->prompts.answerYesNo(true);
        m_fixture->prompts.answerProblemList(false);
        form.PushButton2_Click();

        const auto& shown = m_fixture->prompts.shown;
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown.at(0).text,
                 QStringLiteral("3 photos are web addresses. Fetch them from the internet?"));
        QCOMPARE(shown.at(1).text, QStringLiteral("Not taken out: 1 link not fetched, 1 failed."));
        const QStringList rows = Rows(m_fixture->prompts.problemLists.at(0));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0), google + "|4|Cy|Only a link to a file, not read: file:///home/cy/cy.jpg");
        QCOMPARE(rows.at(1),
                 google + "|3|Bo|" + QString::fromStdString(server.http("/status/404"))
                     + ": HTTP 404 (line 14)");
        QCOMPARE(shown.at(2).text, QStringLiteral("Done."));
        QCOMPARE(shown.at(2).extra, QStringLiteral("3 images written, 1 link not fetched, 1 failed"));
        // Fetched after the run, the photos take the names after those the run gave.
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"Ann (2).jpg", "Ann.jpg", "Di.jpg"}));
        QFile fetched(out + "/Ann (2).jpg");
        QVERIFY(fetched.open(QIODevice::ReadOnly));
        QVERIFY(fetched.readAll().contains("ann"));
        // The bar followed the transfers, and each input shows how it went in the end.
        QVERIFY(!captions.isEmpty());
        QVERIFY2(captions.first().startsWith("Processing: google.vcf ("), qPrintable(captions.first()));
        QCOMPARE(int(form.fileList().outcome(1)->kind), int(ItemOutcome::Kind::Failed));
        QCOMPARE(int(form.fileList().outcome(2)->kind), int(ItemOutcome::Kind::Written));
        QVERIFY(!form.isExtracting());
    }

    // Stop ends the transfers at once: nothing half-written, nothing more written.
    void aStopEndsTheTransfersAtOnce()
    {
        test::FetchServer server;
        if (!server.running())
            QSKIP(test::FetchServer::notRunning());
        m_fixture->fetch = FetchSettings {};
        m_fixture->fetch->allowLocal = true;
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        test::OutputBox(form)->setText(out + "/");
        QByteArray cards;
        for (int i = 1; i <= 3; ++i)
            cards += Card("P" + QByteArray::number(i),
                          "PHOTO;VALUE=URI:" + QByteArray::fromStdString(server.http("/stall")));
        form.fileList().append(m_fixture->file("cards/stall.vcf", cards));
        bool stopped = false;
        onYield([&](const QString& caption) {
            if (!stopped && caption.contains("under way")) {
                stopped = true;
                QTest::mouseClick(m_fixture->child<QPushButton>("PushButton2"), Qt::LeftButton);
            }
        });
        m_fixture->prompts.answerYesNo(true);
        m_fixture->prompts.answerProblemList(false);
        form.PushButton2_Click();
        QVERIFY(stopped);
        QVERIFY(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
        // What was not fetched is listed as before.
        QCOMPARE(m_fixture->prompts.shown.at(1).text, QStringLiteral("Not taken out: 3 links not fetched."));
        QCOMPARE(m_fixture->prompts.messages(),
                 QStringList({"Stopped after card 0 of stall.vcf (file 1 of 1)."}));
    }

    void theFolderIsReadOnce()
    {
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        const QString other = m_fixture->folder("other");
        test::OutputBox(form)->setText(out + "/");
        form.fileList().append(m_fixture->file("cards/a.vcf", Card("A", "PHOTO;ENCODING=b:/9j/2Q==")));
        form.fileList().append(m_fixture->file("cards/b.vcf", Card("B", "PHOTO;ENCODING=b:/9j/2Q==")));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        bool changed = false;
        onYield([&](const QString& caption) {
            if (changed || caption != "Processing: b.vcf")
                return;
            changed = true;
            // A key typed into the box changes nothing; the folder set by the program is not
            // taken either.
            test::OutputBox(form)->setFocus();
            QTest::keyClicks(test::OutputBox(form), "x");
            QCOMPARE(test::OutputBox(form)->text(), out + "/");
            test::OutputBox(form)->setText(other + "/");
        });
        form.PushButton2_Click();
        QVERIFY(changed);
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"A.jpg", "B.jpg"}));
        QVERIFY(QDir(other).entryList(QDir::Files).isEmpty());
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
    }

private:
    static constexpr int kCards = 40;
    static constexpr int kPhotoSize = 100 * 1000;

    // A thorough window over two generated exports of 40 cards with a 100 KB photo each: the
    // run yields every megabyte, several times within a file.
    Form1& startLarge()
    {
        Form1& form = m_fixture->start(true);
        m_out = m_fixture->folder("out");
        test::OutputBox(form)->setText(m_out + "/");
        for (const char* name : {"export1.vcf", "export2.vcf"}) {
            const QString path = m_fixture->folder("cards") + "/" + name;
            test::WriteGeneratedExport(path.toStdString(), kCards, kPhotoSize);
            form.fileList().append(path);
        }
        return form;
    }

    // Runs `check` with the progress caption whenever the window handles its events.
    void onYield(std::function<void(const QString&)> check)
    {
        auto* timer = new QTimer(&m_fixture->form());
        connect(timer, &QTimer::timeout, this,
                [this, check = std::move(check)] { check(test::ProgressBar(m_fixture->form())->text()); });
        timer->start(0);
    }

    std::unique_ptr<FormFixture> m_fixture;
    QString m_out;
};

QTEST_MAIN(ThoroughWindowTest)
#include "ThoroughWindowTest.moc"
