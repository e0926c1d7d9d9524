#include "cli/CommandLine.h"
#include "extract/thorough/TestImages.h"
#include "support/FetchServer.h"
#include "support/RunCli.h"
#include "support/TempDir.h"
#include "util/PathHelpers.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    using namespace test;

    std::string Card(const std::string& fn, const std::string& photo)
    {
        return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + fn + "\r\n" + photo + "\r\nEND:VCARD\r\n";
    }

    // "orvandel extract --fetch ..." against the tests' server, whose authority it trusts.
    class FetchCommandTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            if (!server.running())
                GTEST_SKIP() << FetchServer::notRunning();
        }

        CliOutcome run(std::vector<std::string> args)
        {
            args.insert(args.begin(), "extract");
            CommandRequest request = CommandOf(args);
            if (auto* extract = std::get_if<ExtractRequest>(&request)) {
                extract->thorough.fetchCaFile = server.caFile();
                extract->thorough.fetchResolve = server.resolveLocalhost();
            }
            std::ostringstream out;
            std::ostringstream err;
            const int status = RunCommandLine(request, out, err, false);
            return {status, out.str(), err.str()};
        }

        // The address as a vCard 3.0 export writes it, its ":" escaped as Google's are.
        static std::string Escaped(const std::string& address)
        {
            std::string text;
            for (const char c : address) {
                if (c == ':' || c == ',' || c == ';')
                    text += '\\';
                text += c;
            }
            return text;
        }

        FetchServer server;
        TempDir dir;
        std::string out = dir.mkdir("out");
    };

    struct PhotoCase
    {
        const char* name;
        std::string path; // on the server
        bool https;
        std::string status; // of the photo's line
        std::string file; // written: the image's name
        std::string image; // and its bytes
        std::string error; // error: what stderr says after the address
    };

    class FetchedPhotoTest : public FetchCommandTest, public ::testing::WithParamInterface<PhotoCase>
    {
    };

    TEST_P(FetchedPhotoTest, IsWrittenOrToldAsAnyOther)
    {
        const PhotoCase& c = GetParam();
        const std::string address = c.https ? server.https(c.path) : server.http(c.path);
        const std::string input = dir.write("google.vcf", Card("Ann", "PHOTO:" + Escaped(address)));
        const auto result = run({"--fetch", "--fetch-local", "-o", out, input});
        const std::string head = c.status + "\t" + Shown(input) + "\t1\tAnn\t";
        EXPECT_EQ(result.out.substr(0, head.size()), head) << result.out;
        if (c.status == "written") {
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_EQ(result.err, "");
            EXPECT_EQ(Slurp(out + kSeparator + c.file), c.image);
            EXPECT_EQ(result.out.substr(head.size(), result.out.find('\t', head.size()) - head.size()),
                      Shown(out + kSeparator + c.file));
        } else {
            EXPECT_EQ(result.status, 1);
            EXPECT_EQ(result.err,
                      "orvandel: " + Shown(input) + ": card 1, line 4: " + address + ": " + c.error + "\n");
            EXPECT_EQ(Slurp(out + kSeparator + "Ann.jpg"), "");
        }
    }

    INSTANTIATE_TEST_SUITE_P(
        Table,
        FetchedPhotoTest,
        ::testing::Values(
            PhotoCase {"Jpeg", "/image?payload=a", false, "written", "Ann.jpg", JpegImage("a"), ""},
            PhotoCase {"OverHttps", "/image?payload=s", true, "written", "Ann.jpg", JpegImage("s"), ""},
            // Typed by its bytes, never by what the server calls it.
            PhotoCase {"PngCalledHtml", "/image?kind=png&payload=p&type=text/html", false, "written",
                       "Ann.png", PngImage("p"), ""},
            PhotoCase {"Gzip", "/image?payload=z&gzip=1", false, "written", "Ann.jpg", JpegImage("z"), ""},
            PhotoCase {"Redirected", "/redirects/3", false, "written", "Ann.jpg", JpegImage("chain"), ""},
            PhotoCase {"NotFound", "/status/404", false, "error", "", "", "HTTP 404"},
            PhotoCase {"SignInPage", "/signin", true, "error", "", "", "not an image (text/html)"},
            PhotoCase {"EmptyBody", "/empty", false, "error", "", "", "not an image (an empty body)"},
            PhotoCase {"CutShort", "/cut", false, "error", "", "", "the body was cut short"},
            PhotoCase {"TooLarge", "/big", false, "error", "", "", "over 20 MB"},
            PhotoCase {"RedirectedToAFile", "/redirect?to=file:///etc/hostname", false, "error", "", "",
                       "redirected to an address that is neither http nor https: file:///etc/hostname"}),
        [](const auto& info) { return std::string(info.param.name); });

    // Names are decided in card order, whatever order the transfers end in: the slowest first.
    TEST_F(FetchCommandTest, NamesInCardOrderWhateverOrderTheTransfersEnd)
    {
        const std::string input
            = dir.write("order.vcf",
                        Card("Same", "PHOTO;VALUE=URI:" + server.http("/image?delay=700&payload=1"))
                            + Card("Same", "PHOTO;ENCODING=b:" + ToBase64(JpegImage("2")))
                            + Card("Same", "PHOTO:" + Escaped(server.http("/image?payload=3")))
                            + Card("Same", "PHOTO:" + Escaped(server.http("/image?delay=300&payload=4"))));
        const auto result = run({"--fetch", "--fetch-local", "-o", out, input});
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(Slurp(out + kSeparator + "Same.jpg"), JpegImage("1"));
        EXPECT_EQ(Slurp(out + kSeparator + "Same (2).jpg"), JpegImage("2"));
        EXPECT_EQ(Slurp(out + kSeparator + "Same (3).jpg"), JpegImage("3"));
        EXPECT_EQ(Slurp(out + kSeparator + "Same (4).jpg"), JpegImage("4"));
        std::istringstream lines(result.out);
        std::vector<std::string> cards;
        for (std::string line; std::getline(lines, line);)
            cards.push_back(line.substr(line.find("\t", line.find('\t') + 1) + 1, 1));
        EXPECT_EQ(cards, (std::vector<std::string> {"1", "2", "3", "4"}));
    }

    TEST_F(FetchCommandTest, JsonTellsTheAddressAndUniqueCountsFetchedPhotos)
    {
        const std::string input
            = dir.write("twice.vcf",
                        Card("Ann", "PHOTO;ENCODING=b:" + ToBase64(JpegImage("same")))
                            + Card("Bo", "PHOTO:" + Escaped(server.http("/image?payload=same")))
                            + Card("Cy", "PHOTO:" + Escaped(server.http("/status/403")))
                            + Card("Di", "PHOTO;VALUE=URI:file:///home/di/photo.jpg"));
        const auto result
            = run({"--fetch", "--fetch-local", "--unique", "--json", "--name", "{n}", "-o", out, input});
        EXPECT_EQ(result.status, 1);
        std::istringstream lines(result.out);
        std::vector<std::string> objects;
        for (std::string line; std::getline(lines, line);)
            objects.push_back(line);
        ASSERT_EQ(objects.size(), 4u) << result.out;
        EXPECT_NE(objects[0].find("\"status\":\"written\""), std::string::npos) << objects[0];
        EXPECT_EQ(objects[1].substr(0, objects[1].find(",\"sha256\"")),
                  "{\"input\":\"" + InJson(input)
                      + "\",\"status\":\"duplicate\",\"card\":2,\"fn\":\"Bo\",\"line\":9," + "\"url\":\""
                      + server.http("/image?payload=same") + "\",\"output\":\""
                      + InJson(out + kSeparator + "1.jpg") + "\",\"type\":\"jpeg\",\"type_mismatch\":false");
        EXPECT_EQ(objects[2],
                  "{\"input\":\"" + InJson(input)
                      + "\",\"status\":\"error\",\"card\":3,\"fn\":\"Cy\",\"line\":14," + "\"url\":\""
                      + server.http("/status/403") + "\",\"error\":\"" + server.http("/status/403")
                      + ": HTTP 403. Input: " + InJson(input) + ", card 3 (FN \\\"Cy\\\"), line 14.\"}");
        // Other addresses are never read.
        EXPECT_EQ(objects[3],
                  "{\"input\":\"" + InJson(input)
                      + "\",\"status\":\"link\",\"card\":4,\"fn\":\"Di\",\"line\":19,"
                        "\"url\":\"file:///home/di/photo.jpg\"}");
    }

    TEST_F(FetchCommandTest, ThisMachineIsRefusedUnlessAsked)
    {
        const std::string address = server.http("/image");
        const std::string input = dir.write("local.vcf", Card("Ann", "PHOTO:" + Escaped(address)));
        const auto result = run({"--fetch", "-o", out, input});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err,
                  "orvandel: " + Shown(input) + ": card 1, line 4: " + address
                      + ": refused: 127.0.0.1 is an address of this machine\n");
        // Without --fetch the address is only told, as ever.
        const auto told = run({"--thorough", "-o", out, input});
        EXPECT_EQ(told.status, 0);
        EXPECT_EQ(told.out, "link\t" + Shown(input) + "\t1\tAnn\t" + address + "\n");
    }

} // namespace
} // namespace orvandel
