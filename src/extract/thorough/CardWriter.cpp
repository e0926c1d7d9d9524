#include "CardWriter.h"

#include "DigestWorker.h"
#include "Sha256.h"
#include "util/OutputFolder.h"
#include "util/PathHelpers.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace orvandel {

namespace {

    // A card with more photos than this before its end gets them named with what is known so far,
    // so that an absurd card cannot make the run hold an unbounded list.
    constexpr std::size_t kMaxPendingPhotos = 256;

    // How long the writer waits for transfers before it yields to the surroundings again.
    constexpr std::chrono::milliseconds kFetchWait {50};

    std::string StripExtensionSafely(const std::string& name)
    {
        try {
            return StripExtension(name);
        } catch (const std::exception&) {
            return name;
        }
    }

} // namespace

CardWriter::CardWriter(RunContext& run,
                       const ThoroughOptions& options,
                       ThoroughOutput& output,
                       std::size_t position,
                       std::string input)
    : m_run(run)
    , m_options(options)
    , m_output(output)
    , m_position(position)
    , m_input(std::move(input))
    , m_fileStem(StripExtensionSafely(GetFileName(m_input)))
    , m_queue(m_output.fetcher.get(), m_output.fetched, [this](PendingPhoto& photo, const CardFields& card) {
        complete(photo, card);
    })
{
}

void CardWriter::cardStarted(std::size_t number)
{
    if (m_closed)
        return;
    m_pending.clear();
    m_cardNumber = number;
    m_inCard = true;
}

PhotoOutput* CardWriter::photoStarted(const PhotoStart& start)
{
    if (m_closed)
        return nullptr;
    auto photo = std::make_unique<PendingPhoto>();
    photo->start = start;
    // The run after one that listed the web addresses takes nothing else, and decodes nothing.
    if (start.form == PhotoForm::Inline && !m_options.linksOnly)
        openFile(*photo);
    m_pending.push_back(std::move(photo));
    PendingPhoto& added = *m_pending.back();
    return added.file ? &added : nullptr;
}

// The photo's own name is known at the card's end. Until then a temporary file that has a name
// carries the input's and the card's.
void CardWriter::openFile(PendingPhoto& photo)
{
    try {
        if (!m_output.folder)
            throw std::runtime_error("The output folder could not be opened.");
        photo.file = std::make_unique<ReplacingFile>(m_output.folder, m_output.folder->path());
        photo.file->create(m_fileStem + "-" + std::to_string(m_cardNumber));
    } catch (const std::exception& error) {
        photo.file.reset();
        photo.fail(RunStep::CreatePhoto, std::string("Cannot create the photo's file: ") + error.what());
    }
    if (!m_options.unique || !photo.file)
        return;
    photo.hashing = true;
    try {
        // A fetched photo's bytes come in pieces over a while: it is hashed as they come.
        if (photo.start.form == PhotoForm::Inline && m_output.digests && m_output.digests->keepingUp()) {
            photo.worker = m_output.digests.get();
            photo.job = std::make_unique<DigestWorker::Job>();
            photo.kept = &m_keptBytes;
        } else {
            photo.sha = std::make_unique<Sha256>();
        }
    } catch (const std::exception& error) {
        photo.fail(RunStep::CreatePhoto, std::string("Cannot take the photo's digest: ") + error.what());
    }
}

void CardWriter::photoEnded(const PhotoEnd& end, const CardFields& card)
{
    if (m_closed)
        return;
    PendingPhoto& photo = *m_pending.back();
    photo.end = end;
    if (m_options.linksOnly && photo.start.form != PhotoForm::Link) {
        m_pending.pop_back(); // told by the run before
        return;
    }
    if (photo.start.form == PhotoForm::Inline) {
        if (!end.ok) {
            std::string description = "Cannot decode the photo: " + end.error;
            if (end.errorLine != 0 && end.errorLine != photo.start.line)
                description += " at line " + std::to_string(end.errorLine);
            photo.fail(RunStep::DecodePhoto, description);
        } else if (end.bytes == 0 && !photo.failed) {
            m_pending.pop_back(); // Base64 of nothing: no photo
            return;
        }
        if (!photo.failed) {
            try {
                photo.file->close();
            } catch (const std::exception& error) {
                photo.failWriting(error);
            }
        }
        photo.takeDigest();
    } else if (photo.start.form == PhotoForm::Unsupported) {
        photo.fail(RunStep::DecodePhoto, "The photo cannot be taken out: " + end.error);
    }
    if (m_pending.size() >= kMaxPendingPhotos)
        finishPending(card);
}

void CardWriter::cardEnded(const CardFields& card)
{
    if (m_closed)
        return;
    finishDeferred(true); // a whole card was read meanwhile
    const bool hashing
        = std::any_of(m_pending.begin(), m_pending.end(), [](const auto& photo) { return photo->submitted; });
    if (hashing) {
        // Named once the next card is read, or the reader stops: meanwhile the digest
        // thread takes the digests.
        m_deferred.swap(m_pending);
        m_deferredCard = card;
    } else {
        finishPending(card);
    }
    m_inCard = false;
    ++m_cardsEnded;
    if (m_stopping)
        m_closed = true;
}

void CardWriter::stopAfterTheCard()
{
    m_stopping = true;
    // Transfers are not waited for: what is under way is dropped, with the card it belongs to.
    if (m_options.fetch && (m_inCard || !m_queue.empty())) {
        drop();
        return;
    }
    if (!m_inCard)
        m_closed = true;
}

std::size_t CardWriter::cardsEnded() const
{
    return m_droppedFromCard != 0 ? std::min(m_cardsEnded, m_droppedFromCard - 1) : m_cardsEnded;
}

void CardWriter::drop()
{
    std::size_t card = m_queue.abandon();
    if (card == 0)
        card = m_inCard ? m_cardNumber : m_cardsEnded + 1;
    if (m_droppedFromCard == 0 || card < m_droppedFromCard)
        m_droppedFromCard = card;
    m_closed = true;
}

void CardWriter::moveFetchesOn()
{
    if (!m_queue.empty())
        m_queue.run(std::chrono::milliseconds(0));
}

void CardWriter::drain()
{
    finishDeferred();
    waitFor([this] { return m_queue.empty(); });
}

template<class Done> void CardWriter::waitFor(Done done)
{
    while (!m_closed && !done()) {
        m_run.steps.step(RunStep::FetchPhoto, [&] { m_queue.run(kFetchWait); });
        m_run.steps.step(RunStep::FetchYield, [&] {
            m_run.observer.fetchProgress(
                {m_position, m_input, m_output.fetched, m_output.fetcher ? m_output.fetcher->pending() : 0});
        });
        const StopRequest stop = m_run.yield(RunStep::FetchYield);
        if (stop == StopRequest::None)
            continue;
        m_stopping = true;
        m_stoppedNow = stop == StopRequest::Now;
        drop();
    }
}

void CardWriter::finishDeferred(bool judged)
{
    if (m_deferred.empty())
        return;
    std::vector<std::unique_ptr<PendingPhoto>> photos;
    photos.swap(m_deferred);
    for (auto& photo : photos)
        finish(std::move(photo), m_deferredCard, judged);
}

void CardWriter::finishPending(const CardFields& card)
{
    finishDeferred();
    std::vector<std::unique_ptr<PendingPhoto>> photos;
    photos.swap(m_pending);
    for (auto& photo : photos)
        finish(std::move(photo), card);
}

std::string CardWriter::context(const PendingPhoto& photo, const CardFields& card) const
{
    std::string text = ". Input: " + m_input + ", card " + std::to_string(card.number);
    text += card.fn.empty() ? std::string(" (no FN)") : " (FN \"" + card.fn + "\")";
    text += ", line " + std::to_string(photo.start.line) + ".";
    return text;
}

void CardWriter::finish(std::unique_ptr<PendingPhoto> photo, const CardFields& card, bool judged)
{
    if (m_droppedFromCard != 0)
        return; // dropped by a stop
    photo->awaitDigest(judged);
    const bool link = photo->start.form == PhotoForm::Link;
    const bool fetch = link && m_options.fetch && IsFetchableAddress(photo->start.address);
    if (m_options.linksOnly && !fetch)
        return; // told by the run before
    if (fetch)
        openFile(*photo);
    m_queue.add(std::move(photo), card, fetch);
    if (m_queue.full())
        waitFor([this] { return !m_queue.full(); });
}

void CardWriter::complete(PendingPhoto& photo, const CardFields& card)
{
    PhotoResult result;
    result.position = m_position;
    result.input = m_input;
    result.card = card.number;
    result.fn = card.fn;
    result.property = photo.start.property;
    result.line = photo.start.line;
    result.repaired = photo.end.repaired;
    const ImageType declared = ImageTypeFromDeclared(photo.start.declaredType);
    result.declared
        = declared != ImageType::Unknown ? std::string(ImageTypeName(declared)) : photo.start.declaredType;

    if (photo.start.form == PhotoForm::Link) {
        result.url = photo.start.address;
        if (!photo.file && !photo.failed) {
            result.status = PhotoStatus::Link; // not fetched
            m_run.observer.photoFinished(result);
            return;
        }
    }
    if (!photo.failed)
        write(photo, card, declared, result);
    if (photo.failed) {
        result.status = PhotoStatus::Failed;
        result.output.clear();
        result.problem = photo.error;
        result.error = photo.error + context(photo, card);
        result.errorStep = photo.errorStep;
        m_run.steps.report(photo.errorStep, result.error, photo.start.line);
    }
    m_run.observer.photoFinished(result);
}

void CardWriter::write(PendingPhoto& photo, const CardFields& card, ImageType declared, PhotoResult& result)
{
    const ImageType sniffed = SniffImageType(photo.firstBytes);
    const ImageType type = sniffed != ImageType::Unknown ? sniffed : declared;
    result.type = std::string(ImageTypeName(type));
    result.typeMismatch = ImageTypesDisagree(sniffed, declared);

    if (photo.hashing) {
        result.sha256 = Sha256::hex(photo.digest);
        if (const auto earlier = m_output.writtenDigests.find(photo.digest)) {
            photo.file->discard();
            result.status = PhotoStatus::Duplicate;
            result.output = *earlier;
            ++m_written;
            return;
        }
    }

    const NameFields fields {m_fileStem, card.fn, card.number, card.uid};
    std::string target;
    try {
        target = m_output.names.place(*photo.file, m_output.written, photo.file->folder()->path(),
                                      m_options.name.expand(fields), ImageTypeExtension(type));
    } catch (const std::exception& error) {
        photo.fail(RunStep::NamePhoto, std::string("Cannot write the photo: ") + error.what());
        return;
    }
    if (photo.hashing)
        m_output.writtenDigests.add(photo.digest, target);
    result.status = PhotoStatus::Written;
    result.output = target;
    ++m_written;
}

} // namespace orvandel
