#pragma once

#include <cstdint>
#include <string_view>

namespace orvandel {

// A 64-bit fingerprint of some bytes, for tables that keep what they have seen without keeping
// the bytes themselves. Fingerprints are keyed by a seed chosen at random when the program
// starts, so that nobody can write card names that are made to collide. Two different texts
// share a fingerprint once in about 2^64 pairs: tables that hold fingerprints must only ever be
// wrong on the safe side when that happens.
std::uint64_t Fingerprint(std::string_view bytes) noexcept;
// The same, with `salt` mixed in: one table can keep names of several folders apart.
std::uint64_t Fingerprint(std::string_view bytes, std::uint64_t salt) noexcept;

} // namespace orvandel
