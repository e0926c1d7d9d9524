#include "PhotoQueue.h"

#include "ImageType.h"
#include "util/AsciiText.h"

#include <algorithm>

namespace orvandel {

namespace {

    std::string_view MediaType(std::string_view contentType)
    {
        return TrimBlanks(contentType.substr(0, contentType.find(';')));
    }

} // namespace

bool LooksLikeImage(std::string_view firstBytes, std::string_view contentType)
{
    if (SniffImageType(firstBytes) != ImageType::Unknown)
        return true;
    const std::string_view media = MediaType(contentType);
    return !firstBytes.empty() && media.size() > 6 && EqualsIgnoringAsciiCase(media.substr(0, 6), "image/");
}

std::string NotAnImage(std::uint64_t bytes, std::string_view contentType)
{
    if (bytes == 0)
        return "not an image (an empty body)";
    const std::string_view media = MediaType(contentType);
    if (media.empty())
        return "not an image";
    return "not an image (" + std::string(media) + ")";
}

// A photo waiting in the queue; while its address is fetched, its body goes into its file.
struct PhotoQueue::Entry : FetchBody
{
    std::unique_ptr<PendingPhoto> photo;
    CardFields card;
    bool fetching = false;
    HttpFetcher::Id transfer = 0;
    bool judged = false; // its first bytes were looked at
    std::string notImage; // why its transfer was ended early

    bool received(std::string_view bytes, std::string_view contentType) noexcept override
    {
        photo->write(bytes);
        if (photo->failed)
            return false;
        if (!judged && photo->firstBytes.size() >= kImageSniffLength) {
            judged = true;
            // A sign-in page of 20 MB is not read to its end.
            if (!LooksLikeImage(photo->firstBytes, contentType)) {
                notImage = NotAnImage(photo->firstBytes.size(), contentType);
                return false;
            }
        }
        return true;
    }
};

PhotoQueue::PhotoQueue(HttpFetcher* fetcher, std::size_t& fetched, Complete complete)
    : m_fetcher(fetcher)
    , m_complete(std::move(complete))
    , m_fetched(fetched)
{
}

PhotoQueue::~PhotoQueue()
{
    abandon();
}

void PhotoQueue::add(std::unique_ptr<PendingPhoto> photo, const CardFields& card, bool fetch)
{
    if (!fetch && m_entries.empty()) {
        m_complete(*photo, card);
        return;
    }
    auto entry = std::make_unique<Entry>();
    entry->photo = std::move(photo);
    entry->card = card;
    if (fetch) {
        if (!m_fetcher) {
            entry->photo->fail(RunStep::FetchPhoto,
                               entry->photo->start.address + ": the HTTP client could not be started");
        } else {
            entry->fetching = true;
            entry->transfer = m_fetcher->add(entry->photo->start.address, *entry);
            ++m_fetching;
        }
    }
    m_entries.push_back(std::move(entry));
    completeReady();
}

void PhotoQueue::run(std::chrono::milliseconds wait)
{
    if (m_fetcher && m_fetching > 0) {
        for (auto& [id, outcome] : m_fetcher->run(wait)) {
            // A copy: clang 14 takes no structured binding into a lambda.
            const auto transfer = id;
            const auto found
                = std::find_if(m_entries.begin(), m_entries.end(), [transfer](const auto& entry) {
                      return entry->fetching && entry->transfer == transfer;
                  });
            if (found == m_entries.end())
                continue;
            Entry& entry = **found;
            entry.fetching = false;
            --m_fetching;
            ++m_fetched;
            PendingPhoto& photo = *entry.photo;
            photo.end.bytes = outcome.bytes;
            const std::string& address = photo.start.address;
            if (photo.failed)
                continue; // its file could not be written; that is its failure
            if (!outcome.ok) {
                photo.fail(RunStep::FetchPhoto,
                           address + ": " + (outcome.stoppedByBody ? entry.notImage : outcome.error));
                continue;
            }
            if (!LooksLikeImage(photo.firstBytes, outcome.contentType)) {
                photo.fail(RunStep::FetchPhoto,
                           address + ": " + NotAnImage(outcome.bytes, outcome.contentType));
                continue;
            }
            try {
                photo.file->close();
            } catch (const std::exception& error) {
                photo.failWriting(error);
            }
            photo.takeDigest();
        }
    }
    completeReady();
}

void PhotoQueue::completeReady()
{
    while (!m_entries.empty() && !m_entries.front()->fetching) {
        std::unique_ptr<Entry> entry = std::move(m_entries.front());
        m_entries.pop_front();
        m_complete(*entry->photo, entry->card);
    }
}

std::size_t PhotoQueue::abandon() noexcept
{
    const std::size_t card = m_entries.empty() ? 0 : std::max<std::size_t>(m_entries.front()->card.number, 1);
    for (auto& entry : m_entries) {
        if (entry->fetching && m_fetcher)
            m_fetcher->cancel(entry->transfer);
        if (entry->photo->file)
            entry->photo->file->discard();
    }
    m_entries.clear();
    m_fetching = 0;
    return card;
}

} // namespace orvandel
