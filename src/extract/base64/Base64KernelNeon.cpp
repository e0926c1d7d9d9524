// The NEON kernel: 16 groups at a time, their four characters apart in four registers, each
// looked up in a table of the first 128 byte values, then shifted together into three bytes.

#include "Base64KernelTargets.h"

#if defined(ORVANDEL_BASE64_NEON)

#include "extract/Base64Alphabet.h"

#include <arm_neon.h>
#include <bit>
#include <cstdint>
#include <cstring>

namespace orvandel {

namespace {

    // 0 to 63 for the alphabet's characters, 255 for every other byte.
    alignas(16) constexpr auto kValues = Base64ValueTable(255);

    struct Tables
    {
        uint8x16x4_t low; // bytes 0 to 63
        uint8x16x4_t high; // bytes 64 to 127
    };

    Tables LoadTables()
    {
        Tables tables;
        for (int i = 0; i < 4; ++i) {
            tables.low.val[i] = vld1q_u8(kValues.data() + 16 * i);
            tables.high.val[i] = vld1q_u8(kValues.data() + 64 + 16 * i);
        }
        return tables;
    }

    // The values of 16 characters; 255 (or at least above 63) for those outside the alphabet.
    inline uint8x16_t Values(const Tables& tables, uint8x16_t text)
    {
        // A look-up past its table gives 0 (vqtbl4q) or keeps what it had (vqtbx4q), so bytes
        // from 128 up are marked apart.
        uint8x16_t values = vqtbl4q_u8(tables.low, text);
        values = vqtbx4q_u8(values, tables.high, vsubq_u8(text, vdupq_n_u8(64)));
        const uint8x16_t beyond = vreinterpretq_u8_s8(vshrq_n_s8(vreinterpretq_s8_u8(text), 7));
        return vorrq_u8(values, beyond);
    }

    // Decodes the 16 groups at `in` to `bytes`, and gives the number of them, from the first,
    // whose characters all belong to the alphabet.
    inline std::size_t DecodeBlock(const Tables& tables, const unsigned char* in, uint8x16x3_t& bytes)
    {
        const uint8x16x4_t text = vld4q_u8(in);
        const uint8x16_t a = Values(tables, text.val[0]);
        const uint8x16_t b = Values(tables, text.val[1]);
        const uint8x16_t c = Values(tables, text.val[2]);
        const uint8x16_t d = Values(tables, text.val[3]);
        bytes.val[0] = vorrq_u8(vshlq_n_u8(a, 2), vshrq_n_u8(b, 4));
        bytes.val[1] = vorrq_u8(vshlq_n_u8(b, 4), vshrq_n_u8(c, 2));
        bytes.val[2] = vorrq_u8(vshlq_n_u8(c, 6), d);
        const uint8x16_t outside = vcgtq_u8(vorrq_u8(vorrq_u8(a, b), vorrq_u8(c, d)), vdupq_n_u8(63));
        // Four bits for each group, the first group lowest.
        const std::uint64_t marks
            = vget_lane_u64(vreinterpret_u64_u8(vshrn_n_u16(vreinterpretq_u16_u8(outside), 4)), 0);
        return static_cast<std::size_t>(std::countr_zero(marks)) / 4;
    }

    std::size_t DecodeNeon(const unsigned char* in, std::size_t groups, unsigned char* out)
    {
        static const Tables tables = LoadTables();
        std::size_t done = 0;
        while (groups - done >= 16) {
            uint8x16x3_t bytes;
            const std::size_t whole = DecodeBlock(tables, in + 4 * done, bytes);
            if (whole < 16) {
                unsigned char part[48];
                vst3q_u8(part, bytes);
                std::memcpy(out + 3 * done, part, 3 * whole);
                return done + whole;
            }
            vst3q_u8(out + 3 * done, bytes);
            done += 16;
        }
        if (done < groups) {
            // The last groups through a copy, whose empty end is outside the alphabet.
            unsigned char block[64] = {};
            std::memcpy(block, in + 4 * done, 4 * (groups - done));
            uint8x16x3_t bytes;
            const std::size_t whole = DecodeBlock(tables, block, bytes);
            vst3q_u8(block, bytes);
            std::memcpy(out + 3 * done, block, 3 * whole);
            done += whole;
        }
        return done;
    }

} // namespace

const Base64Kernel kBase64KernelNeon {"neon", DecodeNeon};

} // namespace orvandel

#endif
