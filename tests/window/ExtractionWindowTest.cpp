#include "FormFixture.h"
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

const QByteArray kCard = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Card One\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n "
                         "2Q==\r\nEND:VCARD\r\n";
const QByteArray kJpeg("\xFF\xD8\xFF\xD9", 4);

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What a progress bar showed each time it was painted: its value and caption.
class PaintWatch : public QObject
{
public:
    explicit PaintWatch(QProgressBar* bar) { bar->installEventFilter(this); }
    QList<QPair<int, QString>> shown;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto* bar = static_cast<QProgressBar*>(watched);
            shown.append({bar->value(), bar->text()});
        }
        return false;
    }
};

} // namespace

class ExtractionWindowTest : public QObject
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

    void wholeRunFromTheButton()
    {
        m_form->fileList().append(m_fixture->file("cards/card1.vcf", kCard));
        m_form->fileList().append(m_fixture->file("cards/card2.vcf", kCard));
        QList<double> progress;
        QStringList captions;
        QList<int> pointers;
        // What the window shows while the run yields.
        auto* watch = new QTimer(m_form);
        connect(watch, &QTimer::timeout, this, [&] {
            progress << test::ProgressBar(*m_form)->progressValue();
            captions << test::ProgressBar(*m_form)->text();
            pointers << int(m_form->pointer());
        });
        watch->start(0);
        m_fixture->prompts.onMessage = [&](const auto&) { watch->stop(); };
        QTest::mouseClick(m_fixture->child<QPushButton>("PushButton2"), Qt::LeftButton);

        QCOMPARE(ReadAll(m_out + "/card1.jpg"), kJpeg);
        QCOMPARE(ReadAll(m_out + "/card2.jpg"), kJpeg);
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
        QCOMPARE(m_fixture->prompts.shown.constFirst().title, QStringLiteral("Orvandel"));
        QVERIFY(progress.contains(50.0));
        QVERIFY(captions.contains(QStringLiteral("Processing: card1.vcf")));
        QVERIFY(captions.contains(QStringLiteral("Processing: card2.vcf")));
        QVERIFY(pointers.contains(int(Form1::Pointer::Busy)));
        QCOMPARE(test::ProgressBar(*m_form)->progressValue(), 0.0);
        QCOMPARE(test::ProgressBar(*m_form)->text(), QStringLiteral("Progress Bar"));
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
        QVERIFY(!m_form->isExtracting());
    }

    void theBarShowsTheLastFileBeforeItGoesBack()
    {
        // Drawn at the screen's rate while the run goes, the bar still shows the last file and
        // 100% before "Progress Bar".
        for (int i = 1; i <= 40; ++i)
            m_form->fileList().append(m_fixture->file(QStringLiteral("cards/%1.vcf").arg(i), kCard));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        PaintWatch watch(test::ProgressBar(*m_form));
        QList<QPair<int, QString>> atDone; // what the bar had shown when "Done." showed
        m_fixture->prompts.onMessage = [&](const auto&) { atDone = watch.shown; };
        m_form->PushButton2_Click();
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
        QVERIFY(atDone.size() >= 2);
        QCOMPARE(atDone.constLast(), qMakePair(0, QStringLiteral("Progress Bar")));
        QVERIFY(atDone.contains(qMakePair(1000, QStringLiteral("Processing: 40.vcf"))));
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty list") << false << "/nonexistent/"
                                    << "No files added.";
        QTest::newRow("missing folder") << true << "/nonexistent/"
                                        << "Folder does not exist. Please select another folder.";
        QTest::newRow("empty folder text") << true << ""
                                           << "Folder does not exist. Please select another folder.";
    }

    void refusals()
    {
        QFETCH(bool, withFile);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        if (withFile)
            m_form->fileList().append(m_fixture->file("cards/card1.vcf", kCard));
        test::OutputBox(*m_form)->setText(folder);
        m_form->PushButton2_Click();
        QCOMPARE(m_fixture->prompts.messages(), QStringList({message}));
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
        QVERIFY(!m_form->isExtracting());
    }

    void twoQuickPressesStartOneRun()
    {
        m_form->fileList().append(m_fixture->file("cards/card1.vcf", kCard));
        auto* button = m_fixture->child<QPushButton>("PushButton2");
        // The second press arrives while the first run yields.
        QTimer::singleShot(0, button, [button] { button->click(); });
        button->click();
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
    }

    void failuresAreReportedAsWarningBoxes()
    {
        m_form->fileList().append(m_fixture->file("cards/bad.vcf", "PHOTO:ab-_\r\n"));
        m_form->fileList().append(m_fixture->file("cards/good.vcf", kCard));
        // The thorough extraction takes "ab-_" as URL-safe Base64, and is offered.
        m_fixture->prompts.answerYesNo(false);
        m_form->PushButton2_Click();
        QCOMPARE(m_fixture->prompts.shown.size(), 3);
        const auto& report = m_fixture->prompts.shown.at(0);
        QCOMPARE(report.title, QStringLiteral("Application Error"));
        QCOMPARE(report.icon, Prompts::Icon::Warning);
        QCOMPARE(report.text,
                 QStringLiteral("Bad character In Base64 string.\r\n"
                                "in Tessivor2021/08/31.Form1.PushButton2_Click at line 178\r\r"
                                "Please email screenshot of this message to support@quorvane.example"));
        QCOMPARE(m_fixture->prompts.shown.at(1).text, QStringLiteral("Done."));
        QVERIFY(!QFile::exists(m_out + "/bad.jpg"));
        QCOMPARE(ReadAll(m_out + "/good.jpg"), kJpeg);
    }

    void removalIsRefusedDuringTheRun()
    {
        m_form->fileList().append(m_fixture->file("cards/a.vcf", kCard));
        m_form->fileList().append(m_fixture->file("cards/b.vcf", kCard));
        int tries = 0;
        auto* during = new QTimer(m_form);
        connect(during, &QTimer::timeout, this, [&] {
            // From the second file on the window is busy and the list keeps its items.
            if (m_form->isBusy()) {
                ++tries;
                m_form->PushButton8_Click();
            }
        });
        during->start(0);
        m_form->PushButton2_Click();
        during->stop();
        QVERIFY(tries > 0);
        QCOMPARE(m_form->fileList().count(), 2);
        QVERIFY(QFile::exists(m_out + "/b.jpg"));
    }

    void aFolderCommandEndingDuringTheRunLeavesItBusy()
    {
        QStringList cards;
        for (const char* name : {"a.vcf", "b.vcf", "c.vcf", "d.vcf"})
            cards << m_fixture->file(QStringLiteral("cards/") + name, kCard);
        test::AppendAll(m_form->fileList(), cards);
        const QString more = test::Native(m_fixture->folder("more"));
        m_fixture->file("more/x.vcf", kCard);
        m_fixture->file("more/y.vcf", kCard);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        auto* list = m_fixture->child<FileListView>("ListView1");
        m_fixture->prompts.answerText("vcf");
        m_fixture->prompts.answerFolder(more);

        bool scanning = false;
        bool scanned = false;
        QStringList tried; // the files whose yields tried to remove items
        QList<int> pointers;
        auto* during = new QTimer(m_form);
        connect(during, &QTimer::timeout, this, [&] {
            const QString caption = test::ProgressBar(*m_form)->text();
            if (scanning)
                return;
            if (!scanned && caption == QStringLiteral("Processing: b.vcf")) {
                // The folder command runs, and ends, inside the second file's yield.
                scanning = true;
                m_form->PushButton7_Click();
                scanning = false;
                scanned = true;
                pointers << int(m_form->pointer());
                return;
            }
            if (!scanned || !caption.startsWith(QStringLiteral("Processing: ")))
                return;
            tried << caption;
            pointers << int(m_form->pointer());
            QTest::mouseClick(m_fixture->child<QPushButton>("PushButton8"), Qt::LeftButton);
            list->selectPosition(1);
            QTest::keyClick(list, Qt::Key_Delete);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                               list->visualRect(m_form->fileList().index(0)).center());
        });
        m_fixture->prompts.onMessage = [&](const auto&) { during->stop(); };
        during->start(0);
        m_form->PushButton2_Click();

        QVERIFY(scanned);
        QVERIFY(tried.contains(QStringLiteral("Processing: c.vcf")));
        QVERIFY(tried.contains(QStringLiteral("Processing: d.vcf")));
        for (const int pointer : pointers)
            QCOMPARE(pointer, int(Form1::Pointer::Busy));
        QCOMPARE(m_form->fileList().texts(),
                 cards + test::Native(QStringList({more + "/x.vcf", more + "/y.vcf"})));
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            QCOMPARE(ReadAll(m_out + "/" + name), kJpeg);
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
        // Once nothing runs, removal works again.
        m_form->PushButton8_Click();
        QCOMPARE(m_form->fileList().count(), 0);
    }

    void aRunEndingDuringAnotherLoopLeavesTheWindowBusy()
    {
        m_form->fileList().append(m_fixture->file("cards/a.vcf", kCard));
        // Another long loop, a folder command, is under way.
        m_form->holdBusy();
        m_form->PushButton2_Click();
        QCOMPARE(m_fixture->prompts.messages(), QStringList({"Done."}));
        QCOMPARE(m_form->pointer(), Form1::Pointer::Busy);
        m_form->PushButton8_Click();
        QCOMPARE(m_form->fileList().count(), 1);
        m_form->releaseBusy();
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
        m_form->PushButton8_Click();
        QCOMPARE(m_form->fileList().count(), 0);
    }

    void closingTheWindowStopsTheRun()
    {
        for (const char* name : {"a.vcf", "b.vcf", "c.vcf"})
            m_form->fileList().append(m_fixture->file(QStringLiteral("cards/") + name, kCard));
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
        // The window is closed during the first file's yield.
        QTimer::singleShot(0, m_form, [this] { m_form->close(); });
        m_form->PushButton2_Click();
        QVERIFY(m_form->isClosing());
        QVERIFY(QDir(m_out).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QVERIFY(m_fixture->prompts.messages().isEmpty());
        QVERIFY(!m_form->isExtracting());
    }

private:
    std::unique_ptr<FormFixture> m_fixture;
    Form1* m_form = nullptr;
    QString m_out;
};

QTEST_MAIN(ExtractionWindowTest)
#include "ExtractionWindowTest.moc"
