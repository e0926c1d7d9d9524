// The AVX2 kernel: the generic body of Base64KernelX86Generic.h over 256-bit vectors, eight
// groups at a time. A 256-bit shuffle stays within each 128-bit half (lane), so its tables are
// given twice and the packed bytes of the two halves are joined at the end.

#include "Base64KernelTargets.h"

#if defined(ORVANDEL_BASE64_AVX2)

#include <cstddef>
#include <cstdint>
#include <immintrin.h>

#define ORVANDEL_KERNEL_TARGET __attribute__((target("avx2")))

namespace orvandel {

namespace {

    struct Vectors256
    {
        using Vector = __m256i;
        using Mask = std::uint32_t; // a bit for each byte
        static constexpr std::size_t kBytes = 32;

        ORVANDEL_KERNEL_TARGET static Vector Load(const unsigned char* at)
        {
            return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
        }
        ORVANDEL_KERNEL_TARGET static void Store(unsigned char* at, Vector bytes)
        {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), bytes);
        }
        // The 16 bytes given, in this order, in each half.
        template<class... Byte> ORVANDEL_KERNEL_TARGET static Vector Repeat(Byte... bytes)
        {
            static_assert(sizeof...(bytes) == 16);
            return _mm256_setr_epi8(static_cast<char>(bytes)..., static_cast<char>(bytes)...);
        }
        ORVANDEL_KERNEL_TARGET static Vector Splat8(char byte) { return _mm256_set1_epi8(byte); }
        ORVANDEL_KERNEL_TARGET static Vector Splat32(int value) { return _mm256_set1_epi32(value); }
        ORVANDEL_KERNEL_TARGET static Vector Zero() { return _mm256_setzero_si256(); }
        ORVANDEL_KERNEL_TARGET static Vector And(Vector a, Vector b) { return _mm256_and_si256(a, b); }
        ORVANDEL_KERNEL_TARGET static Vector Add8(Vector a, Vector b) { return _mm256_add_epi8(a, b); }
        ORVANDEL_KERNEL_TARGET static Vector Equal8(Vector a, Vector b) { return _mm256_cmpeq_epi8(a, b); }
        // Each 32 bits shifted right by four.
        ORVANDEL_KERNEL_TARGET static Vector ShiftRight4(Vector a) { return _mm256_srli_epi32(a, 4); }
        // Each byte of `table`'s half that `indexes` names (0 for an index with its top bit set).
        ORVANDEL_KERNEL_TARGET static Vector Shuffle(Vector table, Vector indexes)
        {
            return _mm256_shuffle_epi8(table, indexes);
        }
        ORVANDEL_KERNEL_TARGET static Mask MoveMask(Vector a)
        {
            return static_cast<Mask>(_mm256_movemask_epi8(a));
        }
        ORVANDEL_KERNEL_TARGET static Vector MultiplyAddBytes(Vector a, Vector b)
        {
            return _mm256_maddubs_epi16(a, b);
        }
        ORVANDEL_KERNEL_TARGET static Vector MultiplyAddPairs(Vector a, Vector b)
        {
            return _mm256_madd_epi16(a, b);
        }
        // Twelve bytes in each half: the halves' 32-bit pieces 0 to 2 and 4 to 6 together.
        ORVANDEL_KERNEL_TARGET static Vector JoinLanes(Vector packed)
        {
            return _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
        }
    };

} // namespace

} // namespace orvandel

#include "Base64KernelX86Generic.h"

namespace orvandel {

const Base64Kernel kBase64KernelAvx2 {"avx2", DecodeGroups<Vectors256>};

} // namespace orvandel

#endif
