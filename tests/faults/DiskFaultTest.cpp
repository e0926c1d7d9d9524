// Every input/output call that `orvandel extract` makes on its output folder made to fail once, in
// turn, through a preloaded library (fault_injection.c): an error (EIO; ENOSPC for writes) or a
// short write. Whatever fails, every image left is whole and was told as written, every image
// missing was told on stderr, the status is not 0 when anything was told, nothing is left
// behind in the folder, and the inputs stay as they were.

#include "support/Base64Encode.h"
#include "support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using test::TempDir;

    std::string Jpeg(const std::string& payload)
    {
        return std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 20)
            + payload + "\xFF\xD9";
    }

    std::string Card(const std::string& fn, const std::string& photo)
    {
        // The classic header, which both runs take.
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fn
            + "\r\nPHOTO;ENCODING=B;TYPE=JPEG:" + test::ToBase64(photo) + "\r\nEND:VCARD\r\n";
    }

    struct Outcome
    {
        int status = -1;
        std::string out;
        std::string err;
    };

    // The program with the library preloaded, `fault` set (or none, to count the calls).
    Outcome RunProgram(const std::vector<std::string>& args,
                       const std::string& folder,
                       const std::string& fault,
                       const std::string& scratch,
                       const std::vector<std::string>& more = {})
    {
        std::vector<std::string> env;
        for (char** entry = environ; *entry; ++entry)
            env.emplace_back(*entry);
        env.push_back("LD_PRELOAD=" ORVANDEL_FAULT_LIBRARY);
        env.push_back("ORVANDEL_FAULT_DIR=" + folder);
        env.push_back("ORVANDEL_FAULT_COUNT=" + scratch + "/counts");
        if (!fault.empty())
            env.push_back("ORVANDEL_FAULT_CALL=" + fault);
        env.insert(env.end(), more.begin(), more.end());
        std::vector<std::string> argv {ORVANDEL_PROGRAM};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argp;
        for (std::string& arg : argv)
            argp.push_back(arg.data());
        argp.push_back(nullptr);
        std::vector<char*> envp;
        for (std::string& entry : env)
            envp.push_back(entry.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string outPath = scratch + "/stdout";
        const std::string errPath = scratch + "/stderr";
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        Outcome outcome;
        if (posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data()) == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        outcome.out = test::Slurp(outPath);
        outcome.err = test::Slurp(errPath);
        return outcome;
    }

    struct ModeCase
    {
        const char* name;
        std::vector<std::string> options; // before -o
        bool oneExport; // the three cards in one file, else one file each
        bool duplicate; // the third card's photo is the first's
        bool namedTemporaries; // the folder's file system has no unnamed files
    };

    class DiskFaultTest : public ::testing::TestWithParam<ModeCase>
    {
    protected:
        void SetUp() override
        {
            const ModeCase& mode = GetParam();
            const std::vector<std::string> people {"Ann", "Bo", "Cy"};
            std::string all;
            for (std::size_t k = 0; k < people.size(); ++k) {
                const std::string photo = Jpeg(mode.duplicate && k == 2 ? "Ann" : people[k]);
                const std::string card = Card(people[k], photo);
                if (mode.oneExport) {
                    all += card;
                } else {
                    const std::string path = m_dir.write(people[k] + ".vcf", card);
                    m_inputs.push_back(path);
                }
                // The classic run names each image after its file; the thorough one after the FN.
                // A duplicate is written only when the photo before it was not.
                m_expected[people[k] + ".jpg"]
                    = {photo, mode.oneExport ? "card " + std::to_string(k + 1) : m_inputs.back(),
                       !(mode.duplicate && k == 2)};
            }
            if (mode.oneExport)
                m_inputs.push_back(m_dir.write("export.vcf", all));
            for (const std::string& input : m_inputs)
                m_inputBytes[input] = test::Slurp(input);
        }

        std::vector<std::string> args() const
        {
            std::vector<std::string> args {"extract"};
            args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
            args.insert(args.end(), {"-o", m_out});
            args.insert(args.end(), m_inputs.begin(), m_inputs.end());
            return args;
        }

        std::vector<std::string> environment() const
        {
            if (GetParam().namedTemporaries)
                return {"ORVANDEL_FAULT_NO_TMPFILE=1"};
            return {};
        }

        void clearOut()
        {
            fs::remove_all(m_out);
            fs::create_directory(m_out);
        }

        // What a run left behind holds up, whatever failed.
        void check(const Outcome& run, const std::string& fault)
        {
            SCOPED_TRACE(fault + "\nstatus " + std::to_string(run.status) + "\nstdout:\n" + run.out
                         + "stderr:\n" + run.err);
            ASSERT_LT(run.status, 1000) << "killed by a signal";
            EXPECT_LE(run.status, 2);
            for (const auto& entry : fs::directory_iterator(m_out)) {
                const std::string name = entry.path().filename().string();
                EXPECT_NE(name.front(), '.') << "left behind: " << name;
                const auto expected = m_expected.find(name);
                ASSERT_NE(expected, m_expected.end()) << "an image that should not be there: " << name;
                EXPECT_EQ(test::Slurp(entry.path().string()), expected->second.bytes)
                    << "not whole: " << name;
            }
            for (const auto& [name, image] : m_expected) {
                if (!image.required || fs::exists(m_out + "/" + name))
                    continue;
                EXPECT_NE(run.status, 0) << name << " is missing";
                EXPECT_TRUE(run.err.find(image.toldAs) != std::string::npos
                            || run.err.find(m_out) != std::string::npos)
                    << name << " is missing and not told";
                std::istringstream lines(run.out);
                for (std::string line; std::getline(lines, line);) {
                    EXPECT_FALSE(line.starts_with("written\t")
                                 && line.find(m_out + "/" + name) != std::string::npos)
                        << name << " told as written";
                }
            }
            if (!run.err.empty()) {
                EXPECT_NE(run.status, 0) << "told, and yet status 0";
            }
            for (const auto& [input, bytes] : m_inputBytes)
                EXPECT_EQ(test::Slurp(input), bytes) << "an input changed: " << input;
        }

        std::map<std::string, int> counts() const
        {
            std::map<std::string, int> counts;
            std::istringstream lines(test::Slurp(m_dir.path() + "/counts"));
            std::string function;
            std::string count;
            while (lines >> function >> count) {
                if (function != "hit")
                    counts[function] = std::stoi(count);
            }
            return counts;
        }

        // What the failed call was on: "file", "folder", or "" when none failed.
        std::string hitOn() const
        {
            std::istringstream lines(test::Slurp(m_dir.path() + "/counts"));
            for (std::string line; std::getline(lines, line);) {
                if (line.starts_with("hit "))
                    return line.substr(4);
            }
            return {};
        }

        struct Image
        {
            std::string bytes;
            std::string toldAs; // what stderr names when it is missing: its input, or its card
            bool required = true;
        };

        TempDir m_dir;
        std::string m_out = m_dir.mkdir("out");
        std::vector<std::string> m_inputs;
        std::map<std::string, std::string> m_inputBytes;
        std::map<std::string, Image> m_expected;
    };

    TEST_P(DiskFaultTest, EveryCallFailingInTurnLosesNothingUntold)
    {
        const Outcome clean = RunProgram(args(), m_out, "", m_dir.path(), environment());
        ASSERT_EQ(clean.status, 0) << clean.err;
        ASSERT_EQ(clean.err, "");
        const auto made = counts();
        int runs = 0;
        for (const auto& [function, count] : made) {
            std::vector<std::string> hows {"EIO"};
            if (function == "write")
                hows = {"ENOSPC", "short"};
            for (int call = 1; call <= count; ++call) {
                for (const std::string& how : hows) {
                    clearOut();
                    const std::string fault = function + ":" + std::to_string(call) + ":" + how;
                    const Outcome run = RunProgram(args(), m_out, fault, m_dir.path(), environment());
                    check(run, fault);
                    // A write that failed, a file's close or look that failed (a held-back write
                    // error on NFS), a flush that failed: the image may not be on the disk, and
                    // that is never passed over.
                    const std::string hit = hitOn();
                    if (how != "short"
                        && (function == "sync"
                            || (hit == "file"
                                && (function == "write" || function == "close" || function == "fstat"
                                    || function == "dup")))) {
                        EXPECT_NE(run.status, 0) << fault << " on a " << hit << " passed over\n" << run.out;
                        EXPECT_NE(run.err, "") << fault;
                    }
                    ++runs;
                }
            }
        }
        EXPECT_GT(runs, 10) << "the library saw too few calls to test anything";
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        DiskFaultTest,
        ::testing::Values(ModeCase {"Classic", {}, false, false, false},
                          ModeCase {"ClassicNamedTemporaries", {}, false, false, true},
                          ModeCase {"Thorough", {"--thorough"}, true, false, false},
                          ModeCase {"UniqueNamedTemporaries", {"--thorough", "--unique"}, true, true, true}),
        [](const auto& info) { return std::string(info.param.name); });

    // A temporary file that cannot be removed, even once more as the run ends, is named, and the
    // run fails.
    TEST(DiskFaults, ATemporaryFileThatStaysIsNamed)
    {
        TempDir dir;
        const std::string out = dir.mkdir("out");
        const std::string input = dir.write("a.vcf", Card("Ann", Jpeg("Ann")) + Card("Ann", Jpeg("Ann")));
        // The duplicate's file is removed by its name, and no removal succeeds.
        const Outcome run = RunProgram({"extract", "--thorough", "--unique", "-o", out, input}, out,
                                       "unlink:1:EIO:always", dir.path(), {"ORVANDEL_FAULT_NO_TMPFILE=1"});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("orvandel: Cannot remove the temporary file (Input/output error): " + out
                               + "/.a-2."),
                  std::string::npos)
            << run.err;
    }

    // A folder that cannot be looked at is told as such, not as missing.
    TEST(DiskFaults, AFolderThatCannotBeReadSaysWhy)
    {
        TempDir dir;
        const std::string out = dir.mkdir("out");
        const std::string input = dir.write("a.vcf", Card("Ann", Jpeg("Ann")));
        const Outcome run = RunProgram({"extract", "-o", out, input}, out, "stat:1:EIO", dir.path());
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, "orvandel: " + out + ": Cannot read the folder: Input/output error\n");
    }

} // namespace
} // namespace orvandel
