#include "extract/thorough/Sha256.h"

#include "extract/thorough/BuiltinSha256.h"

#include <gtest/gtest.h>

namespace orvandel {
namespace {

    struct DigestCase
    {
        const char* name;
        std::string message;
        const char* digest;
    };

    class Sha256Test : public ::testing::TestWithParam<DigestCase>
    {
    };

    // The digest of `message` fed in pieces of `piece` bytes, by the engine `Engine`.
    template<class Engine> std::string DigestInPieces(const std::string& message, std::size_t piece)
    {
        Engine sha;
        for (std::size_t at = 0; at < message.size(); at += piece)
            sha.update(std::string_view(message).substr(at, piece));
        return Sha256::hex(sha.finish());
    }

    // The program's SHA-256 (OpenSSL's where it is built with it) and our own, which stands in
    // where it is not.
    TEST_P(Sha256Test, GivesTheKnownDigest)
    {
        EXPECT_EQ(Sha256::hex(Sha256::of(GetParam().message)), GetParam().digest) << Sha256::engine();
        EXPECT_EQ(DigestInPieces<BuiltinSha256>(GetParam().message, SIZE_MAX), GetParam().digest);
    }

    TEST_P(Sha256Test, GivesTheSameDigestFedInPieces)
    {
        for (const std::size_t piece : {1u, 3u, 63u, 64u, 65u, 1000u}) {
            EXPECT_EQ(DigestInPieces<Sha256>(GetParam().message, piece), GetParam().digest)
                << Sha256::engine() << ", pieces of " << piece;
            EXPECT_EQ(DigestInPieces<BuiltinSha256>(GetParam().message, piece), GetParam().digest)
                << "built-in, pieces of " << piece;
        }
    }

    // Messages whose padding ends in the same block, fills it exactly, or spills into another.
    INSTANTIATE_TEST_SUITE_P(
        Vectors,
        Sha256Test,
        ::testing::Values(
            DigestCase {"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
            DigestCase {"Abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
            DigestCase {"FiftyFiveBytes", std::string(55, 'a'),
                        "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
            DigestCase {"FiftySixBytes", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
            DigestCase {"SixtyThreeBytes", std::string(63, 'a'),
                        "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
            DigestCase {"SixtyFourBytes", std::string(64, 'a'),
                        "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
            DigestCase {"AMillionA", std::string(1000000, 'a'),
                        "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}),
        [](const auto& info) { return std::string(info.param.name); });

    template<class Engine> void StartsAfresh()
    {
        Engine sha;
        sha.update("something else first");
        sha.finish();
        sha.update("abc");
        EXPECT_EQ(Sha256::hex(sha.finish()),
                  "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    }

    TEST(Sha256, StartsAfreshAfterFinish)
    {
        StartsAfresh<Sha256>();
        StartsAfresh<BuiltinSha256>();
    }

} // namespace
} // namespace orvandel
