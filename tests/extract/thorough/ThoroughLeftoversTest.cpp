// Whatever way a thorough run ends, it leaves no temporary file behind: with unnamed temporary
// files (ext4, tmpfs) and with named ones (as on FAT).
#include "FilesIn.h"
#include "TestImages.h"
#include "support/FolderSeamsGuard.h"
#include "support/RecordingRunHost.h"
#include "support/TempDir.h"
#include "support/TestRuns.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orvandel {
namespace {

    using namespace test;

    std::string Card(const std::string& fn, const std::string& base64)
    {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fn
            + "\r\nPHOTO;ENCODING=b;TYPE=JPEG:" + Fold(base64, 75, " ", "\r\n") + "\r\nEND:VCARD\r\n";
    }

    const std::string kBigPhoto = JpegImage(std::string(3'000'000, 'x'));

    // A child process that runs `body` and reports through a pipe; killed if the test ends first.
    class Child
    {
    public:
        template<class Body> explicit Child(Body body)
        {
            int pipeEnds[2];
            if (::pipe(pipeEnds) != 0)
                throw std::runtime_error("no pipe");
            m_pid = ::fork();
            if (m_pid == 0) {
                ::close(pipeEnds[0]);
                body(pipeEnds[1]);
                ::_exit(0);
            }
            ::close(pipeEnds[1]);
            m_read = pipeEnds[0];
        }
        ~Child()
        {
            if (m_pid > 0) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, nullptr, 0);
            }
            ::close(m_read);
        }
        Child(const Child&) = delete;
        Child& operator=(const Child&) = delete;

        // What the child writes, up to `bytes` bytes or the pipe's end.
        std::string read(std::size_t bytes = static_cast<std::size_t>(-1))
        {
            std::string text;
            char buffer[4096];
            while (text.size() < bytes) {
                const auto got = ::read(m_read, buffer, std::min(sizeof buffer, bytes - text.size()));
                if (got <= 0)
                    break;
                text.append(buffer, static_cast<std::size_t>(got));
            }
            return text;
        }
        void kill(int signal) { ::kill(m_pid, signal); }
        // The wait status.
        int wait()
        {
            int status = 0;
            ::waitpid(m_pid, &status, 0);
            m_pid = -1;
            return status;
        }

    private:
        pid_t m_pid = -1;
        int m_read = -1;
    };

    void WriteAll(int fd, const std::string& text)
    {
        for (std::size_t done = 0; done < text.size();) {
            const auto wrote = ::write(fd, text.data() + done, text.size() - done);
            if (wrote <= 0)
                return;
            done += static_cast<std::size_t>(wrote);
        }
    }

    class ThoroughLeftoversTest : public ::testing::TestWithParam<TemporaryKind>
    {
    protected:
        void SetUp() override
        {
            host.folder = dir.mkdir("out") + "/";
            if (GetParam() == TemporaryKind::Unnamed && !UnnamedTemporariesIn(dir.path()))
                GTEST_SKIP() << "the temporary folder's file system has no unnamed files";
        }
        std::string input(const std::string& name, const std::string& bytes)
        {
            const auto path = dir.write("cards/" + name, bytes);
            host.items.push_back(path);
            return path;
        }
        std::map<std::string, std::string> outputs() const { return FilesIn(dir.file("out")); }

        FolderSeamsGuard seams {GetParam() == TemporaryKind::Named};
        TempDir dir;
        RecordingRunHost host;
    };

    TEST_P(ThoroughLeftoversTest, AStopInTheMiddleOfAPhoto)
    {
        input("big.vcf", Card("Small", ToBase64(JpegImage("s"))) + Card("Big", ToBase64(kBigPhoto)));
        std::vector<std::string> during;
        int yields = 0;
        host.onYield = [&] {
            if (++yields < 3)
                return true;
            for (const auto& [name, bytes] : outputs())
                during.push_back(name);
            return false;
        };
        test::ThoroughTestRun run;
        EXPECT_EQ(run.start(host), RunOutcome::Abandoned);
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Small.jpg", JpegImage("s")}}));
        if (GetParam() == TemporaryKind::Unnamed) {
            EXPECT_EQ(during, (std::vector<std::string> {"Small.jpg"}))
                << "the photo under way shows nowhere";
        } else {
            ASSERT_EQ(during.size(), 2u);
            EXPECT_EQ(during[0].substr(0, 7), ".big-2.") << "named after its input and card: " << during[0];
        }
    }

    TEST_P(ThoroughLeftoversTest, APhotoThatFailsAfterMegabytes)
    {
        input("bad.vcf", Card("Bad", ToBase64(kBigPhoto) + "%%%%") + Card("Good", ToBase64(JpegImage("g"))));
        test::ThoroughTestRun run;
        EXPECT_EQ(run.start(host), RunOutcome::Finished);
        ASSERT_EQ(host.failures.size(), 1u);
        EXPECT_EQ(host.failures[0].step, RunStep::DecodePhoto);
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Good.jpg", JpegImage("g")}}));
    }

    TEST_P(ThoroughLeftoversTest, AnInputThatEndsInTheMiddleOfAPhoto)
    {
        const std::string whole = Card("Cut", ToBase64(kBigPhoto));
        input("cut.vcf", whole.substr(0, whole.size() / 2));
        test::ThoroughTestRun run;
        EXPECT_EQ(run.start(host), RunOutcome::Finished);
        EXPECT_LE(outputs().size(), 1u);
        for (const auto& [name, bytes] : outputs())
            EXPECT_NE(name.front(), '.') << "a temporary file was left: " << name;
    }

    // A write that the system refuses (here a file size limit, as a full disk refuses it) fails
    // the photo, names its card, and leaves nothing of it.
    TEST_P(ThoroughLeftoversTest, AFailedWrite)
    {
        const auto path
            = input("export.vcf", Card("Ann", ToBase64(kBigPhoto)) + Card("Bob", ToBase64(JpegImage("b"))));
        Child child([&](int out) {
            const rlimit limit {1'000'000, 1'000'000};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_IGN);
            test::ThoroughTestRun run;
            run.start(host);
            for (const auto& report : host.failures)
                WriteAll(out, report.description + "\n");
        });
        const std::string reports = child.read();
        const int status = child.wait();
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_EQ(reports,
                  "Cannot write the photo (File too large). Input: " + path
                      + ", card 1 (FN \"Ann\"), line 4.\n");
        EXPECT_EQ(outputs(), (std::map<std::string, std::string> {{"Bob.jpg", JpegImage("b")}}));
    }

    INSTANTIATE_TEST_SUITE_P(Temporaries,
                             ThoroughLeftoversTest,
                             ::testing::Values(TemporaryKind::Unnamed, TemporaryKind::Named),
                             [](const auto& info) {
                                 return std::string(info.param == TemporaryKind::Unnamed ? "Unnamed"
                                                                                         : "Named");
                             });

    // Killed in the middle of a photo: with unnamed temporary files nothing is left, and the
    // photos written before stay whole.
    TEST(ThoroughKilled, LeavesOnlyWholeImages)
    {
        TempDir dir;
        if (!UnnamedTemporariesIn(dir.path()))
            GTEST_SKIP() << "the temporary folder's file system has no unnamed files";
        RecordingRunHost host;
        host.folder = dir.mkdir("out") + "/";
        host.items.push_back(dir.write("big.vcf",
                                       Card("Small", ToBase64(JpegImage("s")))
                                           + Card("Big", ToBase64(kBigPhoto + kBigPhoto))));
        int yields = 0;
        Child child([&](int out) {
            host.onYield = [&] {
                if (++yields == 3) {
                    WriteAll(out, "!"); // in the middle of the big photo
                    ::pause();
                }
                return true;
            };
            test::ThoroughTestRun run;
            run.start(host);
        });
        ASSERT_EQ(child.read(1), "!") << "the child did not reach the middle of the photo";
        child.kill(SIGKILL);
        const int status = child.wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
        EXPECT_EQ(FilesIn(dir.file("out")),
                  (std::map<std::string, std::string> {{"Small.jpg", JpegImage("s")}}));
    }

} // namespace
} // namespace orvandel
