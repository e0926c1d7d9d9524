#include "Base64Kernel.h"

#include "Base64KernelTargets.h"
#include "extract/Base64Alphabet.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace orvandel {

namespace {

    constexpr auto kValues = Base64ValueTable(255);

    std::size_t DecodeScalar(const unsigned char* in, std::size_t groups, unsigned char* out)
    {
        for (std::size_t done = 0; done < groups; ++done, in += 4, out += 3) {
            const std::uint32_t a = kValues[in[0]];
            const std::uint32_t b = kValues[in[1]];
            const std::uint32_t c = kValues[in[2]];
            const std::uint32_t d = kValues[in[3]];
            if ((a | b | c | d) >= 64)
                return done;
            const std::uint32_t group = (a << 18) | (b << 12) | (c << 6) | d;
            out[0] = static_cast<unsigned char>(group >> 16);
            out[1] = static_cast<unsigned char>(group >> 8);
            out[2] = static_cast<unsigned char>(group);
        }
        return groups;
    }

    constexpr Base64Kernel kScalar {"scalar", DecodeScalar};

    std::vector<const Base64Kernel*> DetectKernels()
    {
        std::vector<const Base64Kernel*> kernels {&kScalar};
#if defined(ORVANDEL_BASE64_X86)
        // The compiler's check of the processor also asks the system whether it keeps the
        // 256-bit registers, without which AVX2 is not usable.
        if (__builtin_cpu_supports("ssse3"))
            kernels.push_back(&kBase64KernelSsse3);
#endif
#if defined(ORVANDEL_BASE64_AVX2)
        if (__builtin_cpu_supports("avx2"))
            kernels.push_back(&kBase64KernelAvx2);
#endif
#if defined(ORVANDEL_BASE64_NEON)
        kernels.push_back(&kBase64KernelNeon);
#endif
        return kernels;
    }

    std::atomic<const Base64Kernel*>& Current()
    {
        static std::atomic<const Base64Kernel*> current {[] {
            const Base64Kernel* chosen = ChooseBase64Kernel(std::getenv("ORVANDEL_BASE64_KERNEL"));
            return chosen ? chosen : AvailableBase64Kernels().back();
        }()};
        return current;
    }

} // namespace

std::span<const Base64Kernel* const> AvailableBase64Kernels()
{
    static const std::vector<const Base64Kernel*> kernels = DetectKernels();
    return kernels;
}

std::span<const std::string_view> KnownBase64KernelNames()
{
    static constexpr std::string_view kNames[] = {"scalar", "ssse3", "avx2", "neon"};
    return kNames;
}

const Base64Kernel* ChooseBase64Kernel(const char* name)
{
    const auto kernels = AvailableBase64Kernels();
    if (!name || !*name)
        return kernels.back();
    for (const Base64Kernel* kernel : kernels) {
        if (kernel->name == name)
            return kernel;
    }
    const auto names = KnownBase64KernelNames();
    if (std::find(names.begin(), names.end(), name) != names.end())
        return kernels.back();
    return nullptr;
}

const Base64Kernel& CurrentBase64Kernel()
{
    return *Current().load(std::memory_order_relaxed);
}

void UseBase64Kernel(const Base64Kernel& kernel)
{
    Current().store(&kernel, std::memory_order_relaxed);
}

} // namespace orvandel
