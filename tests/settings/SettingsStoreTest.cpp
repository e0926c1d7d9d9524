#include "settings/SettingsStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>
#if defined(Q_OS_WIN)
#include <windows.h>
#endif

using namespace orvandel;

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void valuesComeBackUnchanged_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("folder") << "/home/me/Desktop/";
        QTest::newRow("blanks kept") << "  txt  ";
        QTest::newRow("empty") << "";
        QTest::newRow("non-ASCII") << "/home/me/Schreibtisch/Fotos für Öl/";
        QTest::newRow("looks like a number") << "007";
        QTest::newRow("comma and equals") << "a,b=c;d";
    }

    void valuesComeBackUnchanged()
    {
        QFETCH(QString, value);
        QTemporaryDir dir;
        SettingsStore store(dir.path() + "/Quorvane.ini");
        store.SaveSetting(kSettingsApplication, kSettingsSection, "Extension", value);
        // A second store on the same file reads what the first one wrote.
        SettingsStore again(dir.path() + "/Quorvane.ini");
        QCOMPARE(again.GetSetting(kSettingsApplication, kSettingsSection, "Extension", "vcf"), value);
    }

    void missingKeyGivesTheDefault()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path() + "/Quorvane.ini");
        QCOMPARE(store.GetSetting(kSettingsApplication, kSettingsSection, "Extension", "vcf"),
                 QStringLiteral("vcf"));
        QVERIFY(!store.findSetting(kSettingsApplication, kSettingsSection, "LastFolder").has_value());
        store.SaveSetting(kSettingsApplication, kSettingsSection, "LastFolder", "");
        QCOMPARE(store.findSetting(kSettingsApplication, kSettingsSection, "LastFolder"),
                 std::optional<QString>(""));
    }

    void onlyWhatIsNeededIsWritten()
    {
        QTemporaryDir dir;
        const QString path = dir.path() + "/Quorvane.ini";
        SettingsStore store(path);
        store.SaveSetting(kSettingsApplication, kSettingsSection, "Text1", "/a/");
        const QDateTime old = QDateTime::fromSecsSinceEpoch(946684800, Qt::UTC);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite)
                    && file.setFileTime(old, QFileDevice::FileModificationTime));
        }
        // The value stored already: the file is not touched.
        store.SaveSetting(kSettingsApplication, kSettingsSection, "Text1", "/a/");
        QCOMPARE(QFileInfo(path).lastModified().toUTC(), old);
        store.SaveSetting(kSettingsApplication, kSettingsSection, "Text1", "/b/");
        QVERIFY(QFileInfo(path).lastModified().toUTC() != old);
#if !defined(Q_OS_WIN)
        // A link to a regular file (as a dotfile manager makes) stays a link; its file is written.
        const QString kept = dir.path() + "/dotfiles/Quorvane.ini";
        QVERIFY(QDir().mkpath(dir.path() + "/dotfiles") && QFile::rename(path, kept)
                && QFile::link(kept, path));
        store.SaveSetting(kSettingsApplication, kSettingsSection, "Text1", "/c/");
        QVERIFY(QFileInfo(path).isSymLink());
        QCOMPARE(SettingsStore(kept).GetSetting(kSettingsApplication, kSettingsSection, "Text1", {}),
                 QStringLiteral("/c/"));
#endif
    }

    void keysAreKeptApart()
    {
        QTemporaryDir dir;
        SettingsStore store(dir.path() + "/Quorvane.ini");
        store.SaveSetting(kSettingsApplication, kSettingsSection, "LastFolder", "/a");
        store.SaveSetting(kSettingsApplication, kSettingsSection, "LastFolderDot", "/b");
        QCOMPARE(store.GetSetting(kSettingsApplication, kSettingsSection, "LastFolder", {}),
                 QStringLiteral("/a"));
        QCOMPARE(store.GetSetting(kSettingsApplication, kSettingsSection, "LastFolderDot", {}),
                 QStringLiteral("/b"));
    }

    void aFailedWriteThrowsAndLeavesNoValue()
    {
        QTemporaryDir dir;
        QFile blocker(dir.path() + "/not-a-folder");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SettingsStore store(dir.path() + "/not-a-folder/Quorvane.ini");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 store.SaveSetting(kSettingsApplication, kSettingsSection, "Text1", "/new/"));
        QCOMPARE(store.GetSetting(kSettingsApplication, kSettingsSection, "Text1", "old"),
                 QStringLiteral("old"));
    }

#if defined(Q_OS_WIN)
    // The per-user store is the current user's registry, as Windows's own programs read it:
    // HKEY_CURRENT_USER\Software\<application>\<section>, one text value a key.
    void thePerUserStoreIsTheCurrentUsersRegistry_data()
    {
        valuesComeBackUnchanged_data();
    }

    void thePerUserStoreIsTheCurrentUsersRegistry()
    {
        QFETCH(QString, value);
        // An application of the test's own, so that no real setting is touched.
        const QString application = QStringLiteral("QuorvaneTest%1").arg(QCoreApplication::applicationPid());
        const std::wstring subKey
            = (QStringLiteral("Software\\") + application + QStringLiteral("\\Orvandel")).toStdWString();
        SettingsStore store;
        QVERIFY(!store.findSetting(application, kSettingsSection, "Text1").has_value());
        store.SaveSetting(application, kSettingsSection, "Text1", value);

        wchar_t stored[256] = {};
        DWORD size = sizeof stored;
        DWORD type = 0;
        QCOMPARE(
            ::RegGetValueW(HKEY_CURRENT_USER, subKey.c_str(), L"Text1", RRF_RT_ANY, &type, stored, &size),
            LSTATUS(ERROR_SUCCESS));
        QCOMPARE(type, DWORD(REG_SZ));
        QCOMPARE(QString::fromWCharArray(stored), value);

        // What another program wrote there is read as it stands; a value that is not text is
        // refused with a clear error.
        const std::wstring other = (value + QStringLiteral("\\more")).toStdWString();
        QCOMPARE(::RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), L"LastFolder", REG_SZ, other.c_str(),
                                   DWORD((other.size() + 1) * sizeof(wchar_t))),
                 LSTATUS(ERROR_SUCCESS));
        QCOMPARE(store.GetSetting(application, kSettingsSection, "LastFolder", {}), value + "\\more");
        const DWORD number = 7;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), L"Extension", REG_DWORD, &number, sizeof number);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 store.GetSetting(application, kSettingsSection, "Extension", "vcf"));
        // An expandable value is read as Windows keeps it: expanded.
        const std::wstring expandable = L"%USERPROFILE%\\Desktop\\";
        ::RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), L"LastFolderDot", REG_EXPAND_SZ,
                          expandable.c_str(), DWORD((expandable.size() + 1) * sizeof(wchar_t)));
        QCOMPARE(store.GetSetting(application, kSettingsSection, "LastFolderDot", {}),
                 qEnvironmentVariable("USERPROFILE") + "\\Desktop\\");
        // A value longer than any path is refused, and stays as it is.
        const std::wstring endless(40000, L'a');
        ::RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), L"Text1", REG_SZ, endless.c_str(),
                          DWORD((endless.size() + 1) * sizeof(wchar_t)));
        try {
            store.GetSetting(application, kSettingsSection, "Text1", {});
            QFAIL("a value of 40,000 characters was read");
        } catch (const std::runtime_error& error) {
            QVERIFY2(QString::fromUtf8(error.what())
                         .startsWith(
                             "The settings cannot be read: the value \"Text1\" is longer than a path can be "
                             "(40000 characters)"),
                     error.what());
        }

        ::RegDeleteTreeW(HKEY_CURRENT_USER,
                         (QStringLiteral("Software\\") + application).toStdWString().c_str());
    }
#else
    void thePerUserStoreIsNamedAfterTheApplication()
    {
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        SettingsStore store;
        store.SaveSetting(kSettingsApplication, kSettingsSection, "Extension", "txt");
        QFile file(config.path() + "/Quorvane.ini");
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[Orvandel]\nExtension=txt\n"));
        qunsetenv("XDG_CONFIG_HOME");
    }
#endif
};

QTEST_MAIN(SettingsStoreTest)
#include "SettingsStoreTest.moc"
