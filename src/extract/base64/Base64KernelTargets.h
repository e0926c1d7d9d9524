#pragma once

// Which vector kernels this build has. The x86-64 kernels are compiled for their instruction
// sets with function attributes and run only where the processor has them (GCC and Clang, MinGW
// included, without AVX2 there); the NEON kernel is built on ARM64, where every processor has NEON. Other
// targets decode with the scalar kernel alone.
#if defined(__x86_64__) && defined(__GNUC__)
#define ORVANDEL_BASE64_X86 1
// GCC for 64-bit Windows cannot align the stack to the 32 bytes that AVX registers spill to,
// and may then crash on an aligned move; there SSSE3 is the widest kernel.
#if !defined(_WIN32)
#define ORVANDEL_BASE64_AVX2 1
#endif
#endif
#if defined(__aarch64__) && defined(__ARM_NEON)
#define ORVANDEL_BASE64_NEON 1
#endif

#include "Base64Kernel.h"

namespace orvandel {

#if defined(ORVANDEL_BASE64_X86)
extern const Base64Kernel kBase64KernelSsse3;
#endif
#if defined(ORVANDEL_BASE64_AVX2)
extern const Base64Kernel kBase64KernelAvx2;
#endif
#if defined(ORVANDEL_BASE64_NEON)
extern const Base64Kernel kBase64KernelNeon;
#endif

} // namespace orvandel
