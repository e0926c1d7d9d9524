// The SSSE3 kernel: the generic body of Base64KernelX86Generic.h over 128-bit vectors, four
// groups at a time.

#include "Base64KernelTargets.h"

#if defined(ORVANDEL_BASE64_X86)

#include <cstddef>
#include <cstdint>
#include <immintrin.h>

#define ORVANDEL_KERNEL_TARGET __attribute__((target("ssse3")))

namespace orvandel {

namespace {

    struct Vectors128
    {
        using Vector = __m128i;
        using Mask = std::uint16_t; // a bit for each byte
        static constexpr std::size_t kBytes = 16;

        ORVANDEL_KERNEL_TARGET static Vector Load(const unsigned char* at)
        {
            return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        }
        ORVANDEL_KERNEL_TARGET static void Store(unsigned char* at, Vector bytes)
        {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(at), bytes);
        }
        // The 16 bytes given, in this order.
        template<class... Byte> ORVANDEL_KERNEL_TARGET static Vector Repeat(Byte... bytes)
        {
            static_assert(sizeof...(bytes) == 16);
            return _mm_setr_epi8(static_cast<char>(bytes)...);
        }
        ORVANDEL_KERNEL_TARGET static Vector Splat8(char byte) { return _mm_set1_epi8(byte); }
        ORVANDEL_KERNEL_TARGET static Vector Splat32(int value) { return _mm_set1_epi32(value); }
        ORVANDEL_KERNEL_TARGET static Vector Zero() { return _mm_setzero_si128(); }
        ORVANDEL_KERNEL_TARGET static Vector And(Vector a, Vector b) { return _mm_and_si128(a, b); }
        ORVANDEL_KERNEL_TARGET static Vector Add8(Vector a, Vector b) { return _mm_add_epi8(a, b); }
        ORVANDEL_KERNEL_TARGET static Vector Equal8(Vector a, Vector b) { return _mm_cmpeq_epi8(a, b); }
        // Each 32 bits shifted right by four.
        ORVANDEL_KERNEL_TARGET static Vector ShiftRight4(Vector a) { return _mm_srli_epi32(a, 4); }
        // Each byte of `table` that `indexes` names (0 for an index with its top bit set).
        ORVANDEL_KERNEL_TARGET static Vector Shuffle(Vector table, Vector indexes)
        {
            return _mm_shuffle_epi8(table, indexes);
        }
        ORVANDEL_KERNEL_TARGET static Mask MoveMask(Vector a)
        {
            return static_cast<Mask>(_mm_movemask_epi8(a));
        }
        ORVANDEL_KERNEL_TARGET static Vector MultiplyAddBytes(Vector a, Vector b)
        {
            return _mm_maddubs_epi16(a, b);
        }
        ORVANDEL_KERNEL_TARGET static Vector MultiplyAddPairs(Vector a, Vector b)
        {
            return _mm_madd_epi16(a, b);
        }
        // One lane only: its twelve bytes are together already.
        ORVANDEL_KERNEL_TARGET static Vector JoinLanes(Vector packed) { return packed; }
    };

} // namespace

} // namespace orvandel

#include "Base64KernelX86Generic.h"

namespace orvandel {

const Base64Kernel kBase64KernelSsse3 {"ssse3", DecodeGroups<Vectors128>};

} // namespace orvandel

#endif
