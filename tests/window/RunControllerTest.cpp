#include "window/RunController.h"

#include "ScriptedPrompts.h"
#include "window/RunView.h"
#include "window/list/FileListModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace orvandel;

namespace {

// The window as the controller sees it: what it was shown, in order, and a hook for each yield.
class FakeView : public RunView
{
public:
    QString folder;
    QStringList shown;
    std::function<void()> onPending;

    QString outputFolderText() const override { return folder; }
    void setProgress(double percent) override { shown << QStringLiteral("progress %1").arg(percent); }
    void setCaption(const QString& caption) override { shown << caption; }
    void showProgressNow() override { shown << QStringLiteral("drawn"); }
    void pointerBack() override { shown << QStringLiteral("pointer back"); }
    void showPointer() override { shown << QStringLiteral("pointer"); }
    void showRunning(bool running, bool thorough) override
    {
        shown << QStringLiteral("running %1 %2").arg(running).arg(thorough);
    }
    void handlePending() override
    {
        if (onPending)
            onPending();
    }
    QWidget* boxOwner() override { return nullptr; }
    QString boxTitle() const override { return QStringLiteral("Orvandel"); }
    void closeWindow() override { shown << QStringLiteral("close"); }
};

QByteArray Card(const QByteArray& fn, const QByteArray& photo)
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fn + "\r\n" + photo + "\r\nEND:VCARD\r\n";
}

const QByteArray kClassicPhoto = "PHOTO;ENCODING=B;TYPE=JPEG:/9j/2Q==";
const QByteArray kOtherPhoto = "PHOTO;ENCODING=b;TYPE=JPEG:/9j/2Q==";

} // namespace

// The run controller through a view of its own: all the window's run state in one place, and the
// window touched only through RunView.
class RunControllerTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_view = std::make_unique<FakeView>();
        m_view->folder = m_dir.path() + QStringLiteral("/out/");
        QDir(m_dir.path()).mkpath(QStringLiteral("out"));
        m_list = std::make_unique<FileListModel>();
        m_controller = std::make_unique<RunController>(*m_view, *m_list, m_prompts);
    }

    void cleanup()
    {
        QVERIFY2(m_prompts.unexpected.isEmpty(), qPrintable(m_prompts.unexpected.join(", ")));
        QVERIFY(m_prompts.scriptDone());
        m_prompts.shown.clear();
    }

    void aClassicRunShowsItsCourseThenOffersTheRest()
    {
        list(QStringLiteral("a.vcf"), Card("A", kClassicPhoto));
        list(QStringLiteral("b.vcf"), Card("B", kOtherPhoto) + Card("C", kOtherPhoto));
        m_prompts.answerYesNo(false);
        m_controller->startClassic();
        const QStringList expected = {
            "running 1 0",
            "progress 50",
            "Processing: a.vcf",
            "pointer", // busy from the first file read on
            "progress 100",
            "Processing: b.vcf",
            "pointer back",
            "drawn", // the last file at 100% is drawn before the bar goes back
            "progress 0",
            "Progress Bar",
            "drawn",
            "running 0 0",
            // The look, in the same loop: it writes nothing and holds the window busy at no time.
            "progress 50",
            "Looking for more photos: a.vcf",
            "progress 100",
            "Looking for more photos: b.vcf",
            "drawn",
            "progress 0",
            "Progress Bar",
            "drawn",
        };
        QCOMPARE(m_view->shown.join(" | "), expected.join(" | "));
        QCOMPARE(m_prompts.messages(), QStringList({"Done."}));
        QCOMPARE(m_prompts.shown.constLast().text,
                 QStringLiteral("1 file holds photos in forms the classic rules do not take. Take every "
                                "photo of every card?"));
        QVERIFY(!m_controller->isExtracting() && !m_controller->isBusy());
    }

    void aStartDuringARunIsRefusedAndOnlyAThoroughRunStops()
    {
        list(QStringLiteral("a.vcf"), Card("A", kClassicPhoto));
        list(QStringLiteral("b.vcf"), Card("B", kClassicPhoto));
        int starts = 0;
        m_view->onPending = [&] {
            if (m_controller->isExtracting(RunKind::Classic)) {
                m_controller->startThorough(); // refused without a word
                m_controller->requestStop(); // a classic run has no stop
                QVERIFY(!m_controller->isStopRequested());
            } else if (m_controller->isExtracting(RunKind::Thorough) && ++starts == 1) {
                m_controller->requestStop();
            }
        };
        m_controller->startClassic();
        QCOMPARE(m_prompts.messages(), QStringList({"Done."}));
        QCOMPARE(m_view->shown.count(QStringLiteral("running 1 0")), 1);
        QCOMPARE(m_view->shown.count(QStringLiteral("running 1 1")), 0);

        m_controller->startThorough();
        QCOMPARE(m_prompts.messages().constLast(), QStringLiteral("Stopped after 0 of 2 files."));
        QVERIFY(!m_controller->isExtracting() && !m_controller->isStopRequested());
    }

    void closingDuringAThoroughRunClosesOnceItStopped()
    {
        list(QStringLiteral("a.vcf"), Card("A", kOtherPhoto));
        bool asked = false;
        m_view->onPending = [&] {
            if (!asked) {
                asked = true;
                QVERIFY(!m_controller->requestClose()); // not yet: after the card
            }
        };
        m_controller->startThorough();
        QCOMPARE(m_view->shown.constLast(), QStringLiteral("close"));
        QVERIFY(m_prompts.messages().isEmpty()); // no "Stopped after" for a window going away
        QVERIFY(m_controller->requestClose());
        QVERIFY(m_controller->isClosing());
    }

    void aRunStartedDuringTheLookEndsIt()
    {
        list(QStringLiteral("a.vcf"), Card("A", kOtherPhoto));
        m_view->onPending = [&] {
            if (!m_controller->isExtracting()
                && m_view->shown.constLast().startsWith(QStringLiteral("Looking")))
                m_controller->startThorough();
        };
        m_controller->startClassic();
        // The thorough run's "Done." and no offer after it.
        QCOMPARE(m_prompts.messages(), QStringList({"Done.", "Done."}));
        for (const auto& prompt : m_prompts.shown)
            QVERIFY(prompt.kind != QStringLiteral("yesno"));
    }

    void busyWhileAnyLoopHoldsIt()
    {
        m_controller->holdBusy(); // a run
        m_controller->holdBusy(); // the folder command during it
        m_controller->releaseBusy();
        QVERIFY(m_controller->isBusy());
        m_controller->releaseBusy();
        m_controller->releaseBusy(); // no count below none
        QVERIFY(!m_controller->isBusy());
        m_controller->holdBusy();
        QVERIFY(m_controller->isBusy());
    }

private:
    void list(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.path() + QLatin1Char('/') + name;
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        m_list->append(path);
    }

    QTemporaryDir m_dir;
    test::ScriptedPrompts m_prompts;
    std::unique_ptr<FakeView> m_view;
    std::unique_ptr<FileListModel> m_list;
    std::unique_ptr<RunController> m_controller;
};

QTEST_MAIN(RunControllerTest)
#include "RunControllerTest.moc"
