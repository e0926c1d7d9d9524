#include "FormFixture.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"

#include <QBuffer>
#include <QFile>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

using namespace orvandel;
using orvandel::test::FormFixture;

class FileListTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<FormFixture>();
        m_form = &m_fixture->start();
        m_list = m_fixture->child<FileListView>("ListView1");
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void cleanup()
    {
        QVERIFY2(m_fixture->prompts.unexpected.isEmpty(),
                 qPrintable(m_fixture->prompts.unexpected.join(", ")));
        QVERIFY(m_fixture->prompts.scriptDone());
        m_fixture.reset();
    }

    void removal_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QStringList>("after");
        const QStringList removed {"1", "3", "4"};
        const QStringList kept {"1", "2", "3", "4"};
        QTest::newRow("Delete") << "Delete" << false << removed;
        QTest::newRow("Shift+Delete") << "Shift+Delete" << false << removed;
        QTest::newRow("Ctrl+Delete") << "Ctrl+Delete" << false << removed;
        QTest::newRow("Backspace does nothing") << "Backspace" << false << kept;
        QTest::newRow("letter does nothing") << "A" << false << kept;
        QTest::newRow("double-click") << "double-click" << false << removed;
        QTest::newRow("Clear List") << "Clear List" << false << QStringList();
        QTest::newRow("Delete while busy") << "Delete" << true << kept;
        QTest::newRow("double-click while busy") << "double-click" << true << kept;
        QTest::newRow("Clear List while busy") << "Clear List" << true << kept;
    }

    void removal()
    {
        QFETCH(QString, how);
        QFETCH(bool, busy);
        QFETCH(QStringList, after);
        fill({"1", "2", "3", "4"});
        m_list->selectPosition(2);
        if (busy)
            m_form->holdBusy();
        act(how, 2);
        QCOMPARE(m_form->fileList().texts(), after);
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void removalOnAnEmptyListDoesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Delete") << "Delete";
        QTest::newRow("double-click") << "double-click";
        QTest::newRow("Clear List") << "Clear List";
    }

    void removalOnAnEmptyListDoesNothing()
    {
        QFETCH(QString, how);
        act(how, 1);
        QCOMPARE(m_form->fileList().count(), 0);
        QVERIFY(m_fixture->prompts.shown.isEmpty());
    }

    void deleteWithoutSelectionDoesNothing()
    {
        fill({"1", "2"});
        m_list->clearSelection();
        act("Delete", 1);
        QCOMPARE(m_form->fileList().count(), 2);
    }

    void reorderSwapsDirectly()
    {
        fill({"1", "2", "3", "4", "5"});
        press(2);
        moveTo(5);
        QCOMPARE(m_form->fileList().texts(), QStringList({"1", "5", "3", "4", "2"}));
        QCOMPARE(m_list->selectedPosition(), 5);
        QCOMPARE(m_list->draggedPosition(), 5);
        // Carrying on upwards keeps swapping the same text along.
        moveTo(3);
        QCOMPARE(m_form->fileList().texts(), QStringList({"1", "5", "2", "4", "3"}));
        release(3);
        QVERIFY(!m_list->listMouseDown());
        QCOMPARE(m_list->viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void identicalTextsNeverSwap()
    {
        fill({"a", "same", "b", "same"});
        press(2);
        moveTo(4);
        QCOMPARE(m_form->fileList().texts(), QStringList({"a", "same", "b", "same"}));
        QCOMPARE(m_list->draggedPosition(), 2);
    }

    void movingWithoutAButtonChangesNothing()
    {
        fill({"1", "2", "3"});
        press(1);
        release(1);
        moveTo(3, Qt::NoButton);
        QCOMPARE(m_form->fileList().texts(), QStringList({"1", "2", "3"}));
    }

    void reorderWorksWhileBusy()
    {
        fill({"1", "2", "3"});
        m_form->holdBusy();
        press(1);
        moveTo(3);
        QCOMPARE(m_form->fileList().texts(), QStringList({"3", "2", "1"}));
        QCOMPARE(m_form->pointer(), Form1::Pointer::Busy);
    }

    void aRemovedDraggedItemIsCarriedNoMore()
    {
        fill({"1", "2", "3"});
        press(2);
        release(2);
        act("Delete", 2);
        m_list->selectPosition(1);
        QTest::mousePress(m_list->viewport(), Qt::RightButton, {},
                          QPoint(m_list->viewport()->width() - 2, m_list->viewport()->height() - 2));
        moveTo(2);
        QCOMPARE(m_form->fileList().texts(), QStringList({"1", "3"}));
    }

    void movingOverTheListResetsThePointer()
    {
        fill({"1"});
        m_form->setPointer(Form1::Pointer::Custom);
        moveTo(1, Qt::NoButton);
        QCOMPARE(m_form->pointer(), Form1::Pointer::Default);
        m_form->holdBusy();
        moveTo(1, Qt::NoButton);
        QCOMPARE(m_form->pointer(), Form1::Pointer::Busy);
    }

    void dragCursorComesFromItsFile_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // of drag.ico; empty: a pipe stands there
        QTest::addColumn<QSize>("pointer"); // the pointer's size; none: the standard pointer
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QByteArray ico;
        QBuffer buffer(&ico);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "ico");
        QTest::newRow("icon") << ico << QSize(16, 16);
        // The window system takes no pointer this large.
        QTest::newRow("2048 x 2048, scaled down") << test::PngIconFile({2048, 2048}) << QSize(256, 256);
        QTest::newRow("no icon") << QByteArray("not an icon") << QSize();
        QTest::newRow("too large to decode") << test::PngIconFile({8192, 8192}) << QSize();
        QTest::newRow("a pipe") << QByteArray() << QSize();
    }

    void dragCursorComesFromItsFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, pointer);
        if (bytes.isEmpty())
            m_fixture->programPath("drag.ico", true);
        else
            m_fixture->programFile("drag.ico", bytes);
        restart();
        // It was read once, at start.
        QFile::remove(m_fixture->programPath("drag.ico"));
        fill({"1", "2"});
        press(1);
        const QCursor shown = m_list->viewport()->cursor();
        QCOMPARE(shown.shape(), pointer.isValid() ? Qt::BitmapCursor : Qt::ArrowCursor);
        if (pointer.isValid())
            QCOMPARE(shown.pixmap().size(), pointer);
        release(1);
        QCOMPARE(m_list->viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void edgeScrollingFollowsTheListsOwnRows()
    {
        QStringList many;
        for (int i = 1; i <= 60; ++i)
            many << QString::number(i);
        fill(many);
        const int visible = m_list->indexAt(QPoint(1, m_list->viewport()->height() - 2)).row() + 1;
        QVERIFY(visible > 3 && visible < 60);
        QScrollBar* bar = m_list->verticalScrollBar();
        QCOMPARE(bar->value(), 0);
        // A swap in the middle rows does not scroll.
        press(2);
        moveTo(3);
        QCOMPARE(bar->value(), 0);
        // A swap into the bottom row scrolls one row, which brings the next item into view.
        moveTo(visible);
        QCOMPARE(bar->value(), scrollPerRow());
        QVERIFY(m_list->visualRect(m_form->fileList().index(visible)).top() < m_list->viewport()->height());
        // A swap into the top row scrolls one row back.
        moveTo(m_list->indexAt(QPoint(1, 1)).row() + 1);
        QCOMPARE(bar->value(), 0);
        release(1);
    }

    void edgeScrollingMovesOneRowAtATime_data()
    {
        QTest::addColumn<bool>("down");
        QTest::newRow("down onto the cut bottom row") << true;
        QTest::newRow("up onto the top row") << false;
    }

    void edgeScrollingMovesOneRowAtATime()
    {
        QFETCH(bool, down);
        QStringList items;
        for (int i = 1; i <= 40; ++i)
            items << QStringLiteral("p%1").arg(i, 2, 10, QLatin1Char('0'));
        fill(items);
        cutTheLastVisibleRow();
        QScrollBar* bar = m_list->verticalScrollBar();
        if (!down)
            bar->setValue(bar->maximum());
        // Pick up the item in the top (or the last whole) row and carry it to the other edge
        // in small steps, then move the pointer a little there, up and down, again and again.
        const int height = m_list->viewport()->height();
        int y = down ? rowHeight() / 2 : (height / rowHeight() - 1) * rowHeight() + rowHeight() / 2;
        const int start = m_list->indexAt(QPoint(1, y)).row() + 1;
        const QString carried = m_form->fileList().text(start);
        QTest::mousePress(m_list->viewport(), Qt::LeftButton, {}, QPoint(m_list->viewport()->width() / 2, y));
        const int edgeY = down ? height - 2 : 1;
        int position = start;
        for (int move = 0; move < 60; ++move) {
            if (y != edgeY)
                y = down ? std::min(y + 3, edgeY) : std::max(y - 3, edgeY);
            else
                y += down ? -1 : 1;
            const int scrolled = bar->value();
            moveToY(y);
            // The carried item goes at most one place per move; the others keep their order.
            const int now = m_list->draggedPosition();
            QVERIFY2(std::abs(now - position) <= 1,
                     qPrintable(QStringLiteral("%1 to %2").arg(position).arg(now)));
            position = now;
            QStringList expected = items;
            expected.removeOne(carried);
            expected.insert(position - 1, carried);
            QCOMPARE(m_form->fileList().texts(), expected);
            QVERIFY(std::abs(bar->value() - scrolled) <= scrollPerRow());
        }
        // The wiggling at the edge carried it all the way.
        QCOMPARE(position, down ? 40 : 1);
        QTest::mouseRelease(m_list->viewport(), Qt::LeftButton, {},
                            QPoint(m_list->viewport()->width() / 2, y));
    }

    void listContainsTextComparesExactly_data()
    {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("contained");
        QTest::newRow("empty list") << QStringList() << "/x.vcf" << false;
        QTest::newRow("same text") << QStringList({"/a.vcf", "/x.vcf"}) << "/x.vcf" << true;
        QTest::newRow("other case") << QStringList({"/x.vcf"}) << "/X.vcf" << false;
        QTest::newRow("trailing space") << QStringList({"/x.vcf"}) << "/x.vcf " << false;
        QTest::newRow("doubled separator") << QStringList({"/x.vcf"}) << "//x.vcf" << false;
    }

    void listContainsTextComparesExactly()
    {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QFETCH(bool, contained);
        test::AppendAll(m_form->fileList(), items);
        QCOMPARE(ListContainsText(m_form->fileList(), text), contained);
    }

    void addFilesByDialog_data()
    {
        QTest::addColumn<QStringList>("picked");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("cancel") << QStringList() << QStringList({"/old.vcf"});
#if defined(Q_OS_WIN)
        QTest::newRow("one file as returned")
            << QStringList({"C:\\cards\\\\one.vcf"}) << QStringList({"/old.vcf", "C:\\cards\\\\one.vcf"});
        QTest::newRow("three files in order")
            << QStringList({"D:\\Cards\\c.vcf", "D:\\Cards\\a.vcf", "D:\\Cards\\b.vcf"})
            << QStringList({"/old.vcf", "D:\\Cards\\c.vcf", "D:\\Cards\\a.vcf", "D:\\Cards\\b.vcf"});
        // A drive's root comes back as "E:\\"; its files get one separator.
        QTest::newRow("root folder") << QStringList({"E:\\x.vcf", "E:\\y.vcf"})
                                     << QStringList({"/old.vcf", "E:\\x.vcf", "E:\\y.vcf"});
#else
        QTest::newRow("one file as returned")
            << QStringList({"/cards//one.vcf"}) << QStringList({"/old.vcf", "/cards//one.vcf"});
        QTest::newRow("three files in order")
            << QStringList({"/d/Cards/c.vcf", "/d/Cards/a.vcf", "/d/Cards/b.vcf"})
            << QStringList({"/old.vcf", "/d/Cards/c.vcf", "/d/Cards/a.vcf", "/d/Cards/b.vcf"});
        QTest::newRow("root folder") << QStringList({"/x.vcf", "/y.vcf"})
                                     << QStringList({"/old.vcf", "/x.vcf", "/y.vcf"});
#endif
        QTest::newRow("listed again") << QStringList({"/old.vcf"}) << QStringList({"/old.vcf", "/old.vcf"});
    }

    void addFilesByDialog()
    {
        QFETCH(QStringList, picked);
        QFETCH(QStringList, listed);
        m_form->fileList().append("/old.vcf");
        m_fixture->prompts.answerFiles(picked);
        QTest::mouseClick(m_fixture->child<QPushButton>("PushButton1"), Qt::LeftButton);
        QCOMPARE(m_form->fileList().texts(), listed);
        QCOMPARE(m_fixture->prompts.shown.size(), 1);
        const auto& dialog = m_fixture->prompts.shown.constFirst();
        QCOMPARE(dialog.title, QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"));
        QCOMPARE(dialog.text, QStringLiteral("vCard Files (*.vcf, *.vcard);;All Files (*)"));
    }

    void tooManyFilesAddNothing_data()
    {
        QTest::addColumn<int>("extra");
        QTest::addColumn<bool>("added");
        QTest::newRow("exactly 30000 characters") << 0 << true;
        QTest::newRow("one more") << 1 << false;
    }

    void tooManyFilesAddNothing()
    {
        QFETCH(int, extra);
        QFETCH(bool, added);
        // The folder ("/d", or "C:\\d" on Windows), then 300 names with a separator each:
        // folder + 299 * (1 + 99) + (1 + 99 - folder) = 30000.
        const QString folder = test::Native(QDir::rootPath() + "d");
        QStringList picked;
        for (int i = 0; i < 299; ++i)
            picked << folder + QDir::separator() + QString::number(i).rightJustified(95, '0') + ".vcf";
        picked << folder + QDir::separator() + QString(95 - folder.size() + extra, 'z') + ".vcf";
        m_fixture->prompts.answerFiles(picked);
        m_form->PushButton1_Click();
        QCOMPARE(m_form->fileList().count(), added ? 300 : 0);
        const QStringList messages = m_fixture->prompts.messages();
        if (added) {
            QVERIFY(messages.isEmpty());
        } else {
            QCOMPARE(messages,
                     QStringList({"You've selected too many files to add.\r\rPlease try adding via the \"Add "
                                  "All\" button."}));
            QCOMPARE(m_fixture->prompts.shown.constLast().title, QStringLiteral("Orvandel"));
            QCOMPARE(m_fixture->prompts.shown.constLast().icon, Prompts::Icon::None);
        }
    }

    void aHundredThousandItems()
    {
        QStringList many;
        many.reserve(100000);
        for (int i = 0; i < 100000; ++i)
            many << QStringLiteral("/cards/%1.vcf").arg(i);
        for (const QString& path : many)
            m_form->fileList().append(path);
        QCOMPARE(m_form->fileList().count(), 100000);
        QCOMPARE(m_form->fileList().text(100000), QStringLiteral("/cards/99999.vcf"));
        QCoreApplication::processEvents();
        QCOMPARE(m_list->model()->rowCount(), 100000);
        m_list->selectPosition(50000);
        act("Delete", 50000);
        QCOMPARE(m_form->fileList().text(50000), QStringLiteral("/cards/50000.vcf"));
    }

private:
    // A new window, after the files beside the program have changed.
    void restart()
    {
        m_form = &m_fixture->start();
        m_list = m_fixture->child<FileListView>("ListView1");
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form));
    }

    void fill(const QStringList& texts)
    {
        test::AppendAll(m_form->fileList(), texts);
        m_form->fileList().flush();
    }

    QPoint rowCentre(int position)
    {
        return m_list->visualRect(m_form->fileList().index(position - 1)).center();
    }

    void press(int position)
    {
        QTest::mousePress(m_list->viewport(), Qt::LeftButton, {}, rowCentre(position));
    }
    void release(int position)
    {
        QTest::mouseRelease(m_list->viewport(), Qt::LeftButton, {}, rowCentre(position));
    }

    void moveTo(int position, Qt::MouseButtons buttons = Qt::LeftButton)
    {
        const QPoint at = rowCentre(position);
        QMouseEvent move(QEvent::MouseMove, at, m_list->viewport()->mapToGlobal(at), Qt::NoButton, buttons,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(m_list->viewport(), &move);
    }

    int rowHeight()
    {
        return m_list->visualRect(m_form->fileList().index(0)).height();
    }

    // The scroll bar's steps for one row.
    int scrollPerRow()
    {
        return m_list->verticalScrollMode() == QAbstractItemView::ScrollPerItem ? 1 : rowHeight();
    }

    // Makes the list so high that its last visible row shows only in part.
    void cutTheLastVisibleRow()
    {
        const int extra = m_list->height() - m_list->viewport()->height();
        m_list->setFixedHeight(extra + 6 * rowHeight() + rowHeight() / 2); // the layout is fixed otherwise
        QCoreApplication::processEvents();
        QCOMPARE(m_list->viewport()->height() % rowHeight(), rowHeight() / 2);
    }

    void moveToY(int y)
    {
        const QPoint at(m_list->viewport()->width() / 2, y);
        QMouseEvent move(QEvent::MouseMove, at, m_list->viewport()->mapToGlobal(at), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(m_list->viewport(), &move);
    }

    void act(const QString& how, int position)
    {
        if (how == "Delete")
            QTest::keyClick(m_list, Qt::Key_Delete);
        else if (how == "Shift+Delete")
            QTest::keyClick(m_list, Qt::Key_Delete, Qt::ShiftModifier);
        else if (how == "Ctrl+Delete")
            QTest::keyClick(m_list, Qt::Key_Delete, Qt::ControlModifier);
        else if (how == "Backspace")
            QTest::keyClick(m_list, Qt::Key_Backspace);
        else if (how == "A")
            QTest::keyClick(m_list, Qt::Key_A);
        else if (how == "double-click")
            QTest::mouseDClick(m_list->viewport(), Qt::LeftButton, {}, rowCentre(position));
        else if (how == "Clear List")
            QTest::mouseClick(m_fixture->child<QPushButton>("PushButton8"), Qt::LeftButton);
        else
            QFAIL("unknown action");
    }

    std::unique_ptr<FormFixture> m_fixture;
    Form1* m_form = nullptr;
    FileListView* m_list = nullptr;
};

QTEST_MAIN(FileListTest)
#include "FileListTest.moc"
