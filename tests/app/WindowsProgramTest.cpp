// The built program on Windows, started as Windows starts it: its arguments in UTF-16.
#include "support/TempDir.h"
#include "util/PathHelpers.h"
#include "util/WideText.h"

#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace orvandel {
namespace {

    using test::Slurp;
    using test::TempDir;

    const std::string kCard
        = "BEGIN:VCARD\r\nFN:A\r\nPHOTO;ENCODING=B;TYPE=JPEG:/9j/\r\n 2Q==\r\nEND:VCARD\r\n";
    const std::string kImage = "\xff\xd8\xff\xd9";

    struct Outcome
    {
        DWORD status = 0;
        std::string out; // stdout's bytes, through a file
        std::string err;
    };

    HANDLE InheritableFile(const std::wstring& path)
    {
        SECURITY_ATTRIBUTES inherit {sizeof inherit, nullptr, TRUE};
        return ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    // Runs the program with `arguments` (already quoted as a command line wants them).
    Outcome RunProgram(const TempDir& dir, const std::wstring& arguments)
    {
        const std::wstring outPath = Utf8ToWide(dir.file("stdout.txt"));
        const std::wstring errPath = Utf8ToWide(dir.file("stderr.txt"));
        const HANDLE out = InheritableFile(outPath);
        const HANDLE err = InheritableFile(errPath);
        EXPECT_NE(out, INVALID_HANDLE_VALUE);
        EXPECT_NE(err, INVALID_HANDLE_VALUE);
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        std::wstring commandLine = L"\"" + Utf8ToWide(ORVANDEL_PROGRAM) + L"\" " + arguments;
        PROCESS_INFORMATION process {};
        Outcome outcome;
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process)) {
            ADD_FAILURE() << "cannot start " << ORVANDEL_PROGRAM << ": " << ::GetLastError();
        } else {
            ::WaitForSingleObject(process.hProcess, INFINITE);
            ::GetExitCodeProcess(process.hProcess, &outcome.status);
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
        }
        ::CloseHandle(out);
        ::CloseHandle(err);
        outcome.out = Slurp(dir.file("stdout.txt"));
        outcome.err = Slurp(dir.file("stderr.txt"));
        return outcome;
    }

    // One argument in quotes, as CommandLineToArgvW reads it back: backslashes before the
    // closing quote are doubled, so that "C:\out\" stays a folder with its "\".
    std::wstring Quoted(const std::string& utf8)
    {
        std::wstring text = Utf8ToWide(utf8);
        std::size_t trailing = 0;
        while (trailing < text.size() && text[text.size() - 1 - trailing] == L'\\')
            ++trailing;
        return L"\"" + text + std::wstring(trailing, L'\\') + L"\"";
    }

    // A path as the report's text shows it: as it is, each "\" single.
    std::string Shown(const std::string& path)
    {
        return path;
    }

    // A name that the ANSI code page may not hold arrives whole, and is written back in UTF-8.
    struct NameCase
    {
        const char* name;
        std::string card; // UTF-8
        std::string image;
    };

    class NonAsciiNameTest : public ::testing::TestWithParam<NameCase>
    {
    };

    TEST_P(NonAsciiNameTest, WorksEndToEnd)
    {
        TempDir dir;
        const std::string input = dir.write("in/" + GetParam().card, kCard);
        const std::string out = dir.mkdir("out") + "\\";
        const Outcome outcome = RunProgram(dir, L"extract -o " + Quoted(out) + L" " + Quoted(input));
        EXPECT_EQ(outcome.status, 0u) << outcome.err;
        const std::string image = out + GetParam().image;
        EXPECT_EQ(Slurp(image), kImage) << image;
        EXPECT_EQ(outcome.out, "written\t" + Shown(input) + "\t" + Shown(image) + "\n");
        EXPECT_EQ(outcome.err, "");
    }

    INSTANTIATE_TEST_SUITE_P(WindowsTable,
                             NonAsciiNameTest,
                             ::testing::Values(NameCase {"Latin",
                                                         "Ren\xc3\xa9"
                                                         "e.vcf",
                                                         "Ren\xc3\xa9"
                                                         "e.jpg"},
                                               NameCase {"Greek", "\xce\xa9mega.vcf", "\xce\xa9mega.jpg"},
                                               NameCase {"OutsideTheBasicPlane", "\xf0\x9f\x98\x80.vcf",
                                                         "\xf0\x9f\x98\x80.jpg"}),
                             [](const auto& info) { return std::string(info.param.name); });

    // However the input's path is written, its image goes into the output folder under the
    // input's own name.
    struct SeparatorCase
    {
        const char* name;
        char inputSeparator;
        std::string outputEnd; // what the output folder text ends with
    };

    class InputSeparatorTest : public ::testing::TestWithParam<SeparatorCase>
    {
    };

    TEST_P(InputSeparatorTest, WritesTheImageInTheOutputFolder)
    {
        TempDir dir;
        std::string input = dir.write("in/ada-lindqvist.vcf", kCard);
        for (char& c : input) {
            if (c == '\\')
                c = GetParam().inputSeparator;
        }
        const std::string out = dir.mkdir("out");
        const Outcome outcome
            = RunProgram(dir, L"extract -o " + Quoted(out + GetParam().outputEnd) + L" " + Quoted(input));
        EXPECT_EQ(outcome.status, 0u) << outcome.out << outcome.err;
        EXPECT_EQ(Slurp(out + "\\ada-lindqvist.jpg"), kImage);
    }

    INSTANTIATE_TEST_SUITE_P(WindowsTable,
                             InputSeparatorTest,
                             ::testing::Values(SeparatorCase {"Backslashes", '\\', "\\"},
                                               SeparatorCase {"BackslashesOutputWithout", '\\', ""},
                                               SeparatorCase {"ForwardSlashes", '/', "/"},
                                               SeparatorCase {"ForwardSlashesOutputBackslash", '/', "\\"}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(Program, NamesThatNtfsFoldsTogetherGetTwoFiles)
    {
        TempDir dir;
        const std::string first = dir.write("a/Ada.vcf", kCard);
        const std::string second = dir.write("b/ADA.vcf", kCard);
        const std::string out = dir.mkdir("out") + "\\";
        const Outcome outcome
            = RunProgram(dir, L"extract -o " + Quoted(out) + L" " + Quoted(first) + L" " + Quoted(second));
        EXPECT_EQ(outcome.status, 0u) << outcome.err;
        // One name in the folder's eyes: the second input takes a name of its own.
        EXPECT_EQ(outcome.out,
                  "written\t" + Shown(first) + "\t" + Shown(out + "Ada.jpg") + "\nwritten\t" + Shown(second)
                      + "\t" + Shown(out + "ADA (2).jpg") + "\n");
        EXPECT_EQ(Slurp(out + "Ada.jpg"), kImage);
        EXPECT_EQ(Slurp(out + "ADA (2).jpg"), kImage);
    }

#if !ORVANDEL_PROGRAM_HAS_WINDOW
    TEST(Program, WithoutArgumentsSaysThatItHasNoWindow)
    {
        TempDir dir;
        const Outcome outcome = RunProgram(dir, L"");
        EXPECT_EQ(outcome.status, 2u);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "orvandel: this build has no window; see 'orvandel extract --help'\n");
    }
#endif

    // A card file that another program keeps to itself is told as in use, not as denied.
    TEST(WindowsProgram, AFileInUseByAnotherProgramIsToldSo)
    {
        TempDir dir;
        const std::string input = dir.write("held.vcf", kCard);
        const std::string out = dir.mkdir("out") + "\\";
        SECURITY_ATTRIBUTES inherit {sizeof inherit, nullptr, TRUE};
        HANDLE stdinRead = nullptr;
        HANDLE stdinWrite = nullptr;
        HANDLE stdoutRead = nullptr;
        HANDLE stdoutWrite = nullptr;
        ASSERT_TRUE(::CreatePipe(&stdinRead, &stdinWrite, &inherit, 0));
        ASSERT_TRUE(::CreatePipe(&stdoutRead, &stdoutWrite, &inherit, 0));
        ::SetHandleInformation(stdinWrite, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(stdoutRead, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = stdinRead;
        startup.hStdOutput = stdoutWrite;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        std::wstring commandLine = L"\"" + Utf8ToWide(ORVANDEL_HOLD_FILE) + L"\" " + Quoted(input);
        PROCESS_INFORMATION holder {};
        ASSERT_TRUE(::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                     &startup, &holder));
        ::CloseHandle(stdinRead);
        ::CloseHandle(stdoutWrite);
        char said[5] = {};
        DWORD read = 0;
        ASSERT_TRUE(::ReadFile(stdoutRead, said, 4, &read, nullptr) && read == 4
                    && std::string(said) == "held");

        const Outcome outcome = RunProgram(dir, L"extract -o " + Quoted(out) + L" " + Quoted(input));
        EXPECT_EQ(outcome.status, 1u);
        EXPECT_EQ(outcome.err, "orvandel: " + Shown(input) + ": The file is in use by another program\n");

        ::CloseHandle(stdinWrite); // the holder lets go
        ::WaitForSingleObject(holder.hProcess, INFINITE);
        ::CloseHandle(holder.hThread);
        ::CloseHandle(holder.hProcess);
        ::CloseHandle(stdoutRead);
    }

} // namespace
} // namespace orvandel
