// The built program run as a child process, as a shell runs it: stop signals in the middle of a
// photo, a stdout that cannot be written, a file size limit. Each verdict rests on what the child
// left behind and how it ended, never on how long anything took.

#include "extract/thorough/Sha256.h"
#include "support/Base64Encode.h"
#include "support/ExportGenerator.h"
#include "support/FetchServer.h"
#include "support/TempDir.h"

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace orvandel {
namespace {

    namespace fs = std::filesystem;
    using test::TempDir;

    // How the child's stdout is set up.
    enum class Stdout
    {
        File, // a file in the test's folder
        ClosedPipe, // a pipe whose reader has gone
        DevFull, // /dev/full: every write fails with "No space left on device"
    };

    struct Launch
    {
        std::vector<std::string> args; // after the program's name
        Stdout out = Stdout::File;
        rlim_t fileSizeLimit = RLIM_INFINITY;
        std::vector<std::string> environment; // NAME=VALUE to set; "NAME=" empties it
        std::string program = ORVANDEL_PROGRAM;
    };

    class Child
    {
    public:
        Child(const Launch& launch, const std::string& folder)
            : m_out(folder + "/stdout")
            , m_err(folder + "/stderr")
        {
            std::vector<std::string> argv {launch.program};
            argv.insert(argv.end(), launch.args.begin(), launch.args.end());
            std::vector<char*> args;
            for (std::string& arg : argv)
                args.push_back(arg.data());
            args.push_back(nullptr);
            std::vector<std::string> env;
            for (char** entry = environ; *entry; ++entry)
                env.emplace_back(*entry);
            // Each change replaces the variable, a later change an earlier one.
            for (const std::string& change : launch.environment) {
                const std::string name = change.substr(0, change.find('=') + 1);
                std::erase_if(env, [&](const std::string& entry) { return entry.rfind(name, 0) == 0; });
                env.push_back(change);
            }
            std::vector<char*> envp;
            for (std::string& entry : env)
                envp.push_back(entry.data());
            envp.push_back(nullptr);

            int pipeEnds[2] = {-1, -1};
            int outFd = -1;
            if (launch.out == Stdout::ClosedPipe) {
                if (::pipe(pipeEnds) != 0)
                    throw std::runtime_error("no pipe");
                ::close(pipeEnds[0]);
                outFd = pipeEnds[1];
            } else {
                outFd = ::open(launch.out == Stdout::DevFull ? "/dev/full" : m_out.c_str(),
                               O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            }
            const int errFd = ::open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
            if (outFd < 0 || errFd < 0)
                throw std::runtime_error("cannot open the child's output");
            const rlim_t limit = launch.fileSizeLimit;
            m_pid = ::fork();
            if (m_pid == 0) {
                // Only async-signal-safe calls between fork and exec.
                sigset_t none;
                sigemptyset(&none);
                sigprocmask(SIG_SETMASK, &none, nullptr);
                ::dup2(outFd, STDOUT_FILENO);
                ::dup2(errFd, STDERR_FILENO);
                if (limit != RLIM_INFINITY) {
                    const rlimit size {limit, limit};
                    ::setrlimit(RLIMIT_FSIZE, &size);
                }
                ::execve(args[0], args.data(), envp.data());
                ::_exit(127);
            }
            ::close(outFd);
            ::close(errFd);
            if (m_pid < 0)
                throw std::runtime_error("cannot fork");
        }

        ~Child()
        {
            if (m_pid > 0 && !m_ended) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, nullptr, 0);
            }
        }

        pid_t pid() const { return m_pid; }

        // True while the child holds a file of `folder` open (named or not).
        bool holdsFileIn(const std::string& folder) const
        {
            const std::string fds = "/proc/" + std::to_string(m_pid) + "/fd";
            DIR* dir = ::opendir(fds.c_str());
            if (!dir)
                return false;
            bool holds = false;
            while (const dirent* entry = ::readdir(dir)) {
                char target[4096];
                const ssize_t length
                    = ::readlink((fds + "/" + entry->d_name).c_str(), target, sizeof target - 1);
                if (length > 0
                    && std::string(target, static_cast<std::size_t>(length)).rfind(folder + "/", 0) == 0)
                    holds = true;
            }
            ::closedir(dir);
            return holds;
        }

        // Waits for the end; the wait status.
        int wait()
        {
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_ended = true;
            return status;
        }

        // The wait status once ended, or nothing while it runs.
        std::optional<int> ended()
        {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) != m_pid)
                return std::nullopt;
            m_ended = true;
            return status;
        }

        // Stops the child where it is. False when it ended instead.
        bool stop()
        {
            ::kill(m_pid, SIGSTOP);
            int status = 0;
            ::waitpid(m_pid, &status, WUNTRACED);
            if (WIFSTOPPED(status))
                return true;
            m_ended = true;
            return false;
        }

        std::string out() const { return test::Slurp(m_out); }
        std::string err() const { return test::Slurp(m_err); }

    private:
        std::string m_out;
        std::string m_err;
        pid_t m_pid = -1;
        bool m_ended = false;
    };

    std::string Describe(int status)
    {
        if (WIFEXITED(status))
            return "exit status " + std::to_string(WEXITSTATUS(status));
        if (WIFSIGNALED(status))
            return "killed by signal " + std::to_string(WTERMSIG(status));
        return "wait status " + std::to_string(status);
    }

    Sha256::Digest DigestOfFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> buffer(1 << 20);
        Sha256 sha;
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
            sha.update(std::string_view(buffer.data(), static_cast<std::size_t>(in.gcount())));
        return sha.finish();
    }

    std::vector<std::string> Fields(const std::string& line)
    {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, '\t');)
            fields.push_back(field);
        return fields;
    }

    // The inputs, made once: a thorough export of three cards whose second photo is large, and
    // classic card files with one large photo each.
    class Inputs
    {
    public:
        static constexpr std::uint64_t kSmall = 2u << 20;
        static constexpr std::uint64_t kLarge = 32u << 20;
        // A size that leaves "==" at the end of its Base64, which the classic run looks for.
        static constexpr std::uint64_t kClassic = (16u << 20) + 1;

        Inputs()
        {
            test::ExportWriter writer(exportPath());
            digests.insert(writer.addCard("Person 1", kSmall, 1));
            digests.insert(writer.addCard("Person 2", kLarge, 2));
            digests.insert(writer.addCard("Person 3", kSmall, 3));
            writer.close();
            for (int i = 1; i <= 3; ++i) {
                const std::string photo = test::GeneratedPhoto(kClassic, 10 + i);
                digests.insert(Sha256::of(photo));
                dir.write("big" + std::to_string(i) + ".vcf",
                          "BEGIN:VCARD\r\nFN:Big\r\nPHOTO;ENCODING=B;TYPE=JPEG:" + test::ToBase64(photo)
                              + "\r\nEND:VCARD\r\n");
            }
        }

        std::string exportPath() const { return dir.file("export.vcf"); }
        std::string classic(int i) const { return dir.file("big" + std::to_string(i) + ".vcf"); }

        TempDir dir;
        std::set<Sha256::Digest> digests;
    };

    class ProcessTest : public ::testing::Test
    {
    protected:
        static void SetUpTestSuite() { s_inputs = std::make_unique<Inputs>(); }
        static void TearDownTestSuite() { s_inputs.reset(); }

        // Every file of the output folder is a whole image of the inputs: no temporary file,
        // nothing truncated. Gives the files' paths.
        std::set<std::string> CheckOutputFolder()
        {
            std::set<std::string> files;
            for (const auto& entry : fs::directory_iterator(m_outFolder)) {
                const std::string name = entry.path().filename().string();
                EXPECT_NE(name.front(), '.') << "a temporary file is left: " << name;
                EXPECT_EQ(name.find(".part"), std::string::npos) << name;
                EXPECT_TRUE(s_inputs->digests.count(DigestOfFile(entry.path().string())))
                    << "not a whole image: " << name;
                files.insert(entry.path().string());
            }
            return files;
        }

        // The files that the lines on stdout say were written.
        static std::set<std::string> WrittenOnStdout(const std::string& out, bool thorough)
        {
            std::set<std::string> written;
            std::istringstream lines(out);
            for (std::string line; std::getline(lines, line);) {
                const auto fields = Fields(line);
                if (!fields.empty() && fields[0] == "written")
                    written.insert(fields.at(thorough ? 4 : 2));
            }
            return written;
        }

        static std::unique_ptr<Inputs> s_inputs;
        TempDir m_dir;
        std::string m_outFolder = m_dir.mkdir("out");
    };

    std::unique_ptr<Inputs> ProcessTest::s_inputs;

    struct SignalCase
    {
        const char* name;
        int signal;
        const char* signalName;
        bool thorough;
        bool oneInput; // the signal comes after the run's last yield
    };

    class StopSignalTest : public ProcessTest, public ::testing::WithParamInterface<SignalCase>
    {
    };

    // The signal is sent while the child holds a file of the output folder open (it is stopped
    // meanwhile, so it cannot finish first): it ends with 128 + the signal, and leaves only
    // whole images, each of them told on stdout.
    TEST_P(StopSignalTest, StopsAtTheNextSafePointAndLeavesOnlyWholeImages)
    {
        const SignalCase& row = GetParam();
        Launch launch;
        launch.args = {"extract", "--summary", "-o", m_outFolder};
        if (row.thorough) {
            launch.args.insert(launch.args.begin() + 1, "--thorough");
            launch.args.push_back(s_inputs->exportPath());
        } else {
            for (int i = 1; i <= (row.oneInput ? 1 : 3); ++i)
                launch.args.push_back(s_inputs->classic(i));
        }

        // A child that is not caught in the middle (it ended first) is run again.
        for (int attempt = 1; attempt <= 5; ++attempt) {
            for (const auto& entry : fs::directory_iterator(m_outFolder))
                fs::remove(entry.path());
            Child child(launch, m_dir.path());
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
            bool caught = false;
            while (std::chrono::steady_clock::now() < deadline) {
                if (child.holdsFileIn(m_outFolder)) {
                    caught = child.stop();
                    break;
                }
                if (child.ended())
                    break;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the child neither wrote nor ended";
            if (!caught)
                continue;
            ::kill(child.pid(), row.signal);
            ::kill(child.pid(), SIGCONT);
            const int status = child.wait();
            ASSERT_TRUE(WIFEXITED(status)) << Describe(status) << "\n" << child.err();
            EXPECT_EQ(WEXITSTATUS(status), 128 + row.signal) << child.err();
            EXPECT_NE(child.err().find(std::string("orvandel: stopped by ") + row.signalName + "\n"),
                      std::string::npos)
                << child.err();
            const auto files = CheckOutputFolder();
            EXPECT_EQ(files, WrittenOnStdout(child.out(), row.thorough)) << child.out();
            if (row.oneInput) {
                EXPECT_EQ(files.size(), 1u) << "the photo under way when the signal came is finished";
            }
            // The summary counts what the stopped run wrote.
            const std::string written = files.empty()
                ? std::string("No image written")
                : std::to_string(files.size()) + (files.size() == 1 ? " image written" : " images written");
            EXPECT_NE(("\n" + child.err()).find("\n" + written), std::string::npos) << child.err();
            return;
        }
        GTEST_SKIP() << "the child ended before it could be caught writing, five times";
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        StopSignalTest,
        ::testing::Values(SignalCase {"Interrupt", SIGINT, "SIGINT", true, false},
                          SignalCase {"Terminate", SIGTERM, "SIGTERM", true, false},
                          SignalCase {"HangUp", SIGHUP, "SIGHUP", true, false},
                          SignalCase {"InterruptClassic", SIGINT, "SIGINT", false, false},
                          SignalCase {"TerminateAfterTheLastYield", SIGTERM, "SIGTERM", false, true}),
        [](const auto& info) { return std::string(info.param.name); });

    // An interrupt while photos are being fetched ends the run at once: the transfers are
    // dropped with their files, what was written before stays.
    TEST_F(ProcessTest, AnInterruptWhileFetchingEndsAtOnce)
    {
        const test::FetchServer server;
        if (!server.running())
            GTEST_SKIP() << test::FetchServer::notRunning();
        std::string cards = "BEGIN:VCARD\r\nFN:Ann\r\nPHOTO;ENCODING=b:/9j/2Q==\r\nEND:VCARD\r\n";
        for (int k = 0; k < 3; ++k)
            cards += "BEGIN:VCARD\r\nFN:Stall\r\nPHOTO;VALUE=URI:" + server.http("/stall")
                + "\r\nEND:VCARD\r\n";
        const std::string input = m_dir.write("stall.vcf", cards);
        Launch launch;
        launch.args = {"extract", "--fetch", "--fetch-local", "-o", m_outFolder, input};
        Child child(launch, m_dir.path());
        // The transfers hold their files open; the photo before them is written by then.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        const auto fetching
            = [&] { return fs::exists(m_outFolder + "/Ann.jpg") && child.holdsFileIn(m_outFolder); };
        while (!fetching() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ASSERT_TRUE(fetching()) << child.err();
        ::kill(child.pid(), SIGINT);
        const int status = child.wait();
        ASSERT_TRUE(WIFEXITED(status)) << Describe(status);
        EXPECT_EQ(WEXITSTATUS(status), 130) << child.err();
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_outFolder))
            names.insert(entry.path().filename().string());
        EXPECT_EQ(names, std::set<std::string>({"Ann.jpg"}));
        EXPECT_EQ(child.out(), "written\t" + input + "\t1\tAnn\t" + m_outFolder + "/Ann.jpg\tjpeg\n");
    }

    struct WriteFailureCase
    {
        const char* name;
        Stdout out;
        rlim_t fileSizeLimit;
        std::string told; // on stderr
        std::size_t images; // whole images left
    };

    class WriteFailureTest : public ProcessTest, public ::testing::WithParamInterface<WriteFailureCase>
    {
    };

    // A write that fails, whether through a signal that is ignored now or not, is reported like
    // any other failure: exit status 1, and only whole images left.
    TEST_P(WriteFailureTest, IsReportedWithOne)
    {
        const WriteFailureCase& row = GetParam();
        Launch launch;
        launch.args = {"extract", "--thorough", "--json", "-o", m_outFolder, s_inputs->exportPath()};
        launch.out = row.out;
        launch.fileSizeLimit = row.fileSizeLimit;
        Child child(launch, m_dir.path());
        const int status = child.wait();
        ASSERT_TRUE(WIFEXITED(status)) << Describe(status) << "\n" << child.err();
        EXPECT_EQ(WEXITSTATUS(status), 1) << child.err();
        EXPECT_NE(child.err().find(row.told), std::string::npos) << child.err();
        EXPECT_EQ(CheckOutputFolder().size(), row.images);
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        WriteFailureTest,
        ::testing::Values(
            // The first photo's line cannot be written; the run stops within the second photo.
            WriteFailureCase {"BrokenPipe", Stdout::ClosedPipe, RLIM_INFINITY,
                              "orvandel: cannot write to stdout: Broken pipe\n", 1},
            WriteFailureCase {"FullDisk", Stdout::DevFull, RLIM_INFINITY,
                              "orvandel: cannot write to stdout: No space left on device\n", 1},
            // The large photo outgrows the limit and fails; the small ones before and after it
            // are written.
            WriteFailureCase {"FileSizeLimit", Stdout::File, 8u << 20, "File too large", 2}),
        [](const auto& info) { return std::string(info.param.name); });

    struct NoDisplayCase
    {
        const char* name;
        std::vector<std::string> args; // "CARD" stands for an existing file
        std::vector<std::string> environment; // beside a machine without any display
        std::string err; // what stderr holds
    };

    class NoDisplayTest : public ::testing::TestWithParam<NoDisplayCase>
    {
    };

    // Without a display, nothing ends in the window system's abort: a mistyped command and a
    // mistake among the window's arguments are usage errors, and the window says in one line
    // that it cannot open.
    TEST_P(NoDisplayTest, EndsWithTwoAndAMessage)
    {
        TempDir dir;
        Launch launch;
        launch.args = GetParam().args;
        for (auto& arg : launch.args) {
            if (arg == "CARD")
                arg = dir.write("card.vcf", "BEGIN:VCARD\r\nEND:VCARD\r\n");
        }
        launch.environment
            = {"DISPLAY=",         "WAYLAND_DISPLAY=",  "WAYLAND_SOCKET=",
               "QT_QPA_PLATFORM=", "XDG_SESSION_TYPE=", "XDG_RUNTIME_DIR=" + dir.mkdir("runtime")};
        launch.environment.insert(launch.environment.end(), GetParam().environment.begin(),
                                  GetParam().environment.end());
        Child child(launch, dir.path());
        const int status = child.wait();
        ASSERT_TRUE(WIFEXITED(status)) << Describe(status) << "\n" << child.err();
        EXPECT_EQ(WEXITSTATUS(status), 2);
        EXPECT_NE(child.err().find(GetParam().err), std::string::npos) << child.err();
        EXPECT_EQ(child.out(), "");
    }

#if defined(ORVANDEL_NO_WINDOW)
    // A build without the window says so, display or not.
    const std::string kNoDisplay = "orvandel: this build has no window; see 'orvandel extract --help'\n";
#else
    const std::string kNoDisplay
        = "orvandel: cannot open the window: there is no display (DISPLAY is not set); "
          "'orvandel extract' works without one, see 'orvandel --help'\n";
#endif
    const std::string kTryHelp = "Try 'orvandel --help' for more information.\n";

    INSTANTIATE_TEST_SUITE_P(
        Table,
        NoDisplayTest,
        ::testing::Values(
            NoDisplayCase {
                "MistypedCommand", {"extrct"}, {}, "orvandel: unknown command 'extrct'\n" + kTryHelp},
            NoDisplayCase {"Window", {}, {}, kNoDisplay},
            NoDisplayCase {"ThoroughWindow", {"--thorough"}, {}, kNoDisplay},
            NoDisplayCase {"WindowWithAFile", {"CARD"}, {}, kNoDisplay},
            // The window's arguments are read before a display is looked for: a
            // mistake among them is told as such, with or without one.
            NoDisplayCase {
                "UnknownWindowOption", {"CARD", "-x"}, {}, "orvandel: unknown option '-x'\n" + kTryHelp},
            NoDisplayCase {"OffscreenOption",
                           {"-platform", "offscreen", "-x"},
                           {},
                           "orvandel: unknown option '-x'\n" + kTryHelp},
            NoDisplayCase {"OffscreenVariable",
                           {"-x"},
                           {"QT_QPA_PLATFORM=offscreen"},
                           "orvandel: unknown option '-x'\n" + kTryHelp},
            // A kernel nobody knows is refused before the run reads anything, rather than
            // replaced by the fastest (the output folder given is the card: nothing is written).
            NoDisplayCase {"UnknownKernel",
                           {"extract", "-o", "CARD", "CARD"},
                           {"ORVANDEL_BASE64_KERNEL=avx1024"},
                           "orvandel: ORVANDEL_BASE64_KERNEL=avx1024: unknown kernel; use scalar, ssse3, "
                           "avx2 or neon\n"}),
        [](const auto& info) { return std::string(info.param.name); });

#if defined(ORVANDEL_WINDOW_MODULE)
    // The program holds no Qt; the window comes from its module beside the program
    // (modules/orvandel-window.so). Started with
    // a platform that needs no display, the program maps the module and the window system's
    // libraries and keeps running its window.
    TEST(WindowModule, TheWindowRunsFromTheModuleBesideTheProgram)
    {
        TempDir dir;
        Launch launch;
        launch.args = {"-platform", "offscreen"};
        launch.environment
            = {"XDG_CONFIG_HOME=" + dir.mkdir("config"), "XDG_RUNTIME_DIR=" + dir.mkdir("runtime")};
        Child child(launch, dir.path());
        bool mapped = false;
        for (int look = 0; look < 300 && !mapped && !child.ended(); ++look) {
            const std::string maps = test::Slurp("/proc/" + std::to_string(child.pid()) + "/maps");
            mapped = maps.find("/orvandel-window.so") != std::string::npos
                && maps.find("libQt6Widgets") != std::string::npos;
            if (!mapped)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        EXPECT_TRUE(mapped) << child.err();
        EXPECT_FALSE(child.ended()) << "the window ended: " << child.err();
    }

    // A program whose module is not beside it says so, with the exit status 2.
    TEST(WindowModule, AProgramWithoutItsModuleSaysSo)
    {
        TempDir dir;
        const std::string program = dir.file("orvandel");
        fs::copy_file(ORVANDEL_PROGRAM, program);
        Launch launch;
        launch.program = program;
        launch.args = {"-platform", "offscreen"};
        Child child(launch, dir.path());
        const int status = child.wait();
        ASSERT_TRUE(WIFEXITED(status)) << Describe(status);
        EXPECT_EQ(WEXITSTATUS(status), 2);
        EXPECT_EQ(child.err().rfind("orvandel: cannot open the window: ", 0), 0u) << child.err();
        EXPECT_NE(child.err().find("orvandel-window.so"), std::string::npos) << child.err();
        EXPECT_EQ(child.out(), "");
    }
#endif

} // namespace
} // namespace orvandel
