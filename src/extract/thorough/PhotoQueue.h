#pragma once

#include "CardHandler.h"
#include "PendingPhoto.h"
#include "fetch/HttpFetcher.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>

namespace orvandel {

// The photos of an input whose cards have ended, in the order they were read, each completed
// (named, written and told) only after every photo before it: a photo behind a web address waits
// for its transfer, and those after it wait for it, so that names are decided in card order
// whatever order the transfers end in. Without a fetch under way a photo is completed at once.
class PhotoQueue
{
public:
    using Complete = std::function<void(PendingPhoto& photo, const CardFields& card)>;

    // At most this many photos wait, so that a file of 100,000 addresses takes bounded memory.
    static constexpr std::size_t kCapacity = 64;

    // `fetcher` may be null when nothing is fetched; `fetched` counts the transfers that end.
    PhotoQueue(HttpFetcher* fetcher, std::size_t& fetched, Complete complete);
    ~PhotoQueue();
    PhotoQueue(const PhotoQueue&) = delete;
    PhotoQueue& operator=(const PhotoQueue&) = delete;

    // A photo whose card has ended. With `fetch` its address is fetched into its file, which the
    // photo holds open, before it is completed.
    void add(std::unique_ptr<PendingPhoto> photo, const CardFields& card, bool fetch);
    // Moves the transfers on, waiting up to `wait` when none has ended, and completes the photos
    // at the front that are ready.
    void run(std::chrono::milliseconds wait);
    // Drops every photo not completed: transfers are cancelled, files discarded, nothing is told.
    // Returns the number of the first dropped photo's card, 0 when nothing was dropped.
    std::size_t abandon() noexcept;

    bool empty() const noexcept { return m_entries.empty(); }
    bool full() const noexcept { return m_entries.size() >= kCapacity; }
    std::size_t fetching() const noexcept { return m_fetching; } // transfers under way or queued

private:
    struct Entry;
    void completeReady();

    HttpFetcher* m_fetcher;
    Complete m_complete;
    std::deque<std::unique_ptr<Entry>> m_entries;
    std::size_t& m_fetched;
    std::size_t m_fetching = 0;
};

// Whether a response is an image: its first bytes are of a type this program knows, or the server
// calls it an image (a type told by the bytes is never taken from the server).
bool LooksLikeImage(std::string_view firstBytes, std::string_view contentType);
// Why a response is not: "not an image (text/html)", "not an image (an empty body)".
std::string NotAnImage(std::uint64_t bytes, std::string_view contentType);

} // namespace orvandel
