#include "IpAddress.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace orvandel {

namespace {

    const char* const kThisMachine = "an address of this machine";
    const char* const kLocalNetwork = "an address of the local network";
    const char* const kNoHost = "not the address of a host on the internet";

    int DigitValue(char c, int base)
    {
        int value = 99;
        if (c >= '0' && c <= '9')
            value = c - '0';
        else if (c >= 'a' && c <= 'f')
            value = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            value = c - 'A' + 10;
        return value < base ? value : -1;
    }

    // One part of a numeric IPv4 host: decimal, octal after "0", hexadecimal after "0x".
    std::optional<std::uint64_t> NumberPart(std::string_view part)
    {
        int base = 10;
        if (part.size() >= 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
            base = 16;
            part.remove_prefix(2);
            if (part.empty())
                return 0; // "0x" alone is zero, as the resolvers take it
        } else if (part.size() >= 2 && part[0] == '0') {
            base = 8;
            part.remove_prefix(1);
        }
        if (part.empty())
            return std::nullopt;
        std::uint64_t value = 0;
        for (const char c : part) {
            const int digit = DigitValue(c, base);
            if (digit < 0)
                return std::nullopt;
            value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
            if (value > 0xffffffffULL)
                return std::nullopt;
        }
        return value;
    }

    std::optional<IpAddress> ParseIpv4(std::string_view text)
    {
        if (!text.empty() && text.back() == '.')
            text.remove_suffix(1);
        std::vector<std::uint64_t> parts;
        while (true) {
            const auto dot = text.find('.');
            const auto value = NumberPart(text.substr(0, dot));
            if (!value || parts.size() == 4)
                return std::nullopt;
            parts.push_back(*value);
            if (dot == std::string_view::npos)
                break;
            text.remove_prefix(dot + 1);
        }
        // Every part but the last is one byte; the last fills the bytes that are left.
        std::uint32_t address = 0;
        for (std::size_t k = 0; k + 1 < parts.size(); ++k) {
            if (parts[k] > 255)
                return std::nullopt;
            address |= static_cast<std::uint32_t>(parts[k]) << (24 - 8 * k);
        }
        const unsigned lastBits = 8 * static_cast<unsigned>(5 - parts.size());
        if (lastBits < 32 && parts.back() >= (1ULL << lastBits))
            return std::nullopt;
        address |= static_cast<std::uint32_t>(parts.back());
        return IpAddress::v4(address);
    }

    // The 16-bit groups of an IPv6 address, "::" standing for as many zero groups as are missing.
    std::optional<IpAddress> ParseIpv6(std::string_view text)
    {
        if (const auto zone = text.find('%'); zone != std::string_view::npos)
            text = text.substr(0, zone);
        std::vector<std::uint16_t> head;
        std::vector<std::uint16_t> tail;
        bool compressed = false;
        if (text.starts_with("::")) {
            compressed = true;
            text.remove_prefix(2);
        }
        while (!text.empty()) {
            auto& groups = compressed ? tail : head;
            const auto colon = text.find(':');
            const std::string_view group = text.substr(0, colon);
            if (colon == std::string_view::npos && group.find('.') != std::string_view::npos) {
                // The last 32 bits written as dotted IPv4, four decimal bytes.
                const auto v4 = ParseIpv4(group);
                if (!v4 || std::count(group.begin(), group.end(), '.') != 3 || group.back() == '.')
                    return std::nullopt;
                groups.push_back(static_cast<std::uint16_t>(v4->bytes[0] << 8 | v4->bytes[1]));
                groups.push_back(static_cast<std::uint16_t>(v4->bytes[2] << 8 | v4->bytes[3]));
                text = {};
                break;
            }
            if (group.empty() || group.size() > 4)
                return std::nullopt;
            std::uint16_t value = 0;
            for (const char c : group) {
                const int digit = DigitValue(c, 16);
                if (digit < 0)
                    return std::nullopt;
                value = static_cast<std::uint16_t>(value << 4 | digit);
            }
            groups.push_back(value);
            if (colon == std::string_view::npos)
                break;
            text.remove_prefix(colon + 1);
            if (text.starts_with(":")) {
                if (compressed)
                    return std::nullopt; // a second "::"
                compressed = true;
                text.remove_prefix(1);
            } else if (text.empty()) {
                return std::nullopt; // a ":" at the end
            }
        }
        const std::size_t count = head.size() + tail.size();
        if (compressed ? count > 7 : count != 8)
            return std::nullopt;
        IpAddress address;
        address.v6 = true;
        std::vector<std::uint16_t> groups = head;
        groups.resize(8 - tail.size(), 0);
        groups.insert(groups.end(), tail.begin(), tail.end());
        for (std::size_t k = 0; k < 8; ++k) {
            address.bytes[2 * k] = static_cast<std::uint8_t>(groups[k] >> 8);
            address.bytes[2 * k + 1] = static_cast<std::uint8_t>(groups[k]);
        }
        return address;
    }

    bool InV4(const IpAddress& a, std::uint32_t network, int prefix)
    {
        const std::uint32_t value = static_cast<std::uint32_t>(a.bytes[0]) << 24
            | static_cast<std::uint32_t>(a.bytes[1]) << 16 | static_cast<std::uint32_t>(a.bytes[2]) << 8
            | a.bytes[3];
        const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t {0} << (32 - prefix);
        return (value & mask) == network;
    }

    bool InV6(const IpAddress& a, std::initializer_list<std::uint8_t> start, int prefix)
    {
        std::array<std::uint8_t, 16> network {};
        std::copy(start.begin(), start.end(), network.begin());
        for (int bit = 0; bit < prefix; ++bit) {
            const int byte = bit / 8;
            const int mask = 0x80 >> (bit % 8);
            if ((a.bytes[byte] & mask) != (network[byte] & mask))
                return false;
        }
        return true;
    }

    IpAddress V4At(const IpAddress& a, std::size_t offset)
    {
        IpAddress v4;
        std::copy(a.bytes.begin() + offset, a.bytes.begin() + offset + 4, v4.bytes.begin());
        return v4;
    }

    std::optional<std::string> V4Reason(const IpAddress& a)
    {
        if (InV4(a, 0x7f000000, 8))
            return kThisMachine;
        if (InV4(a, 0x0a000000, 8) || InV4(a, 0xac100000, 12) || InV4(a, 0xc0a80000, 16)
            || InV4(a, 0x64400000, 10) || InV4(a, 0xa9fe0000, 16))
            return kLocalNetwork; // private, shared (carrier-grade NAT), link-local
        if (InV4(a, 0x00000000, 8) || InV4(a, 0xc0000000, 24) || InV4(a, 0xc6120000, 15)
            || InV4(a, 0xe0000000, 4) || InV4(a, 0xf0000000, 4))
            return kNoHost; // "this network", protocol assignments, benchmarking, multicast, reserved
        return std::nullopt;
    }

} // namespace

IpAddress IpAddress::v4(std::uint32_t value)
{
    IpAddress address;
    address.bytes[0] = static_cast<std::uint8_t>(value >> 24);
    address.bytes[1] = static_cast<std::uint8_t>(value >> 16);
    address.bytes[2] = static_cast<std::uint8_t>(value >> 8);
    address.bytes[3] = static_cast<std::uint8_t>(value);
    return address;
}

std::string IpAddress::text() const
{
    char text[64];
    if (!v6) {
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", bytes[0], bytes[1], bytes[2], bytes[3]);
        return text;
    }
    // The longest run of two or more zero groups is written "::".
    std::array<unsigned, 8> groups {};
    for (std::size_t k = 0; k < 8; ++k)
        groups[k] = static_cast<unsigned>(bytes[2 * k] << 8 | bytes[2 * k + 1]);
    int bestStart = -1;
    int bestLength = 1;
    for (int k = 0; k < 8;) {
        int length = 0;
        while (k + length < 8 && groups[static_cast<std::size_t>(k + length)] == 0)
            ++length;
        if (length > bestLength) {
            bestStart = k;
            bestLength = length;
        }
        k += length > 0 ? length : 1;
    }
    std::string out;
    for (int k = 0; k < 8; ++k) {
        if (k == bestStart) {
            out += "::";
            k += bestLength - 1;
            continue;
        }
        if (!out.empty() && !out.ends_with(':'))
            out += ':';
        std::snprintf(text, sizeof text, "%x", groups[static_cast<std::size_t>(k)]);
        out += text;
    }
    return out;
}

std::optional<IpAddress> ParseIpAddress(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
        return ParseIpv6(text.substr(1, text.size() - 2));
    if (text.find(':') != std::string_view::npos)
        return ParseIpv6(text);
    return ParseIpv4(text);
}

std::optional<std::string> LocalAddressReason(const IpAddress& a)
{
    if (!a.v6)
        return V4Reason(a);
    if (InV6(a, {}, 128))
        return kNoHost; // ::
    if (InV6(a, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 128))
        return kThisMachine; // ::1
    // Forms that carry an IPv4 address: mapped, compatible, NAT64 and 6to4.
    if (InV6(a, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff}, 96) || InV6(a, {}, 96)
        || InV6(a, {0, 0x64, 0xff, 0x9b}, 96))
        return V4Reason(V4At(a, 12));
    if (InV6(a, {0x20, 0x02}, 16))
        return V4Reason(V4At(a, 2));
    if (InV6(a, {0xfc}, 7) || InV6(a, {0xfe, 0x80}, 10) || InV6(a, {0xfe, 0xc0}, 10)
        || InV6(a, {0, 0x64, 0xff, 0x9b, 0, 1}, 48))
        return kLocalNetwork; // unique local, link-local, the old site-local, local-use NAT64
    if (InV6(a, {0xff}, 8) || InV6(a, {0x01, 0, 0, 0, 0, 0, 0, 0}, 64))
        return kNoHost; // multicast, discard-only
    return std::nullopt;
}

} // namespace orvandel
