// The SSSE3 and AVX2 kernels, written once over the vector width. `V` gives the vector
// operations of one width: the 128-bit ones of Base64KernelSsse3.cpp or the 256-bit ones of
// Base64KernelAvx2.cpp. Each of those files defines ORVANDEL_KERNEL_TARGET, its instruction set
// as a function attribute, before it includes this one, so that its kernel is compiled for those
// instructions alone and runs only where the processor has them (Base64Kernel.cpp asks it).
//
// Each block of characters is checked and translated with byte shuffles that look up a
// character's two halves (nibbles) in small tables, then packed from four 6-bit values to three
// bytes with two multiply-adds and one more shuffle.

#if !defined(ORVANDEL_KERNEL_TARGET)
#error "Base64KernelX86Generic.h needs ORVANDEL_KERNEL_TARGET, the kernel's instruction set"
#endif

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>

namespace orvandel {

namespace {

    // The values of the characters of `text`, and in `valid` one bit for each that belongs to
    // the alphabet, the first character lowest.
    template<class V>
    ORVANDEL_KERNEL_TARGET inline typename V::Vector Values(typename V::Vector text, typename V::Mask& valid)
    {
        // A character with high nibble h and low nibble l is outside the alphabet exactly when
        // byLow[l] & byHigh[h] is not zero. One bit stands for each way of falling outside:
        //   0x10  h is 0, 1 or 8 to 15: no character there belongs
        //   0x01  h is 2: only "+" (l = 11) and "/" (l = 15) belong
        //   0x02  h is 3: only the digits (l = 0 to 9)
        //   0x04  h is 4 or 6: all but l = 0 ("@" and "`")
        //   0x08  h is 5 or 7: l = 0 to 10 ("P" to "Z", "p" to "z")
        const auto byLow = V::Repeat(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13, 0x1A,
                                     0x1B, 0x1B, 0x1B, 0x1A);
        const auto byHigh = V::Repeat(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10, 0x10,
                                      0x10, 0x10, 0x10, 0x10);
        // What turns an alphabet character into its value, by high nibble; "/" shares its high
        // nibble with "+" and takes entry 1 instead of 2:
        //   "/" + 16 = 63, "+" + 19 = 62, "0" + 4 = 52, "A" - 65 = 0, "P" - 65 = 15, "a" - 71 = 26.
        const auto shift = V::Repeat(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
        const auto nibble = V::Splat8(0x0F);
        const auto high = V::And(V::ShiftRight4(text), nibble);
        const auto low = V::And(text, nibble);
        const auto outside = V::And(V::Shuffle(byLow, low), V::Shuffle(byHigh, high));
        valid = V::MoveMask(V::Equal8(outside, V::Zero()));
        const auto slash = V::Equal8(text, V::Splat8('/'));
        return V::Add8(text, V::Shuffle(shift, V::Add8(high, slash)));
    }

    // The groups' values to their bytes, three for each group, at the start of the result.
    template<class V> ORVANDEL_KERNEL_TARGET inline typename V::Vector Pack(typename V::Vector values)
    {
        // Within each 16 bits: first * 64 + second; within each 32: that * 4096 + the rest.
        const auto pairs = V::MultiplyAddBytes(values, V::Splat32(0x01400140));
        const auto groups = V::MultiplyAddPairs(pairs, V::Splat32(0x00011000));
        // Within each group's 32 bits the value ends as bytes 2, 1, 0 (the first byte of the
        // three is the most significant); the last four bytes of each 16 are left empty.
        return V::JoinLanes(
            V::Shuffle(groups, V::Repeat(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1)));
    }

    // The kernel's decode (see Base64Kernel).
    template<class V>
    ORVANDEL_KERNEL_TARGET std::size_t
    DecodeGroups(const unsigned char* in, std::size_t groups, unsigned char* out)
    {
        constexpr std::size_t kBlock = V::kBytes / 4; // groups in a block
        constexpr auto kAllValid = std::numeric_limits<typename V::Mask>::max();
        // A block is stored with all of its vector, kBlock bytes past its own 3 * kBlock: straight
        // to `out` while the groups that follow own that room (and, within one buffer, hold
        // characters already read).
        constexpr std::size_t kRoomAfter = (kBlock + 2) / 3;
        std::size_t done = 0;
        while (groups - done >= kBlock + kRoomAfter) {
            typename V::Mask valid;
            const auto bytes = Pack<V>(Values<V>(V::Load(in + 4 * done), valid));
            if (valid != kAllValid) {
                const std::size_t whole = static_cast<std::size_t>(std::countr_one(valid)) / 4;
                unsigned char part[V::kBytes];
                V::Store(part, bytes);
                std::memcpy(out + 3 * done, part, 3 * whole);
                return done + whole;
            }
            V::Store(out + 3 * done, bytes);
            done += kBlock;
        }
        // The last groups through a copy, which a byte outside the alphabet ends.
        while (done < groups) {
            const std::size_t count = groups - done < kBlock ? groups - done : kBlock;
            unsigned char block[V::kBytes] = {};
            std::memcpy(block, in + 4 * done, 4 * count);
            typename V::Mask valid;
            const auto bytes = Pack<V>(Values<V>(V::Load(block), valid));
            const std::size_t whole = static_cast<std::size_t>(std::countr_one(valid)) / 4;
            V::Store(block, bytes);
            std::memcpy(out + 3 * done, block, 3 * whole);
            done += whole;
            if (whole < kBlock)
                break;
        }
        return done;
    }

} // namespace

} // namespace orvandel
