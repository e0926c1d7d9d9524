// The SSSE3 and AVX2 kernels. Each block of characters is checked and translated with byte
// shuffles that look up a character's two halves (nibbles) in small tables, then packed from
// four 6-bit values to three bytes with two multiply-adds and one more shuffle.

#include "Base64KernelTargets.h"

#if defined(ORVANDEL_BASE64_X86)

#include <bit>
#include <cstdint>
#include <cstring>
#include <immintrin.h>

#define ORVANDEL_SSSE3 __attribute__((target("ssse3")))
#define ORVANDEL_AVX2 __attribute__((target("avx2")))

namespace orvandel {

namespace {

    // A character with high nibble h and low nibble l is outside the alphabet exactly when
    // kByLow[l] & kByHigh[h] is not zero. One bit stands for each way of falling outside:
    //   0x10  h is 0, 1 or 8 to 15: no character there belongs
    //   0x01  h is 2: only "+" (l = 11) and "/" (l = 15) belong
    //   0x02  h is 3: only the digits (l = 0 to 9)
    //   0x04  h is 4 or 6: all but l = 0 ("@" and "`")
    //   0x08  h is 5 or 7: l = 0 to 10 ("P" to "Z", "p" to "z")
#define ORVANDEL_BY_LOW                                                                                      \
    0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A
#define ORVANDEL_BY_HIGH                                                                                     \
    0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10
    // What turns an alphabet character into its value, by high nibble; "/" shares its high nibble
    // with "+" and takes entry 1 instead of 2:
    //   "/" + 16 = 63, "+" + 19 = 62, "0" + 4 = 52, "A" - 65 = 0, "P" - 65 = 15, "a" - 71 = 26.
#define ORVANDEL_SHIFT 0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0
    // Within each group's 32 bits the value ends as bytes 2, 1, 0 (the first byte of the three
    // is the most significant); the last four bytes of each 16 are left empty.
#define ORVANDEL_PACK 2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1

    // The values of the 16 characters of `text`, and in `valid` one bit for each that belongs
    // to the alphabet.
    ORVANDEL_SSSE3 inline __m128i Values(__m128i text, std::uint32_t& valid)
    {
        const __m128i byLow = _mm_setr_epi8(ORVANDEL_BY_LOW);
        const __m128i byHigh = _mm_setr_epi8(ORVANDEL_BY_HIGH);
        const __m128i shift = _mm_setr_epi8(ORVANDEL_SHIFT);
        const __m128i nibble = _mm_set1_epi8(0x0F);
        const __m128i high = _mm_and_si128(_mm_srli_epi32(text, 4), nibble);
        const __m128i low = _mm_and_si128(text, nibble);
        const __m128i outside = _mm_and_si128(_mm_shuffle_epi8(byLow, low), _mm_shuffle_epi8(byHigh, high));
        valid = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(outside, _mm_setzero_si128())));
        const __m128i slash = _mm_cmpeq_epi8(text, _mm_set1_epi8('/'));
        return _mm_add_epi8(text, _mm_shuffle_epi8(shift, _mm_add_epi8(high, slash)));
    }

    // Four groups' values to their twelve bytes, at the start of the result.
    ORVANDEL_SSSE3 inline __m128i Pack(__m128i values)
    {
        // Within each 16 bits: first * 64 + second; within each 32: that * 4096 + the rest.
        const __m128i pairs = _mm_maddubs_epi16(values, _mm_set1_epi32(0x01400140));
        const __m128i groups = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));
        return _mm_shuffle_epi8(groups, _mm_setr_epi8(ORVANDEL_PACK));
    }

    ORVANDEL_SSSE3 std::size_t DecodeSsse3(const unsigned char* in, std::size_t groups, unsigned char* out)
    {
        std::size_t done = 0;
        // A block of four groups is stored with 16 bytes, four past its own twelve: straight to
        // `out` while two more groups follow, whose room that is (and, within one buffer,
        // characters already read).
        while (groups - done >= 6) {
            std::uint32_t valid;
            const __m128i bytes
                = Pack(Values(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 4 * done)), valid));
            if (valid != 0xFFFF) {
                const std::size_t whole
                    = static_cast<std::size_t>(std::countr_one(static_cast<std::uint16_t>(valid))) / 4;
                alignas(16) unsigned char part[16];
                _mm_store_si128(reinterpret_cast<__m128i*>(part), bytes);
                std::memcpy(out + 3 * done, part, 3 * whole);
                return done + whole;
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 3 * done), bytes);
            done += 4;
        }
        // The last groups through a copy, which a byte outside the alphabet ends.
        while (done < groups) {
            const std::size_t count = groups - done < 4 ? groups - done : 4;
            alignas(16) unsigned char block[16] = {};
            std::memcpy(block, in + 4 * done, 4 * count);
            std::uint32_t valid;
            const __m128i bytes
                = Pack(Values(_mm_load_si128(reinterpret_cast<const __m128i*>(block)), valid));
            const std::size_t whole
                = static_cast<std::size_t>(std::countr_one(static_cast<std::uint16_t>(valid))) / 4;
            _mm_store_si128(reinterpret_cast<__m128i*>(block), bytes);
            std::memcpy(out + 3 * done, block, 3 * whole);
            done += whole;
            if (whole < 4)
                break;
        }
        return done;
    }

#if defined(ORVANDEL_BASE64_AVX2)

    ORVANDEL_AVX2 inline __m256i Values(__m256i text, std::uint32_t& valid)
    {
        const __m256i byLow = _mm256_setr_epi8(ORVANDEL_BY_LOW, ORVANDEL_BY_LOW);
        const __m256i byHigh = _mm256_setr_epi8(ORVANDEL_BY_HIGH, ORVANDEL_BY_HIGH);
        const __m256i shift = _mm256_setr_epi8(ORVANDEL_SHIFT, ORVANDEL_SHIFT);
        const __m256i nibble = _mm256_set1_epi8(0x0F);
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(text, 4), nibble);
        const __m256i low = _mm256_and_si256(text, nibble);
        const __m256i outside
            = _mm256_and_si256(_mm256_shuffle_epi8(byLow, low), _mm256_shuffle_epi8(byHigh, high));
        valid = static_cast<std::uint32_t>(
            _mm256_movemask_epi8(_mm256_cmpeq_epi8(outside, _mm256_setzero_si256())));
        const __m256i slash = _mm256_cmpeq_epi8(text, _mm256_set1_epi8('/'));
        return _mm256_add_epi8(text, _mm256_shuffle_epi8(shift, _mm256_add_epi8(high, slash)));
    }

    // Eight groups' values to their 24 bytes, at the start of the result.
    ORVANDEL_AVX2 inline __m256i Pack(__m256i values)
    {
        const __m256i pairs = _mm256_maddubs_epi16(values, _mm256_set1_epi32(0x01400140));
        const __m256i groups = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
        // Twelve bytes in each half, then the halves' 32-bit pieces 0 to 2 and 4 to 6 together.
        const __m256i halves = _mm256_shuffle_epi8(groups, _mm256_setr_epi8(ORVANDEL_PACK, ORVANDEL_PACK));
        return _mm256_permutevar8x32_epi32(halves, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    }

    ORVANDEL_AVX2 std::size_t DecodeAvx2(const unsigned char* in, std::size_t groups, unsigned char* out)
    {
        std::size_t done = 0;
        // A block of eight groups is stored with 32 bytes, eight past its own 24: straight to
        // `out` while three more groups follow.
        while (groups - done >= 11) {
            std::uint32_t valid;
            const __m256i bytes
                = Pack(Values(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 4 * done)), valid));
            if (valid != 0xFFFFFFFF) {
                const std::size_t whole = static_cast<std::size_t>(std::countr_one(valid)) / 4;
                alignas(32) unsigned char part[32];
                _mm256_store_si256(reinterpret_cast<__m256i*>(part), bytes);
                std::memcpy(out + 3 * done, part, 3 * whole);
                return done + whole;
            }
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 3 * done), bytes);
            done += 8;
        }
        while (done < groups) {
            const std::size_t count = groups - done < 8 ? groups - done : 8;
            alignas(32) unsigned char block[32] = {};
            std::memcpy(block, in + 4 * done, 4 * count);
            std::uint32_t valid;
            const __m256i bytes
                = Pack(Values(_mm256_load_si256(reinterpret_cast<const __m256i*>(block)), valid));
            const std::size_t whole = static_cast<std::size_t>(std::countr_one(valid)) / 4;
            _mm256_store_si256(reinterpret_cast<__m256i*>(block), bytes);
            std::memcpy(out + 3 * done, block, 3 * whole);
            done += whole;
            if (whole < 8)
                break;
        }
        return done;
    }

#endif

#undef ORVANDEL_BY_LOW
#undef ORVANDEL_BY_HIGH
#undef ORVANDEL_SHIFT
#undef ORVANDEL_PACK

} // namespace

const Base64Kernel kBase64KernelSsse3 {"ssse3", DecodeSsse3};
#if defined(ORVANDEL_BASE64_AVX2)
const Base64Kernel kBase64KernelAvx2 {"avx2", DecodeAvx2};
#endif

} // namespace orvandel

#endif
