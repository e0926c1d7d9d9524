#include "util/PathHelpers.h"

#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <stdexcept>
#if !defined(_WIN32)
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

namespace orvandel {
namespace {

    using test::TempDir;

    struct TextCase
    {
        const char* name;
        std::string input;
        std::string expected;
    };

    class StripExtensionTest : public ::testing::TestWithParam<TextCase>
    {
    };
    TEST_P(StripExtensionTest, Strips)
    {
        EXPECT_EQ(StripExtension(GetParam().input), GetParam().expected);
    }
    INSTANTIATE_TEST_SUITE_P(Table,
                             StripExtensionTest,
                             ::testing::Values(TextCase {"Plain", "card1.vcf", "card1"},
                                               TextCase {"TwoDots", "card.one.vcf", "card.one"},
                                               TextCase {"OnlyDotFirst", ".vcf", ".vcf"},
                                               TextCase {"NoDot", "card1", "card1"},
                                               TextCase {"Empty", "", ""},
                                               TextCase {"TrailingDot", "card.", "card"}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(StripExtension, OverflowsBeyondPosition32767)
    {
        EXPECT_EQ(StripExtension(std::string(32766, 'a') + ".x"), std::string(32766, 'a'));
        EXPECT_THROW(StripExtension(std::string(32767, 'a') + ".x"), std::overflow_error);
    }

    class GetFileNameTest : public ::testing::TestWithParam<TextCase>
    {
    };
    TEST_P(GetFileNameTest, Splits)
    {
        EXPECT_EQ(GetFileName(GetParam().input), GetParam().expected);
    }
#if !defined(_WIN32)
    INSTANTIATE_TEST_SUITE_P(Table,
                             GetFileNameTest,
                             ::testing::Values(TextCase {"FullPath", "/cards/card1.vcf", "card1.vcf"},
                                               TextCase {"BareName", "card1.vcf", "card1.vcf"},
                                               TextCase {"TrailingSeparator", "/cards/", ""},
                                               TextCase {"Root", "/", ""},
                                               TextCase {"BackslashIsPartOfTheName", "/cards/a\\b.vcf",
                                                         "a\\b.vcf"}),
                             [](const auto& info) { return std::string(info.param.name); });
#else
    // Windows: "\\" separates, "/" too, and a drive's ":" ends the drive.
    INSTANTIATE_TEST_SUITE_P(
        WindowsTable,
        GetFileNameTest,
        ::testing::Values(TextCase {"FullPath", "C:\\Cards\\card1.vcf", "card1.vcf"},
                          TextCase {"BareName", "card1.vcf", "card1.vcf"},
                          TextCase {"TrailingSeparator", "C:\\Cards\\", ""},
                          TextCase {"DriveRoot", "C:\\", ""},
                          TextCase {"ForwardSlashes", "C:/Cards/card1.vcf", "card1.vcf"},
                          TextCase {"MixedSeparators", "C:\\Cards/sub\\card1.vcf", "card1.vcf"},
                          TextCase {"SlashAfterBackslash", "C:\\out\\/card1.vcf", "card1.vcf"},
                          TextCase {"DriveWithoutSeparator", "C:card1.vcf", "card1.vcf"},
                          TextCase {"NetworkPath", "\\\\server\\share\\card1.vcf", "card1.vcf"}),
        [](const auto& info) { return std::string(info.param.name); });
#endif

    class NormalizeTest : public ::testing::TestWithParam<TextCase>
    {
    };
    TEST_P(NormalizeTest, Collapses)
    {
        EXPECT_EQ(NormalizeBackslashes(GetParam().input), GetParam().expected);
    }
#if !defined(_WIN32)
    INSTANTIATE_TEST_SUITE_P(
        Table,
        NormalizeTest,
        ::testing::Values(TextCase {"PairsAndTriple", "/cards//deep///card1.vcf", "/cards/deep//card1.vcf"},
                          TextCase {"FourBecomeTwo", "a////b", "a//b"},
                          TextCase {"NetworkPrefixKept", "//server//share/x", "//server/share/x"},
                          TextCase {"LongLeadingRunBecomesPrefix", "/////x", "//x"},
                          TextCase {"RootStaysSingle", "/x", "/x"},
                          TextCase {"RootAlone", "/", "/"},
                          TextCase {"OnlySeparators", "////", "//"},
                          TextCase {"RootJoinedWithName", "/home//a.vcf", "/home/a.vcf"},
                          TextCase {"Relative", "a//b.vcf", "a/b.vcf"},
                          TextCase {"Empty", "", ""}),
        [](const auto& info) { return std::string(info.param.name); });
#else
    // Windows: the helper's own table, with "\\".
    INSTANTIATE_TEST_SUITE_P(
        WindowsTable,
        NormalizeTest,
        ::testing::Values(TextCase {"PairsAndTriple", "C:\\\\Cards\\\\\\card1.vcf", "C:\\Cards\\\\card1.vcf"},
                          TextCase {"FourBecomeTwo", "a\\\\\\\\b", "a\\\\b"},
                          TextCase {"NetworkPrefixKept", "\\\\server\\\\share\\x", "\\\\server\\share\\x"},
                          TextCase {"SingleLeadingBecomesPrefix", "\\x", "\\\\x"},
                          TextCase {"LongLeadingRunBecomesPrefix", "\\\\\\\\\\x", "\\\\x"},
                          TextCase {"OnlyBackslashes", "\\\\\\\\", "\\\\"},
                          TextCase {"DriveRootJoinedWithName", "C:\\\\a.vcf", "C:\\a.vcf"},
                          TextCase {"SlashesLeftAlone", "C:/Cards//a.vcf", "C:/Cards//a.vcf"},
                          TextCase {"Empty", "", ""}),
        [](const auto& info) { return std::string(info.param.name); });
#endif

    class TrailingSeparatorTest : public ::testing::TestWithParam<TextCase>
    {
    };
    TEST_P(TrailingSeparatorTest, EndsWithOne)
    {
        EXPECT_EQ(WithTrailingSeparator(GetParam().input), GetParam().expected);
    }
#if !defined(_WIN32)
    INSTANTIATE_TEST_SUITE_P(Table,
                             TrailingSeparatorTest,
                             ::testing::Values(TextCase {"Added", "/home/ann/out", "/home/ann/out/"},
                                               TextCase {"Kept", "/home/ann/out/", "/home/ann/out/"},
                                               TextCase {"Root", "/", "/"},
                                               TextCase {"BackslashIsAName", "out\\", "out\\/"},
                                               TextCase {"Empty", "", ""}),
                             [](const auto& info) { return std::string(info.param.name); });
#else
    INSTANTIATE_TEST_SUITE_P(WindowsTable,
                             TrailingSeparatorTest,
                             ::testing::Values(TextCase {"Added", "C:\\Out", "C:\\Out\\"},
                                               TextCase {"Kept", "C:\\Out\\", "C:\\Out\\"},
                                               TextCase {"SlashKept", "C:/Out/", "C:/Out/"},
                                               TextCase {"DriveRoot", "C:\\", "C:\\"},
                                               TextCase {"ShareRoot", "\\\\server\\share",
                                                         "\\\\server\\share\\"},
                                               TextCase {"Empty", "", ""}),
                             [](const auto& info) { return std::string(info.param.name); });
#endif

    // What the three existence tests say about each kind of path.
    struct ExistenceCase
    {
        const char* name;
        bool fileExists;
        bool isDirectory;
        bool pathExists;
    };

    class ExistenceTest : public ::testing::TestWithParam<ExistenceCase>
    {
    protected:
        // Makes the kind of path the case is named after and returns it.
        std::string make(const std::string& kind)
        {
            if (kind == "RegularFile")
                return m_dir.write("card.vcf", "BEGIN:VCARD");
            if (kind == "Folder")
                return m_dir.mkdir("folder");
            if (kind == "FolderWithTrailingSeparator")
                return m_dir.mkdir("folder") + kSeparator;
            if (kind == "Missing")
                return m_dir.file("missing.vcf");
            if (kind == "Empty")
                return "";
#if !defined(_WIN32)
            if (kind == "LinkToFile") {
                const auto target = m_dir.write("target.vcf", "x");
                std::filesystem::create_symlink(target, m_dir.file("link.vcf"));
                return m_dir.file("link.vcf");
            }
            if (kind == "DanglingLink") {
                std::filesystem::create_symlink(m_dir.file("nowhere"), m_dir.file("dangling.vcf"));
                return m_dir.file("dangling.vcf");
            }
            if (kind == "Pipe") {
                const auto path = m_dir.file("pipe.vcf");
                EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
                return path;
            }
            if (kind == "Socket") {
                const auto path = m_dir.file("s.sock");
                const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                sockaddr_un address {};
                address.sun_family = AF_UNIX;
                path.copy(address.sun_path, sizeof address.sun_path - 1);
                EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
                ::close(fd);
                return path;
            }
            if (kind == "Device")
                return "/dev/null";
#else
            if (kind == "FolderWithForwardSlash")
                return m_dir.mkdir("folder") + "/";
            if (kind == "FileWithForwardSlashes") {
                std::string path = m_dir.write("sub\\card.vcf", "x");
                std::replace(path.begin(), path.end(), '\\', '/');
                return path;
            }
            if (kind == "Wildcard") {
                m_dir.write("card.vcf", "x");
                return m_dir.file("*.vcf");
            }
            // Not UTF-8: no such name can exist, and no helper throws for it.
            if (kind == "NotUtf8")
                return m_dir.file("bad\xff.vcf");
            if (kind == "Device")
                return "NUL";
#endif
            ADD_FAILURE() << "unknown kind " << kind;
            return {};
        }

        TempDir m_dir;
    };

    TEST_P(ExistenceTest, Answers)
    {
        const std::string path = make(GetParam().name);
        EXPECT_EQ(FileExists(path), GetParam().fileExists);
        EXPECT_EQ(IsDirectory(path), GetParam().isDirectory);
        EXPECT_EQ(PathExists(path), GetParam().pathExists);
    }

#if !defined(_WIN32)
    INSTANTIATE_TEST_SUITE_P(Table,
                             ExistenceTest,
                             ::testing::Values(ExistenceCase {"RegularFile", true, false, true},
                                               ExistenceCase {"Folder", true, true, false},
                                               ExistenceCase {"FolderWithTrailingSeparator", true, true,
                                                              false},
                                               ExistenceCase {"Missing", false, false, false},
                                               ExistenceCase {"Empty", false, false, false},
                                               ExistenceCase {"LinkToFile", true, false, true},
                                               ExistenceCase {"DanglingLink", false, false, false},
                                               ExistenceCase {"Pipe", true, false, false},
                                               ExistenceCase {"Socket", true, false, false},
                                               ExistenceCase {"Device", true, false, false}),
                             [](const auto& info) { return std::string(info.param.name); });
#else
    INSTANTIATE_TEST_SUITE_P(WindowsTable,
                             ExistenceTest,
                             ::testing::Values(ExistenceCase {"RegularFile", true, false, true},
                                               ExistenceCase {"Folder", true, true, false},
                                               ExistenceCase {"FolderWithTrailingSeparator", true, true,
                                                              false},
                                               ExistenceCase {"FolderWithForwardSlash", true, true, false},
                                               ExistenceCase {"FileWithForwardSlashes", true, false, true},
                                               ExistenceCase {"Missing", false, false, false},
                                               ExistenceCase {"Empty", false, false, false},
                                               ExistenceCase {"Wildcard", false, false, false},
                                               ExistenceCase {"NotUtf8", false, false, false}),
                             [](const auto& info) { return std::string(info.param.name); });
#endif

#if !defined(_WIN32)
    // Sets environment variables for one test and puts the old values back.
    class ScopedEnv
    {
    public:
        void set(const char* name, const std::string& value)
        {
            remember(name);
            ::setenv(name, value.c_str(), 1);
        }
        void unset(const char* name)
        {
            remember(name);
            ::unsetenv(name);
        }
        ~ScopedEnv()
        {
            for (const auto& [name, value] : m_saved) {
                if (value)
                    ::setenv(name.c_str(), value->c_str(), 1);
                else
                    ::unsetenv(name.c_str());
            }
        }

    private:
        void remember(const char* name)
        {
            const char* old = std::getenv(name);
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        }
        std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
    };

    TEST(GetDesktopFolder, PrefersTheXdgDesktopFolder)
    {
        TempDir home;
        ScopedEnv env;
        env.set("HOME", home.path());
        env.set("XDG_CONFIG_HOME", home.file("config"));
        home.mkdir("Schreibtisch");
        home.write("config/user-dirs.dirs",
                   "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
        EXPECT_EQ(GetDesktopFolder(), home.path() + "/Schreibtisch/");
    }

    TEST(GetDesktopFolder, UsesTheDefaultDesktopName)
    {
        TempDir home;
        ScopedEnv env;
        env.set("HOME", home.path());
        env.unset("XDG_CONFIG_HOME");
        home.mkdir("Desktop");
        EXPECT_EQ(GetDesktopFolder(), home.path() + "/Desktop/");
    }

    TEST(GetDesktopFolder, FallsBackToHomeWhenTheDesktopIsMissing)
    {
        TempDir home;
        ScopedEnv env;
        env.set("HOME", home.path());
        env.set("XDG_CONFIG_HOME", home.file("config"));
        home.write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"/nonexistent/desk\"\n");
        EXPECT_EQ(GetDesktopFolder(), home.path() + "/");
    }

#else
    TEST(GetDesktopFolder, IsTheShellsDesktopWithABackslash)
    {
        const std::string desktop = GetDesktopFolder();
        ASSERT_GE(desktop.size(), 4u);
        EXPECT_EQ(desktop.substr(1, 2), ":\\") << desktop;
        EXPECT_EQ(desktop.back(), '\\') << desktop;
        EXPECT_EQ(GetFileName(desktop.substr(0, desktop.size() - 1)), "Desktop") << desktop;
    }
#endif

} // namespace
} // namespace orvandel
