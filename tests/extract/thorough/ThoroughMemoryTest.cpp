// A gigabyte export, made on the fly, read by the thorough run: its peak memory must stay below
// 64 MB. Slow (it writes about 2 GB to disk), so it carries the label "slow" and stays out of the
// default run: ctest -L slow runs it.

#include "extract/RunObserver.h"
#include "support/ExportGenerator.h"
#include "support/QuietRunHost.h"
#include "support/TempDir.h"
#include "support/TestRuns.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <vector>

namespace orvandel {
namespace {

    using test::ExportWriter;
    using test::TempDir;

    constexpr std::uint64_t kTarget = 1024ull * 1024 * 1024;
    constexpr long kLimitKilobytes = 64 * 1024;

    Sha256::Digest DigestOfFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> buffer(1 << 20);
        Sha256 sha;
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
            sha.update(std::string_view(buffer.data(), static_cast<std::size_t>(in.gcount())));
        return sha.finish();
    }

    long PeakKilobytes()
    {
        rusage usage {};
        getrusage(RUSAGE_SELF, &usage);
        return usage.ru_maxrss; // kilobytes on Linux
    }

    TEST(ThoroughMemory, StaysFlatOnAGigabyteExport)
    {
        TempDir dir;
        const std::string input = dir.file("export.vcf");
        ExportWriter writer(input);
        // One photo of 200 MB folded, one of 60 MB on one single line, then ordinary cards.
        const Sha256::Digest folded = writer.addCard("Huge Folded", 200ull * 1024 * 1024, 1);
        const Sha256::Digest oneLine = writer.addCard("Huge One Line", 60ull * 1024 * 1024, 2, true);
        std::size_t cards = 2;
        while (writer.bytesWritten() < kTarget) {
            ++cards;
            writer.addCard("Person " + std::to_string(cards), 20 * 1024, cards);
        }
        writer.close();
        ASSERT_GE(writer.bytesWritten(), kTarget);

        test::QuietRunHost host({input}, dir.mkdir("out"));
        test::ThoroughTestRun run;
        ASSERT_EQ(run.start(host), RunOutcome::Finished);
        EXPECT_TRUE(host.reports.empty()) << host.reports.front();
        EXPECT_EQ(host.written.size(), cards);
        EXPECT_EQ(DigestOfFile(dir.file("out/Huge Folded.jpg")), folded);
        EXPECT_EQ(DigestOfFile(dir.file("out/Huge One Line.jpg")), oneLine);

        const long peak = PeakKilobytes();
        std::cout << "Read " << writer.bytesWritten() << " bytes, " << cards << " cards; peak memory "
                  << peak / 1024 << " MB\n";
        EXPECT_LT(peak, kLimitKilobytes);
    }

} // namespace
} // namespace orvandel
