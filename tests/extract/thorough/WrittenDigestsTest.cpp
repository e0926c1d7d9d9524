#include "extract/thorough/WrittenDigests.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    Sha256::Digest DigestOf(std::uint8_t first, std::uint8_t last)
    {
        Sha256::Digest digest {};
        digest.fill(first);
        digest.back() = last;
        return digest;
    }

    TEST(WrittenDigests, FindsTheFileWrittenWithTheSameBytes)
    {
        WrittenDigests digests;
        digests.add(Sha256::of("ann"), "out/Ann.jpg");
        digests.add(Sha256::of("bob"), "out/Bob (2).jpg");
        EXPECT_EQ(digests.find(Sha256::of("ann")), "out/Ann.jpg");
        EXPECT_EQ(digests.find(Sha256::of("bob")), "out/Bob (2).jpg");
        EXPECT_EQ(digests.find(Sha256::of("cy")), std::nullopt);
    }

    TEST(WrittenDigests, TellsDigestsApartThatBeginAlike)
    {
        WrittenDigests digests;
        digests.add(DigestOf(7, 1), "out/one.jpg");
        digests.add(DigestOf(7, 2), "out/two.jpg");
        EXPECT_EQ(digests.find(DigestOf(7, 1)), "out/one.jpg");
        EXPECT_EQ(digests.find(DigestOf(7, 2)), "out/two.jpg");
        EXPECT_EQ(digests.find(DigestOf(7, 3)), std::nullopt);
    }

    TEST(WrittenDigests, KeepsTheFirstFileAndPathsOfOtherFolders)
    {
        WrittenDigests digests;
        digests.add(Sha256::of("ann"), "out/Ann.jpg");
        digests.add(Sha256::of("ann"), "out/Ann (2).jpg");
        digests.add(Sha256::of("bob"), "elsewhere/Bob.jpg");
        digests.add(Sha256::of("cy"), "out/sub/Cy.jpg");
        EXPECT_EQ(digests.find(Sha256::of("ann")), "out/Ann.jpg");
        EXPECT_EQ(digests.find(Sha256::of("bob")), "elsewhere/Bob.jpg");
        EXPECT_EQ(digests.find(Sha256::of("cy")), "out/sub/Cy.jpg");
        EXPECT_EQ(digests.size(), 3u);
    }

} // namespace
} // namespace orvandel
