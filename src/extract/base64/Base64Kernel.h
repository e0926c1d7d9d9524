#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace orvandel {

// Decodes the common case of Base64 text: whole groups of four characters of the standard
// alphabet, as a long line or the lines of a card hold them. Everything else (a blank, a line
// break, "=", a character outside the alphabet, a short tail) is left to the decoders' own
// character-by-character code, at the very place where it stands, so that what they make of
// it stays theirs whichever kernel runs.
struct Base64Kernel
{
    // "scalar", "ssse3", "avx2" or "neon".
    std::string_view name;

    // Decodes the groups at the start of `[in, in + 4 * groups)` up to the first group that
    // holds a byte outside the alphabet, three bytes for each, to `out`, and returns how many
    // groups it decoded. It reads nothing past `in + 4 * groups` and writes only within
    // `[out, out + 3 * groups)`; past the bytes it decoded, what it leaves there is undefined.
    // `out` may be `in` itself or lie before it in the same buffer: then nothing past
    // `in + 4 * result` is written, so the characters after the decoded groups are still there.
    std::size_t (*decode)(const unsigned char* in, std::size_t groups, unsigned char* out);
};

// The kernels this machine can run: the scalar one first, the fastest last.
std::span<const Base64Kernel* const> AvailableBase64Kernels();

// The name of every kernel there is, whether this build and this machine run it or not:
// "scalar", "ssse3", "avx2", "neon".
std::span<const std::string_view> KnownBase64KernelNames();

// The kernel that the decoders use: chosen once, at first use, by ChooseBase64Kernel from the
// environment variable ORVANDEL_BASE64_KERNEL (the fastest when it names no kernel: the program
// refuses such a name before it runs), unless UseBase64Kernel chose another since.
const Base64Kernel& CurrentBase64Kernel();

// The kernel that `name`, a value of ORVANDEL_BASE64_KERNEL, asks for: the available kernel of
// that name, or the fastest available one when `name` is null or empty or names a kernel this
// machine cannot run (a kernel of another processor, or one this processor lacks: the tests ask
// for every kernel of the processor's family on machines that may lack one, and each kernel's
// results are the scalar one's). Null when `name` is none of KnownBase64KernelNames().
const Base64Kernel* ChooseBase64Kernel(const char* name);

// Makes the decoders use `kernel` from now on (the tests and the fuzzer run every kernel so).
void UseBase64Kernel(const Base64Kernel& kernel);

} // namespace orvandel
