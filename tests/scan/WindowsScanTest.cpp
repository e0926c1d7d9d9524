// The folder scan's Windows rules: attribute values, drive roots, the ANSI code page.
#include "RecordingScanHost.h"
#include "scan/FolderListing.h"
#include "scan/FolderScan.h"
#include "scan/NameRules.h"
#include "scan/SystemFolders.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"
#include "util/TextFile.h"
#include "util/WideText.h"
#include "util/WindowsPath.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <windows.h>

namespace orvandel {
namespace {

    using test::RecordingScanHost;
    using test::TempDir;
    using Names = std::vector<std::string>;

    void SetAttributes(const std::string& path, DWORD attributes)
    {
        ASSERT_TRUE(::SetFileAttributesW(Utf8ToWide(path).c_str(), attributes)) << path;
        ASSERT_EQ(::GetFileAttributesW(Utf8ToWide(path).c_str()), attributes) << path;
    }

    // The items relative to `dir`, with "/" between their parts.
    Names Relative(const TempDir& dir, const Names& items)
    {
        Names out;
        for (std::string item : items) {
            if (item.rfind(dir.path() + "\\", 0) == 0)
                item.erase(0, dir.path().size() + 1);
            std::replace(item.begin(), item.end(), '\\', '/');
            out.push_back(item);
        }
        return out;
    }

    // A file's attribute value decides whether the folder scan lists it: exactly 34 (hidden
    // and archive) is left out, every other value is listed.
    struct FileAttributeCase
    {
        const char* name;
        DWORD attributes;
        bool listed;
    };

    class FileAttributeTest : public ::testing::TestWithParam<FileAttributeCase>
    {
    };

    TEST_P(FileAttributeTest, DecidesWhetherTheFileIsListed)
    {
        TempDir dir;
        dir.write("plain.vcf", "x");
        const auto judged = dir.write("sub/judged.vcf", "x");
        SetAttributes(judged, GetParam().attributes);
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path(), NamePattern("*.vcf"), host);
        ::SetFileAttributesW(Utf8ToWide(judged).c_str(), FILE_ATTRIBUTE_NORMAL);
        const Names expected
            = GetParam().listed ? Names {"plain.vcf", "sub/judged.vcf"} : Names {"plain.vcf"};
        EXPECT_EQ(Relative(dir, host.items), expected);
    }

    INSTANTIATE_TEST_SUITE_P(
        WindowsTable,
        FileAttributeTest,
        // Wine keeps the archive bit on every file, so each row has it.
        ::testing::Values(
            FileAttributeCase {"HiddenArchiveLeftOut", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, false},
            FileAttributeCase {"HiddenSystemArchiveListed",
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE, true},
            FileAttributeCase {"HiddenReadOnlyArchiveListed",
                               FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                               true},
            FileAttributeCase {"ArchiveListed", FILE_ATTRIBUTE_ARCHIVE, true},
            FileAttributeCase {"ReadOnlyArchiveListed", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE,
                               true}),
        [](const auto& info) { return std::string(info.param.name); });

    // A folder's attribute value decides whether the scan enters it: exactly 22 (directory,
    // system and hidden) is neither entered nor listed, unless it is the folder the scan starts
    // in; other values are. (Wine keeps no archive or read-only bit on folders, so 54 and 23
    // cannot be made here.)
    struct FolderAttributeCase
    {
        const char* name;
        DWORD attributes;
        bool entered;
    };

    class FolderAttributeTest : public ::testing::TestWithParam<FolderAttributeCase>
    {
    };

    TEST_P(FolderAttributeTest, DecidesWhetherTheSubfolderIsEntered)
    {
        TempDir dir;
        dir.write("top.vcf", "x");
        const auto judged = dir.mkdir("judged");
        dir.write("judged/inner.vcf", "x");
        dir.write("judged/deeper/deep.vcf", "x");
        SetAttributes(judged, GetParam().attributes);
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path(), NamePattern("*.vcf"), host);
        std::vector<std::string> folders {dir.path() + "\\"};
        RecordingScanHost folderHost;
        GetSubDirectories2016(folders, true, folderHost);
        SetAttributes(judged, FILE_ATTRIBUTE_DIRECTORY);
        if (GetParam().entered) {
            EXPECT_EQ(Relative(dir, host.items),
                      (Names {"top.vcf", "judged/inner.vcf", "judged/deeper/deep.vcf"}));
            EXPECT_EQ(folders.size(), 3u);
        } else {
            EXPECT_EQ(Relative(dir, host.items), (Names {"top.vcf"}));
            EXPECT_EQ(folders, (Names {dir.path() + "\\"}));
        }
        EXPECT_TRUE(host.skipped.empty());
    }

    INSTANTIATE_TEST_SUITE_P(
        WindowsTable,
        FolderAttributeTest,
        ::testing::Values(FolderAttributeCase {"SystemHiddenLeftOut",
                                               FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM
                                                   | FILE_ATTRIBUTE_HIDDEN,
                                               false},
                          FolderAttributeCase {"HiddenAloneEntered",
                                               FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, true},
                          FolderAttributeCase {"SystemAloneEntered",
                                               FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM, true},
                          FolderAttributeCase {"PlainEntered", FILE_ATTRIBUTE_DIRECTORY, true}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(AddFolderTreeFiles, AProtectedFolderItStartsInGivesItsOwnFiles)
    {
        TempDir dir;
        const auto start = dir.mkdir("start");
        dir.write("start/own.vcf", "x");
        dir.write("start/sub/inner.vcf", "x");
        SetAttributes(start, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN);
        RecordingScanHost host;
        AddFolderTreeFiles(start, NamePattern("*.vcf"), host);
        SetAttributes(start, FILE_ATTRIBUTE_DIRECTORY);
        // Not entered: its subfolders are not looked at, but its own files are listed.
        EXPECT_EQ(Relative(dir, host.items), (Names {"start/own.vcf"}));
    }

    struct RootCase
    {
        const char* name;
        std::string path;
        bool root;
    };

    class DriveRootTest : public ::testing::TestWithParam<RootCase>
    {
    };

    TEST_P(DriveRootTest, Tells)
    {
        EXPECT_EQ(IsDriveRoot(GetParam().path), GetParam().root);
    }

    INSTANTIATE_TEST_SUITE_P(WindowsTable,
                             DriveRootTest,
                             ::testing::Values(RootCase {"Drive", "C:\\", true},
                                               RootCase {"DriveDoubled", "C:\\\\", true},
                                               RootCase {"DriveAlone", "C:", true},
                                               RootCase {"DriveWithSlash", "D:/", true},
                                               RootCase {"Share", "\\\\server\\share\\", true},
                                               RootCase {"ShareWithoutSeparator", "\\\\server\\share", true},
                                               RootCase {"ServerOnly", "\\\\server\\", false},
                                               RootCase {"FolderOnShare", "\\\\server\\share\\cards\\",
                                                         false},
                                               RootCase {"Folder", "C:\\Cards\\", false},
                                               RootCase {"Relative", "cards", false},
                                               RootCase {"Empty", "", false}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(ProbeFolder, ADriveRootIsNeverLeftOut)
    {
        char drive[MAX_PATH] = {};
        ASSERT_GT(::GetWindowsDirectoryA(drive, MAX_PATH), 2u);
        const std::string root = std::string(drive, 2) + "\\";
        const FolderProbe probe = ProbeFolder(root);
        ASSERT_TRUE(probe.isFolder) << root;
        EXPECT_TRUE(probe.driveRoot);
        FolderProbe protectedRoot = probe;
        protectedRoot.attributes = kProtectedFolderAttributes;
        EXPECT_FALSE(SystemFolders::current().leftOut(protectedRoot));
        protectedRoot.driveRoot = false;
        EXPECT_TRUE(SystemFolders::current().leftOut(protectedRoot));
        protectedRoot.attributes = kProtectedFolderLinkAttributes;
        EXPECT_TRUE(SystemFolders::current().leftOut(protectedRoot));
    }

    TEST(GetSubDirectories2016, TheDrivesRootGivesItsSubfoldersAfterADoubledBackslash)
    {
        TempDir dir;
        const std::string drive = dir.path().substr(0, 2);
        ASSERT_EQ(drive[1], ':');
        // The folder command's list holds the root with a doubled "\", and so do the subfolders
        // found in it; their items have one.
        std::vector<std::string> folders {drive + "\\\\"};
        RecordingScanHost host;
        GetSubDirectories2016(folders, false, host);
        ASSERT_GE(folders.size(), 2u);
        EXPECT_EQ(folders.front(), drive + "\\\\");
        for (std::size_t i = 1; i < folders.size(); ++i) {
            EXPECT_EQ(folders[i].substr(0, 4), drive + "\\\\") << folders[i];
            EXPECT_EQ(NormalizeBackslashes(folders[i]).substr(0, 3), drive + "\\") << folders[i];
            EXPECT_NE(NormalizeBackslashes(folders[i])[3], '\\') << folders[i];
        }
    }

    TEST(ProbeFolder, TwoPathsToOneFolderHaveOneId)
    {
        TempDir dir;
        dir.mkdir("cards");
        const FolderProbe plain = ProbeFolder(dir.file("cards"));
        const FolderProbe other = ProbeFolder(dir.path() + "/CARDS/");
        ASSERT_TRUE(plain.isFolder);
        ASSERT_TRUE(other.isFolder);
        EXPECT_EQ(plain.id, other.id);
        EXPECT_NE(plain.id, ProbeFolder(dir.path()).id);
    }

    TEST(AddFolderTreeFiles, AFolderGivenTwiceInOtherCaseIsEnteredOnce)
    {
        TempDir dir;
        dir.write("cards/a.vcf", "x");
        std::vector<std::string> folders {dir.file("cards") + "\\", dir.path() + "\\CARDS\\"};
        RecordingScanHost host;
        GetSubDirectories2016(folders, true, host);
        EXPECT_EQ(folders, (Names {dir.file("cards") + "\\"}));
    }

    // Folder names are judged in the ANSI code page: what it cannot represent, and its codes
    // 127 to 159, are invalid. The rows hold for Windows-1252, the Western code page.
    struct AnsiNameCase
    {
        const char* name;
        std::string text;
        bool invalid;
    };

    class AnsiNameTest : public ::testing::TestWithParam<AnsiNameCase>
    {
    };

    TEST_P(AnsiNameTest, Judges)
    {
        if (::GetACP() != 1252)
            GTEST_SKIP() << "the rows are for the code page 1252; this system's is " << ::GetACP();
        EXPECT_EQ(HasInvalidChars(GetParam().text), GetParam().invalid);
    }

    INSTANTIATE_TEST_SUITE_P(
        WindowsTable,
        AnsiNameTest,
        ::testing::Values(AnsiNameCase {"Plain", "Cards 2021", false},
                          AnsiNameCase {"AccentedLetterInTheCodePage",
                                        "Ren\xc3\xa9"
                                        "e",
                                        false},
                          AnsiNameCase {"EuroSignIs128", "Preise \xe2\x82\xac", true},
                          AnsiNameCase {"CurlyQuoteIs147", "\xe2\x80\x9cquoted\xe2\x80\x9d", true},
                          AnsiNameCase {"EnDashIs150", "a \xe2\x80\x93 b", true},
                          AnsiNameCase {"NotInTheCodePage", "\xce\xa9mega", true},
                          AnsiNameCase {"OutsideTheBasicPlane", "\xf0\x9f\x98\x80", true},
                          AnsiNameCase {"QuestionMark", "what?", true},
                          AnsiNameCase {"ControlCharacter", "a\tb", true},
                          AnsiNameCase {"Delete", "a\x7f", true},
                          AnsiNameCase {"NoBreakSpaceIs160",
                                        "a\xc2\xa0"
                                        "b",
                                        false},
                          AnsiNameCase {"Empty", "", false}),
        [](const auto& info) { return std::string(info.param.name); });

    TEST(AddFolderTreeFiles, SkipsAFolderWhoseNameTheCodePageCannotHold)
    {
        if (::GetACP() != 1252)
            GTEST_SKIP() << "the code page is " << ::GetACP();
        TempDir dir;
        dir.write("\xce\xa9mega/a.vcf", "x");
        dir.write("Ren\xc3\xa9"
                  "e/b.vcf",
                  "x");
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path(), NamePattern("*.vcf"), host);
        EXPECT_EQ(Relative(dir, host.items),
                  (Names {"Ren\xc3\xa9"
                          "e/b.vcf"}));
        ASSERT_EQ(host.skipped.size(), 1u);
        EXPECT_EQ(host.skipped.front().reason, SkipReason::InvalidName);
    }

    // Names that Windows keeps only through its "\\?\" paths (made on a network share, a Linux
    // drive or WSL): a scan lists them, and each is read as the file it is, a folder "folder." is
    // entered like any other.
    struct HeldNameCase
    {
        const char* name;
        std::string file; // in the folder "names", or in "names/folder." when it starts with "folder./"
    };

    class HeldNameTest : public ::testing::TestWithParam<HeldNameCase>
    {
    };

    TEST_P(HeldNameTest, IsListedAndRead)
    {
        TempDir dir;
        dir.mkdir("names");
        const std::string relative = "names\\" + GetParam().file;
        if (GetParam().file.rfind("folder.\\", 0) == 0) {
            ASSERT_TRUE(::CreateDirectoryW(LongPath(dir.path() + "\\names\\folder.").c_str(), nullptr));
        }
        const HANDLE made = ::CreateFileW(LongPath(dir.path() + "\\" + relative).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(made, INVALID_HANDLE_VALUE) << "cannot make " << relative << ": " << ::GetLastError();
        DWORD written = 0;
        ::WriteFile(made, "BEGIN:VCARD", 11, &written, nullptr);
        ::CloseHandle(made);

        RecordingScanHost host;
        AddFolderTreeFiles(dir.file("names"), "*.*", host);
        ASSERT_EQ(host.items, Names({dir.path() + "\\" + relative}));
        EXPECT_TRUE(host.skipped.empty());
        EXPECT_TRUE(FileExists(host.items[0]));
        EXPECT_EQ(ReadWholeFile(host.items[0]), "BEGIN:VCARD");
    }

    INSTANTIATE_TEST_SUITE_P(WindowsTable,
                             HeldNameTest,
                             ::testing::Values(HeldNameCase {"ReservedName", "CON.vcf"},
                                               HeldNameCase {"ReservedInLowerCase", "aux.vcf"},
                                               HeldNameCase {"ReservedWithABlank", "nul .vcf"},
                                               HeldNameCase {"TrailingDot", "dot.vcf."},
                                               HeldNameCase {"TrailingBlank", "space.vcf "},
                                               HeldNameCase {"InAFolderWithATrailingDot", "folder.\\x.vcf"}),
                             [](const auto& info) { return std::string(info.param.name); });

    // A tree whose files lie past 260 characters is read whole.
    TEST(AddFolderTreeFiles, ReadsFilesPast260Characters)
    {
        TempDir dir;
        std::string deep = dir.path();
        while (deep.size() < 300) {
            deep += "\\" + std::string(40, 'd');
            ASSERT_TRUE(::CreateDirectoryW(LongPath(deep).c_str(), nullptr)) << ::GetLastError();
        }
        const std::string file = deep + "\\deep.vcf";
        const HANDLE made = ::CreateFileW(LongPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(made, INVALID_HANDLE_VALUE);
        ::CloseHandle(made);
        RecordingScanHost host;
        AddFolderTreeFiles(dir.path(), "*.vcf", host);
        EXPECT_EQ(host.items, Names({file}));
        EXPECT_TRUE(host.skipped.empty());
        EXPECT_TRUE(PathExists(file));
    }

} // namespace
} // namespace orvandel
