#include "FormFixture.h"
#include "window/list/FileListModel.h"
#include "window/list/FileListView.h"
#include "window/list/PathText.h"

#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <set>

using namespace orvandel;
using orvandel::test::FormFixture;

namespace {

const QByteArray kCard
    = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Card One\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/2Q==\r\n"
      "END:VCARD\r\n";

// Writes a file whose name is the exact bytes `name` (which need not be UTF-8) into `folder`.
std::string WriteByteNamed(const QString& folder, const std::string& name)
{
    const std::string path = PathToBytes(folder) + "/" + name;
    std::ofstream(path, std::ios::binary) << kCard.toStdString();
    return path;
}

std::set<std::string> NamesIn(const QString& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PathToBytes(folder)))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

// File names that are not UTF-8 (an old Latin-1 name from a stick or an archive): the window
// lists them apart, and the run finds the very files.
class ByteNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<FormFixture>(); }

    void cleanup()
    {
        // Qt's own removal cannot name these files.
        for (const QString& folder : {QStringLiteral("cards"), QStringLiteral("out")})
            std::filesystem::remove_all(PathToBytes(m_fixture->folder(folder)));
        QVERIFY2(m_fixture->prompts.unexpected.isEmpty(),
                 qPrintable(m_fixture->prompts.unexpected.join(", ")));
        QVERIFY(m_fixture->prompts.scriptDone());
        m_fixture.reset();
    }

    void bytesComeBack_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("/cards/ada.vcf") << "/cards/ada.vcf";
        QTest::newRow("UTF-8") << QByteArray("/cards/Ren\xC3\xA9"
                                             "e.vcf")
                               << QString::fromUtf8("/cards/Renée.vcf");
        QTest::newRow("four-byte UTF-8") << QByteArray("\xF0\x9F\x98\x80.vcf") << QString::fromUtf8("😀.vcf");
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xE9.vcf") << "caf\\xe9.vcf";
        QTest::newRow("0xFF and 0xFE") << QByteArray("bad\xFF\xFE.vcf") << "bad\\xff\\xfe.vcf";
        QTest::newRow("cut-off sequence") << QByteArray("a\xC3") << "a\\xc3";
        QTest::newRow("overlong form") << QByteArray("\xC0\xAF") << "\\xc0\\xaf";
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB2\x80") << "\\xed\\xb2\\x80";
        QTest::newRow("empty") << QByteArray() << "";
    }

    void bytesComeBack()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString text = PathFromBytes(std::string_view(bytes.constData(), bytes.size()));
        QCOMPARE(QByteArray::fromStdString(PathToBytes(text)), bytes);
        QCOMPARE(PathForDisplay(text), shown);
    }

    // A name given on the command line ("Open with" passes whole paths, a shell may not).
    void namesFromTheCommandLineAreMadeAbsolute_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("absolute");
        const QByteArray here = QByteArray::fromStdString(PathToBytes(test::Native(QDir::currentPath())));
#if defined(Q_OS_WIN)
        // Windows's own form, whichever separator was typed.
        QTest::newRow("absolute") << QByteArray("C:/a/x.vcf") << QByteArray("C:\\a\\x.vcf");
        QTest::newRow("relative") << QByteArray("cards") << here + "\\cards";
        QTest::newRow("dash name") << QByteArray("-x.vcf") << here + "\\-x.vcf";
        QTest::newRow("cleaned") << QByteArray("a\\.\\b/../c") << here + "\\a\\c";
        QTest::newRow("UTF-8") << QByteArray("D:\\Ren\xC3\xA9"
                                             "e.vcf")
                               << QByteArray("D:\\Ren\xC3\xA9"
                                             "e.vcf");
#else
        QTest::newRow("absolute") << QByteArray("/a/x.vcf") << QByteArray("/a/x.vcf");
        QTest::newRow("relative") << QByteArray("cards") << here + "/cards";
        QTest::newRow("dash name") << QByteArray("-x.vcf") << here + "/-x.vcf";
        QTest::newRow("cleaned") << QByteArray("a/./b/../c") << here + "/a/c";
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xE9.vcf") << here + "/caf\xE9.vcf";
        QTest::newRow("absolute Latin-1 byte")
            << QByteArray("/a/caf\xE9.vcf") << QByteArray("/a/caf\xE9.vcf");
#endif
    }

    void namesFromTheCommandLineAreMadeAbsolute()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, absolute);
        const QString path = AbsolutePathFromBytes(std::string_view(bytes.constData(), bytes.size()));
        QCOMPARE(QByteArray::fromStdString(PathToBytes(path)), absolute);
    }

    void aRealPairOfSurrogatesStaysACharacter()
    {
        // U+1F600 in UTF-16 is D83D DE00; a low surrogate after a high one is no kept byte.
        const QString text = QString::fromUtf8("\xF0\x9F\x98\x80");
        QCOMPARE(PathToBytes(text), std::string("\xF0\x9F\x98\x80"));
        QCOMPARE(PathForDisplay(text), text);
    }

    void theFolderCommandAndTheRunKeepTheBytes()
    {
#if defined(Q_OS_WIN)
        QSKIP("Windows names files in UTF-16: no name there is bytes that are not UTF-8");
#endif
        Form1& form = m_fixture->start();
        const QString cards = m_fixture->folder("cards");
        const QString out = m_fixture->folder("out");
        WriteByteNamed(cards, "bad\xFF.vcf");
        WriteByteNamed(cards, "bad\xFE.vcf");
        m_fixture->prompts.answerText(QStringLiteral("vcf"));
        m_fixture->prompts.answerFolder(cards);
        form.PushButton7_Click();
        QCOMPARE(form.fileList().count(), 2);
        form.fileList().flush();

        // Listed apart, as the user can tell them.
        QStringList shown;
        for (int row = 0; row < 2; ++row)
            shown << form.fileList().data(form.fileList().index(row), Qt::DisplayRole).toString();
        shown.sort();
        QCOMPARE(shown, QStringList({cards + "/bad\\xfe.vcf", cards + "/bad\\xff.vcf"}));

        test::OutputBox(form)->setText(out + "/");
        form.PushButton2_Click();
        QCOMPARE(NamesIn(out), (std::set<std::string> {"bad\xFE.jpg", "bad\xFF.jpg"}));
        const QStringList messages = m_fixture->prompts.messages();
        QCOMPARE(messages, QStringList({"Done."}));
    }

    void aDroppedNameKeepsItsBytes()
    {
#if defined(Q_OS_WIN)
        QSKIP("Windows names files in UTF-16: no name there is bytes that are not UTF-8");
#endif
        Form1& form = m_fixture->start();
        const QString cards = m_fixture->folder("cards");
        const std::string path = WriteByteNamed(cards, "caf\xE9.vcf");
        // A file manager sends the name's bytes percent-encoded.
        QMimeData data;
        QByteArray address("file://");
        address += QByteArray::fromStdString(path).toPercentEncoding("/");
        data.setUrls({QUrl::fromEncoded(address)});
        auto* list = m_fixture->child<FileListView>("ListView1");
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &enter);
        QCoreApplication::sendEvent(list->viewport(), &drop);
        QTRY_COMPARE(form.fileList().count(), 1);
        QCOMPARE(QByteArray::fromStdString(PathToBytes(form.fileList().text(1))),
                 QByteArray::fromStdString(path));
    }

private:
    std::unique_ptr<FormFixture> m_fixture;
};

QTEST_MAIN(ByteNamesTest)
#include "ByteNamesTest.moc"
