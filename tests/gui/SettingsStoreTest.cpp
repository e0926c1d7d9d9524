#include "settings/SettingsStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

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
};

QTEST_MAIN(SettingsStoreTest)
#include "SettingsStoreTest.moc"
