#include "extract/base64/Base64Kernel.h"

#include "extract/Base64Alphabet.h"
#include "support/Base64Encode.h"
#include "support/Base64Kernels.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace orvandel {
namespace {

    using Bytes = std::vector<unsigned char>;

    Bytes RandomBytes(std::size_t size, unsigned seed)
    {
        std::mt19937 generator(seed);
        Bytes bytes(size);
        for (auto& byte : bytes)
            byte = static_cast<unsigned char>(generator());
        return bytes;
    }

    // The Base64 of `bytes` (a multiple of three), without padding.
    Bytes Encode(const Bytes& bytes)
    {
        const std::string text = test::ToBase64(std::string(bytes.begin(), bytes.end()));
        return Bytes(text.begin(), text.end());
    }

    bool InAlphabet(unsigned char c)
    {
        return kBase64Alphabet.find(static_cast<char>(c)) != std::string_view::npos;
    }

    class Base64KernelTest : public ::testing::TestWithParam<std::string>
    {
    protected:
        const Base64Kernel& kernel() const { return test::Base64KernelNamed(GetParam()); }
    };

    // Every byte value at every place of a text that spans several blocks of every kernel.
    TEST_P(Base64KernelTest, StopsBeforeTheGroupOfTheFirstByteOutsideTheAlphabet)
    {
        const Bytes bytes = RandomBytes(192, 1);
        const Bytes text = Encode(bytes); // 256 characters, 64 groups
        const Base64Kernel& scalar = *AvailableBase64Kernels().front();
        for (int value = 0; value < 256; ++value) {
            for (std::size_t at = 0; at < text.size(); ++at) {
                Bytes changed = text;
                changed[at] = static_cast<unsigned char>(value);
                Bytes out(bytes.size());
                const std::size_t groups = kernel().decode(changed.data(), 64, out.data());
                const bool belongs = InAlphabet(changed[at]);
                ASSERT_EQ(groups, belongs ? 64 : at / 4) << "byte " << value << " at " << at;
                if (!belongs) {
                    ASSERT_TRUE(std::equal(out.begin(), out.begin() + 3 * groups, bytes.begin()))
                        << "byte " << value << " at " << at;
                    continue;
                }
                Bytes expected(bytes.size());
                ASSERT_EQ(scalar.decode(changed.data(), 64, expected.data()), 64u);
                ASSERT_EQ(out, expected) << "byte " << value << " at " << at;
            }
        }
    }

    // Every count of groups from every alignment: the bytes, and nothing read or written beyond
    // the groups (the sanitizer build sees a read past the exact-sized input).
    TEST_P(Base64KernelTest, KeepsWithinItsGroupsAtEveryLengthAndAlignment)
    {
        constexpr unsigned char kGuard = 0xA5;
        for (std::size_t groups = 0; groups <= 70; ++groups) {
            const Bytes bytes = RandomBytes(3 * groups, static_cast<unsigned>(groups));
            const Bytes text = Encode(bytes);
            for (std::size_t shift = 0; shift < 8; ++shift) {
                Bytes in(shift, 'A');
                in.insert(in.end(), text.begin(), text.end());
                Bytes out(shift + 3 * groups + 64, kGuard);
                ASSERT_EQ(kernel().decode(in.data() + shift, groups, out.data() + shift), groups);
                EXPECT_TRUE(
                    std::equal(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(shift)))
                    << groups << " groups, shifted by " << shift;
                for (std::size_t i = 0; i < out.size(); ++i) {
                    if (i < shift || i >= shift + 3 * groups) {
                        ASSERT_EQ(out[i], kGuard) << "written at " << i << ", " << groups << " groups";
                    }
                }
            }
        }
    }

    // Decoding over its own text, or into the same buffer a little before it (as the classic
    // decoder does once blanks are passed over): the characters after the groups it decoded,
    // which the caller reads next, are still there.
    TEST_P(Base64KernelTest, LeavesTheRestOfItsOwnBufferAlone)
    {
        const Bytes bytes = RandomBytes(192, 2);
        const Bytes text = Encode(bytes);
        for (const std::size_t before : {0, 1, 3, 5}) {
            for (std::size_t stop = 0; stop <= text.size(); ++stop) {
                Bytes buffer(before, ' ');
                buffer.insert(buffer.end(), text.begin(), text.end());
                if (stop < text.size())
                    buffer[before + stop] = '\r';
                const Bytes original = buffer;
                const std::size_t groups
                    = kernel().decode(buffer.data() + before, text.size() / 4, buffer.data());
                ASSERT_EQ(groups, stop / 4) << "stop at " << stop << ", " << before << " before";
                ASSERT_TRUE(std::equal(bytes.begin(), bytes.begin() + 3 * groups, buffer.begin()));
                const auto rest = static_cast<std::ptrdiff_t>(before + 4 * groups);
                ASSERT_TRUE(std::equal(buffer.begin() + rest, buffer.end(), original.begin() + rest))
                    << "stop at " << stop << ", " << before << " before";
            }
        }
    }

    INSTANTIATE_TEST_SUITE_P(Kernels,
                             Base64KernelTest,
                             ::testing::ValuesIn(test::Base64KernelNames()),
                             [](const auto& info) { return info.param; });

    enum class Chosen
    {
        Fastest,
        Scalar,
        None, // refused
    };

    struct ChoiceCase
    {
        const char* name;
        const char* variable; // null: not set
        Chosen chosen;
    };

    class Base64KernelChoiceTest : public ::testing::TestWithParam<ChoiceCase>
    {
    };

    TEST_P(Base64KernelChoiceTest, TakesOnlyAKernelThisMachineRunsAndRefusesUnknownNames)
    {
        const auto kernels = AvailableBase64Kernels();
        const Base64Kernel* expected = GetParam().chosen == Chosen::Fastest ? kernels.back()
            : GetParam().chosen == Chosen::Scalar                           ? kernels.front()
                                                                            : nullptr;
        EXPECT_EQ(ChooseBase64Kernel(GetParam().variable), expected);
    }

    // A kernel of another processor family: the tests of a build ask for each kernel of its own
    // family, which a machine may lack.
#if defined(__aarch64__)
    constexpr const char* kOtherProcessorsKernel = "avx2";
#else
    constexpr const char* kOtherProcessorsKernel = "neon";
#endif

    INSTANTIATE_TEST_SUITE_P(Table,
                             Base64KernelChoiceTest,
                             ::testing::Values(ChoiceCase {"NotSet", nullptr, Chosen::Fastest},
                                               ChoiceCase {"Empty", "", Chosen::Fastest},
                                               ChoiceCase {"Scalar", "scalar", Chosen::Scalar},
                                               ChoiceCase {"NotOnThisMachine", kOtherProcessorsKernel,
                                                           Chosen::Fastest},
                                               ChoiceCase {"UnknownName", "avx1024", Chosen::None},
                                               ChoiceCase {"CaseMatters", "SCALAR", Chosen::None}),
                             [](const auto& info) { return std::string(info.param.name); });

    TEST(Base64KernelChoice, NamesEachAvailableKernel)
    {
        for (const Base64Kernel* kernel : AvailableBase64Kernels())
            EXPECT_EQ(ChooseBase64Kernel(std::string(kernel->name).c_str()), kernel);
    }

    // Run by CTest once more for each kernel with ORVANDEL_BASE64_KERNEL set, so that every
    // decoder test runs with every kernel.
    TEST(Base64KernelChoice, TheEnvironmentChoosesTheDecodersKernel)
    {
        const char* variable = std::getenv("ORVANDEL_BASE64_KERNEL");
        EXPECT_EQ(&CurrentBase64Kernel(), ChooseBase64Kernel(variable));
    }

    TEST(Base64KernelChoice, TheFastestKernelOfThisMachineIsTheDefault)
    {
#if defined(__x86_64__)
        // No AVX2 kernel for 64-bit Windows, whose GCC cannot align the stack for it.
#if defined(_WIN32)
        const bool avx2 = false;
#else
        const bool avx2 = __builtin_cpu_supports("avx2");
#endif
        const std::string_view expected = avx2 ? "avx2"
            : __builtin_cpu_supports("ssse3")  ? "ssse3"
                                               : "scalar";
        EXPECT_EQ(AvailableBase64Kernels().back()->name, expected);
#elif defined(__aarch64__)
        EXPECT_EQ(AvailableBase64Kernels().back()->name, "neon");
#else
        EXPECT_EQ(AvailableBase64Kernels().back()->name, "scalar");
#endif
    }

} // namespace
} // namespace orvandel
