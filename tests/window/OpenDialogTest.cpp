#include "window/QtPrompts.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace orvandel;

namespace {

const QString kTitle = QStringLiteral("Add File(s) - Hold Ctrl to select multiple files");
const QString kFilters = QStringLiteral("vCard Files (*.vcf, *.vcard);;All Files (*)");

} // namespace

// The real dialog behind "Add VCF File(s)", driven as a user would.
class OpenDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
#if defined(Q_OS_WIN)
        QSKIP("Windows shows its own open dialog; this one is the dialog of the other systems");
#endif
    }

    void init()
    {
        m_scratch = std::make_unique<QTemporaryDir>();
        QVERIFY(m_scratch->isValid());
        m_folder.setPath(m_scratch->path());
        for (const char* name : {"a.vcf", "b.vcard", "c.vcf", "notes.txt", "README"})
            QVERIFY(QFile(m_folder.filePath(name)).open(QIODevice::WriteOnly));
        QVERIFY(m_folder.mkdir("Sub"));
        QVERIFY(QFile(m_folder.filePath("Sub/d.vcf")).open(QIODevice::WriteOnly));
    }

    void cleanup()
    {
        const QStringList boxes = std::exchange(m_boxes, {});
        m_scratch.reset();
        QVERIFY2(boxes.isEmpty(), qPrintable(boxes.join("; ")));
    }

    void offersBothFiltersUnderItsTitle()
    {
        QStringList filters;
        QString title;
        QStringList shown;
        const QStringList picked = run([&](QFileDialog* dialog) {
            title = dialog->windowTitle();
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            QVERIFY(types);
            for (int i = 0; i < types->count(); ++i)
                filters << types->itemText(i);
            QTRY_COMPARE(shownFiles(dialog), QStringList({"a.vcf", "b.vcard", "c.vcf"}));
            types->setFocus();
            QTest::keyClick(types, Qt::Key_Down);
            QTRY_COMPARE(shownFiles(dialog),
                         QStringList({"a.vcf", "b.vcard", "c.vcf", "notes.txt", "README"}));
            dialog->reject();
        });
        QCOMPARE(title, kTitle);
        QCOMPARE(filters, QStringList({"vCard Files (*.vcf, *.vcard)", "All Files (*)"}));
        QVERIFY(picked.isEmpty());
    }

    void typedNamesAreTakenAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("picked"); // relative to the folder
        QTest::newRow("a name that does not exist") << "new.vcf"
                                                    << "new.vcf";
        QTest::newRow("a full path that does not exist") << "<folder>/Sub/gone.vcf"
                                                         << "Sub/gone.vcf";
        QTest::newRow("an existing file of another type") << "notes.txt"
                                                          << "notes.txt";
        QTest::newRow("an existing card") << "a.vcf"
                                          << "a.vcf";
    }

    void typedNamesAreTakenAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, picked);
        typed.replace("<folder>", m_folder.path());
        const QStringList files = run([&](QFileDialog* dialog) {
            QTRY_VERIFY(!shownFiles(dialog).isEmpty());
            type(dialog, typed);
            QTest::keyClick(nameBox(dialog), Qt::Key_Return);
        });
        QCOMPARE(files, QStringList({m_folder.filePath(picked)}));
    }

    void aTypedPatternShowsFilesOfEveryType_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("*.*") << "*.*" << QStringList({"a.vcf", "b.vcard", "c.vcf", "notes.txt", "README"});
        QTest::newRow("*.txt") << "*.txt" << QStringList({"notes.txt"});
    }

    void aTypedPatternShowsFilesOfEveryType()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, shown);
        QStringList before;
        QStringList after;
        bool stayedOpen = false;
        const QStringList files = run([&](QFileDialog* dialog) {
            QTRY_VERIFY(!shownFiles(dialog).isEmpty());
            before = shownFiles(dialog);
            type(dialog, pattern);
            QTest::keyClick(nameBox(dialog), Qt::Key_Return);
            stayedOpen = dialog->isVisible();
            QTRY_COMPARE(shownFiles(dialog), shown);
            after = shownFiles(dialog);
            // Then the user picks a file of another type from what is offered.
            clickFile(dialog, shown.constLast(), {});
            open(dialog);
        });
        QCOMPARE(before, QStringList({"a.vcf", "b.vcard", "c.vcf"}));
        QVERIFY(stayedOpen);
        QCOMPARE(after, shown);
        QCOMPARE(files, QStringList({m_folder.filePath(shown.constLast())}));
    }

    void severalFilesArePickedWithCtrl()
    {
        const QStringList files = run([&](QFileDialog* dialog) {
            QTRY_VERIFY(shownFiles(dialog).contains("c.vcf"));
            clickFile(dialog, "a.vcf", {});
            clickFile(dialog, "c.vcf", Qt::ControlModifier);
            open(dialog);
        });
        QCOMPARE(files, QStringList({m_folder.filePath("a.vcf"), m_folder.filePath("c.vcf")}));
    }

    void aTypedFolderIsOpened()
    {
        QString entered;
        const QStringList files = run([&](QFileDialog* dialog) {
            QTRY_VERIFY(!shownFiles(dialog).isEmpty());
            type(dialog, "Sub");
            QTest::keyClick(nameBox(dialog), Qt::Key_Return);
            QTRY_COMPARE(shownFiles(dialog), QStringList({"d.vcf"}));
            entered = dialog->directory().absolutePath();
            clickFile(dialog, "d.vcf", {});
            open(dialog);
        });
        QCOMPARE(entered, m_folder.filePath("Sub"));
        QCOMPARE(files, QStringList({m_folder.filePath("Sub/d.vcf")}));
    }

    void cancelPicksNothing()
    {
        const QStringList files = run([&](QFileDialog* dialog) {
            QTRY_VERIFY(!shownFiles(dialog).isEmpty());
            clickFile(dialog, "a.vcf", {});
            dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
        });
        QVERIFY(files.isEmpty());
    }

private:
    // Opens the dialog in the test's folder, lets `drive` act on it while it is open, and
    // returns what it picked. A dialog that `drive` leaves open is cancelled.
    QStringList run(const std::function<void(QFileDialog*)>& drive)
    {
        bool driven = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                QWidget* modal = QApplication::activeModalWidget();
                if (modal)
                    modal->close();
                return;
            }
            dialog->setDirectory(m_folder.path());
            driven = true;
            drive(dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        // A box the dialog opens over itself ("File not found") is noted and closed.
        QTimer boxes;
        connect(&boxes, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_boxes << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        boxes.start(20);
        QtPrompts prompts;
        const QStringList picked = prompts.openFileNames(nullptr, kTitle, kFilters);
        if (!driven)
            qWarning("No file dialog opened");
        return driven ? picked : QStringList {QStringLiteral("<no dialog>")};
    }

    static QAbstractItemView* shownView(QFileDialog* dialog)
    {
        for (const char* name : {"listView", "treeView"}) {
            auto* view = dialog->findChild<QAbstractItemView*>(name);
            if (view && view->isVisible())
                return view;
        }
        return nullptr;
    }

    static QModelIndex fileIndex(QFileDialog* dialog, const QString& name)
    {
        QAbstractItemView* view = shownView(dialog);
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            const QModelIndex index = view->model()->index(row, 0, root);
            if (index.data().toString() == name)
                return index;
        }
        return {};
    }

    // The files (not folders) that the dialog offers, sorted as it sorts them.
    static QStringList shownFiles(QFileDialog* dialog)
    {
        QStringList names;
        QAbstractItemView* view = shownView(dialog);
        if (!view)
            return names;
        auto* model = qobject_cast<QFileSystemModel*>(view->model());
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            const QModelIndex index = view->model()->index(row, 0, root);
            if (!model || !model->isDir(index))
                names << index.data().toString();
        }
        names.sort(Qt::CaseInsensitive);
        return names;
    }

    static QLineEdit* nameBox(QFileDialog* dialog)
    {
        return dialog->findChild<QLineEdit*>("fileNameEdit");
    }

    static void type(QFileDialog* dialog, const QString& text)
    {
        QLineEdit* box = nameBox(dialog);
        box->setFocus();
        box->clear();
        QTest::keyClicks(box, text);
    }

    static void clickFile(QFileDialog* dialog, const QString& name, Qt::KeyboardModifiers modifiers)
    {
        QAbstractItemView* view = shownView(dialog);
        const QModelIndex index = fileIndex(dialog, name);
        QVERIFY2(index.isValid(), qPrintable(name));
        view->scrollTo(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(index).center());
    }

    static void open(QFileDialog* dialog)
    {
        QPushButton* button
            = dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Open);
        QVERIFY(button);
        QVERIFY(button->isEnabled());
        button->click();
    }

    std::unique_ptr<QTemporaryDir> m_scratch;
    QStringList m_boxes;
    QDir m_folder;
};

QTEST_MAIN(OpenDialogTest)
#include "OpenDialogTest.moc"
