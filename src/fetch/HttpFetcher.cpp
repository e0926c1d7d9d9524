#include "HttpFetcher.h"

#include "util/AsciiText.h"

namespace orvandel {

bool IsFetchableAddress(std::string_view address)
{
    const auto colon = address.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view scheme = address.substr(0, colon);
    return EqualsIgnoringAsciiCase(scheme, "http") || EqualsIgnoringAsciiCase(scheme, "https");
}

std::string AddressHost(std::string_view address)
{
    const auto start = address.find("://");
    if (start == std::string_view::npos)
        return {};
    std::string_view authority = address.substr(start + 3);
    authority = authority.substr(0, authority.find_first_of("/?#"));
    if (const auto at = authority.rfind('@'); at != std::string_view::npos)
        authority.remove_prefix(at + 1);
    if (authority.starts_with("[")) {
        const auto close = authority.find(']');
        return close == std::string_view::npos ? std::string() : AsciiLower(authority.substr(0, close + 1));
    }
    return AsciiLower(authority.substr(0, authority.find(':')));
}

} // namespace orvandel
