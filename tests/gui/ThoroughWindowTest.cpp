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
        form.fileList().append(
            m_fixture->file("cards/export.vcf",
                            Card("Ann Lee", "PHOTO;ENCODING=b;TYPE=JPEG:/9j/2Q==")
                                + Card("Bo", "PHOTO;ENCODING=BASE64;JPEG:/9j/2Q")
                                + Card("Cy", "PHOTO;VALUE=URI:https://example.com/cy.jpg")));
        QTest::mouseClick(m_fixture->child<QPushButton>("PushButton2"), Qt::LeftButton);

        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"Ann Lee.jpg", "Bo.jpg"}));
        QFile photo(out + "/Bo.jpg");
        QVERIFY(photo.open(QIODevice::ReadOnly));
        QCOMPARE(photo.readAll(), QByteArray("\xFF\xD8\xFF\xD9", 4));
        QCOMPARE(
            m_fixture->prompts.messages(),
            QStringList(
                {"One photo is only a web address and was not fetched:\r\rCy: https://example.com/cy.jpg",
                 "Done."}));
        QVERIFY(!form.isExtracting());
    }

    void thoroughFailuresAreReportedAndTheRunGoesOn()
    {
        Form1& form = m_fixture->start(true);
        const QString out = m_fixture->folder("out");
        form.outputBox()->setText(out);
        form.fileList().append(m_fixture->file("cards/bad.vcf", Card("Bad", "PHOTO;ENCODING=b:QU%D")));
        form.fileList().append(m_fixture->file("cards/good.vcf", Card("Good", "PHOTO;ENCODING=b:/9j/2Q==")));
        form.PushButton2_Click();
        const auto& shown = m_fixture->prompts.shown;
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).title, QStringLiteral("Application Error"));
        QVERIFY2(shown.at(0).text.contains("(FN \"Bad\")"), qPrintable(shown.at(0).text));
        QVERIFY(shown.at(0).text.contains("\r\nin Tessivor2021/08/31.Form1.ThoroughExtract at line 132\r\r"));
        QCOMPARE(shown.at(1).text, QStringLiteral("Done."));
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList({"Good.jpg"}));
    }

private:
    std::unique_ptr<FormFixture> m_fixture;
};

QTEST_MAIN(ThoroughWindowTest)
#include "ThoroughWindowTest.moc"
