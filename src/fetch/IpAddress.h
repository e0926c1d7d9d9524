#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvandel {

// An IPv4 or IPv6 address as its bytes, in network order.
struct IpAddress
{
    bool v6 = false;
    std::array<std::uint8_t, 16> bytes {}; // IPv4 uses the first four

    static IpAddress v4(std::uint32_t value);
    std::string text() const; // "10.0.0.1", "fe80::1"
    bool operator==(const IpAddress&) const = default;
};

// An address written as a URL's host may write it: IPv4 in any of the forms that name lookups
// take ("127.0.0.1", "2130706433", "0x7f.1", "0177.0.0.1", "127.1", a dot at the end), IPv6 with
// or without its brackets, with a zone ("fe80::1%eth0") and a dotted IPv4 end ("::ffff:10.0.0.1").
// Nothing for a name.
std::optional<IpAddress> ParseIpAddress(std::string_view text);

// Why a program may not send a card's request to `address` on its own: it belongs to this machine
// ("an address of this machine"), to the local network (private, shared, link-local and unique
// local ranges: "an address of the local network"), or to no host on the internet at all (the
// unspecified address, multicast, reserved ranges). IPv6 forms that carry an IPv4 address
// (mapped, compatible, NAT64, 6to4) are judged by it. Nothing for an address on the internet.
std::optional<std::string> LocalAddressReason(const IpAddress& address);

} // namespace orvandel
