#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvandel {

// How photos are fetched from web addresses: the limits that keep a card from a stranger from
// making the program hang, fill the disk, or send requests into the user's own network.
struct FetchSettings
{
    std::string userAgent = "Orvandel";
    std::chrono::seconds timeout {60}; // a whole transfer, redirects included
    std::chrono::seconds connectTimeout {10}; // the connection alone, at most the timeout
    std::uint64_t maxBytes = 20 * 1000 * 1000; // of a body, as it is decoded
    int maxRedirects = 5;
    std::size_t maxTransfers = 8; // at once
    std::size_t maxPerHost = 4; // at once to one host, as the address names it
    bool allowLocal = false; // addresses of this machine and the local network are fetched too
    // Names resolved to these addresses instead of asking the system, as "NAME:PORT:ADDRESS"
    // (tests: a name that stands for an address of the local network).
    std::vector<std::string> resolve;
    std::string caFile; // certificates trusted instead of the system's (tests)
};

// Where a transfer's body goes, as it comes in and is decoded (gzip and the like undone).
class FetchBody
{
public:
    virtual ~FetchBody() = default;
    // More of the body; `contentType` is the response's, as sent. False ends the transfer, which
    // then ends with FetchOutcome::stoppedByBody.
    virtual bool received(std::string_view bytes, std::string_view contentType) noexcept = 0;
};

// How a transfer ended.
struct FetchOutcome
{
    bool ok = false; // the whole body of a successful response was received
    bool stoppedByBody = false; // FetchBody::received said no more
    std::string error; // what went wrong, when not ok: "HTTP 404", "timed out after 60 s", ...
    std::string contentType;
    std::uint64_t bytes = 0; // of the body, decoded
};

// Fetches web addresses, several at once, in the thread that calls it: run() moves every
// transfer on and tells which have ended. Only http and https are fetched, redirects only to
// them; certificates are verified; no cookie, credential or proxy is used. The address that a
// request would go to is checked at the moment of connecting (after the name lookup, for every
// redirect): one of this machine or the local network is refused unless allowLocal says so.
class HttpFetcher
{
public:
    using Id = std::uint64_t;

    virtual ~HttpFetcher() = default;
    // Starts fetching `url` into `body`, or queues it until a place is free. `body` must live
    // until the transfer has ended or is cancelled.
    virtual Id add(const std::string& url, FetchBody& body) = 0;
    // Ends a transfer at once; its body hears no more, and run() does not tell it.
    virtual void cancel(Id id) = 0;
    // Moves the transfers on, waiting up to `wait` for something to happen when nothing has
    // ended yet. Returns the transfers that ended, in the order they ended.
    virtual std::vector<std::pair<Id, FetchOutcome>> run(std::chrono::milliseconds wait) = 0;
    // Transfers added that have not ended, queued ones included.
    virtual std::size_t pending() const = 0;
};

// The system's HTTP client behind HttpFetcher.
std::unique_ptr<HttpFetcher> MakeHttpFetcher(FetchSettings settings);

// True for an address that may be fetched: it starts with "http:" or "https:", in any case.
bool IsFetchableAddress(std::string_view address);

// A host of `address` as the per-host limit counts it ("example.com", "[::1]"); empty when none
// can be told.
std::string AddressHost(std::string_view address);

} // namespace orvandel
