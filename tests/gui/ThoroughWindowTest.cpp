#include "FormFixture.h"
#include "app/WindowArguments.h"
#include "filelist/FileListModel.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
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

// The window started with --thorough, and the arguments that start it.
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

    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("thorough");
        QTest::addColumn<QString>("error");
        const QString here = QDir::currentPath();
        QTest::newRow("nothing") << QStringList() << QStringList() << false << "";
        QTest::newRow("thorough") << QStringList({"--thorough"}) << QStringList() << true << "";
        QTest::newRow("paths made absolute") << QStringList({"/a/x.vcf", "cards"})
                                             << QStringList({"/a/x.vcf", here + "/cards"}) << false << "";
        QTest::newRow("thorough among paths")
            << QStringList({"/a", "--thorough", "/b"}) << QStringList({"/a", "/b"}) << true << "";
        QTest::newRow("a dash name after --")
            << QStringList({"--", "-x.vcf"}) << QStringList({here + "/-x.vcf"}) << false << "";
        QTest::newRow("unknown option")
            << QStringList({"--colour"}) << QStringList() << false << "unknown option '--colour'";
    }

    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, paths);
        QFETCH(bool, thorough);
        QFETCH(QString, error);
        const WindowArguments parsed = ParseWindowArguments(arguments);
        QCOMPARE(parsed.error, error);
        if (error.isEmpty()) {
            QCOMPARE(parsed.paths, paths);
            QCOMPARE(parsed.thorough, thorough);
        }
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
        form.outputBox()->setText(out + "/");
        // iPhone's spelling, which the classic run does not know, two people in one file, and
        // a photo that is only an address.
        const QString input = m_fixture->file("cards/export.vcf",
                                              Card("Ann Lee", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/2Q==")
                                                  + Card("Bo", "PHOTO;ENCODING=BASE64;JPEG:/9j/2Q")
                                                  + Card("Cy", "PHOTO;VALUE=URI:https://example.com/cy.jpg"));
        form.fileList().append(input);
        m_fixture->prompts.answerProblemList(false);
        QTest::mouseClick(m_fixture->child<QPushButton>("PushButton2"), Qt::LeftButton);

        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"Ann Lee.jpg", "Bo.jpg"}));
        QFile photo(out + "/Bo.jpg");
        QVERIFY(photo.open(QIODevice::ReadOnly));
        QCOMPARE(photo.readAll(), QByteArray("\xFF\xD8\xFF\xD9", 4));
        // The link is listed, then "Done." counts.
        const auto& shown = m_fixture->prompts.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).kind, QStringLiteral("problems"));
        QCOMPARE(shown.at(0).text, QStringLiteral("Not taken out: 1 link not fetched."));
        QCOMPARE(Rows(m_fixture->prompts.problemLists.at(0)),
                 QStringList({input + "|3|Cy|Only a web address, not fetched: https://example.com/cy.jpg"}));
        QCOMPARE(shown.at(1).text, QStringLiteral("Done."));
        QCOMPARE(shown.at(1).extra, QStringLiteral("2 images written, 1 link not fetched"));
        QVERIFY(!form.isExtracting());
    }

    void aBrokenExportGivesOneList()
    {
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        form.outputBox()->setText(out);
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
        QVERIFY(form.fileList().outcome(1)->toolTip.contains("2 images written:\n" + out + "/P50.jpg\n"));
        QCOMPARE(int(form.fileList().outcome(2)->kind), int(ItemOutcome::Kind::Failed));
    }

    void theListIsSavedAsText()
    {
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        form.outputBox()->setText(out + "/");
        const QString input = m_fixture->file("cards/bad.vcf",
                                              Card("Bad\tName", "PHOTO;ENCODING=b:QU%D")
                                                  + Card("", "PHOTO:https://example.com/x.png"));
        form.fileList().append(input);
        const QString saved = m_fixture->folder("lists") + "/problems.txt";
        m_fixture->prompts.answerProblemList(true);
        m_fixture->prompts.answerSaveFile(saved);
        form.PushButton2_Click();

        QCOMPARE(m_fixture->prompts.shown.at(1).kind, QStringLiteral("save"));
        // The picker starts in the output folder.
        QCOMPARE(m_fixture->prompts.shown.at(1).extra, out + "/Photos not taken out.txt");
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

private:
    std::unique_ptr<FormFixture> m_fixture;
};

QTEST_MAIN(ThoroughWindowTest)
#include "ThoroughWindowTest.moc"
