#include "ThoroughExtractor.h"

#include "ByteSource.h"
#include "CardReader.h"
#include "DigestWorker.h"
#include "ImageType.h"
#include "Sha256.h"
#include "TextSource.h"
#include "WrittenDigests.h"
#include "util/FileError.h"
#include "util/OutputFolder.h"
#include "util/PathHelpers.h"
#include "util/ReplacingFile.h"
#include "util/WrittenFiles.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace orvandel {

namespace {

    constexpr std::uint64_t kProgressEvery = 1024 * 1024;
    // A card with more photos than this before its end gets them named with what is known so far,
    // so that an absurd card cannot make the run hold an unbounded list.
    constexpr std::size_t kMaxPendingPhotos = 256;
    // The photos' bytes kept for the digest thread, at most: beyond it, a photo is hashed as it is
    // written.
    constexpr std::size_t kHashAheadBytes = 4 * 1024 * 1024;

    // What a failed write says before the photo has its name: the system's reason; the report
    // adds the input, the card and its FN.
    std::string WriteFailure(const std::exception& error)
    {
        if (const auto* fileError = dynamic_cast<const FileError*>(&error); fileError && fileError->code())
            return "Cannot write the photo (" + fileError->code().message() + ")";
        return std::string("Cannot write the photo: ") + error.what();
    }

    // One photo of the card being read, from its start until it is named and written.
    class PendingPhoto : public PhotoOutput
    {
    public:
        PhotoStart start;
        std::unique_ptr<ReplacingFile> file;
        std::string firstBytes;
        bool hashing = false; // its digest is taken (--unique)
        std::unique_ptr<Sha256> sha; // when the digest is taken as the photo is written
        Sha256::Digest digest {};
        DigestWorker* worker = nullptr; // takes the digest when the photo is small enough
        std::unique_ptr<DigestWorker::Job> job; // the photo's bytes while they are kept for it
        std::size_t* kept = nullptr; // the bytes the card writer keeps for the thread, in all
        bool submitted = false;
        PhotoEnd end;
        bool failed = false;
        std::string error;
        RunStep errorStep = RunStep::CheckList;

        PendingPhoto() = default;
        PendingPhoto(const PendingPhoto&) = delete;
        PendingPhoto& operator=(const PendingPhoto&) = delete;
        ~PendingPhoto() override
        {
            if (submitted)
                worker->wait(*job); // the thread must be done with the bytes and the digest
            release();
        }

        // The whole photo is written: its digest is taken, on the digest thread where there is one.
        void takeDigest()
        {
            if (!hashing || failed)
                return;
            if (job) {
                worker->submit(*job);
                submitted = true;
                return;
            }
            try {
                digest = sha->finish();
            } catch (const std::exception& error) {
                fail(RunStep::WritePhoto, std::string("Cannot take the photo's digest: ") + error.what());
            }
        }

        // Waits for a digest taken on the digest thread.
        // `judged`: see DigestWorker::wait.
        void awaitDigest(bool judged)
        {
            if (!submitted)
                return;
            worker->wait(*job, judged);
            submitted = false;
            if (!job->error.empty())
                fail(RunStep::WritePhoto, "Cannot take the photo's digest: " + job->error);
            else
                digest = job->digest;
            release();
        }

        void fail(RunStep step, std::string description)
        {
            if (failed)
                return;
            failed = true;
            errorStep = step;
            error = std::move(description);
            if (file)
                file->discard();
        }

        void write(std::string_view bytes) noexcept override
        {
            if (failed || !file)
                return;
            if (firstBytes.size() < kImageSniffLength)
                firstBytes.append(bytes.substr(0, kImageSniffLength - firstBytes.size()));
            if (hashing) {
                hash(bytes);
                if (failed)
                    return;
            }
            try {
                file->write(bytes);
            } catch (const std::exception& error) {
                fail(RunStep::WritePhoto, WriteFailure(error));
            }
        }

    private:
        void hash(std::string_view bytes) noexcept
        {
            if (job && *kept + bytes.size() <= kHashAheadBytes) {
                try {
                    job->bytes.append(bytes);
                    *kept += bytes.size();
                    return;
                } catch (const std::bad_alloc&) {
                }
            }
            if (!sha) {
                try {
                    sha = std::make_unique<Sha256>();
                } catch (const std::exception& error) {
                    fail(RunStep::WritePhoto, std::string("Cannot take the photo's digest: ") + error.what());
                    return;
                }
            }
            if (job) {
                sha->update(job->bytes);
                release();
            }
            sha->update(bytes);
        }

        void release() noexcept
        {
            if (!job)
                return;
            *kept -= job->bytes.size();
            job.reset();
        }
    };

    struct InputSummary
    {
        std::size_t written = 0;
    };

    // Writes the photos of one input as its cards are read.
    class CardWriter : public CardHandler
    {
    public:
        CardWriter(RunContext& run,
                   const ThoroughOptions& options,
                   const std::shared_ptr<OutputFolder>& folder,
                   OutputNames& names,
                   WrittenFiles& written,
                   WrittenDigests& writtenDigests,
                   DigestWorker* worker,
                   std::size_t position,
                   std::string input)
            : m_run(run)
            , m_options(options)
            , m_folder(folder)
            , m_names(names)
            , m_written(written)
            , m_writtenDigests(writtenDigests)
            , m_worker(worker)
            , m_position(position)
            , m_input(std::move(input))
            , m_fileStem(StripExtensionSafely(GetFileName(m_input)))
        {
        }

        void cardStarted(std::size_t number) override
        {
            if (m_closed)
                return;
            m_pending.clear();
            m_cardNumber = number;
            m_inCard = true;
        }

        PhotoOutput* photoStarted(const PhotoStart& start) override
        {
            if (m_closed)
                return nullptr;
            auto photo = std::make_unique<PendingPhoto>();
            photo->start = start;
            if (start.form == PhotoForm::Inline) {
                try {
                    if (!m_folder)
                        throw std::runtime_error("The output folder could not be opened.");
                    // The photo's own name is known at the card's end. Until then a temporary
                    // file that has a name carries the input's and the card's.
                    photo->file = std::make_unique<ReplacingFile>(m_folder, m_folder->path());
                    photo->file->create(m_fileStem + "-" + std::to_string(m_cardNumber));
                } catch (const std::exception& error) {
                    photo->file.reset();
                    photo->fail(RunStep::CreatePhoto,
                                std::string("Cannot create the photo's file: ") + error.what());
                }
                if (m_options.unique && photo->file) {
                    photo->hashing = true;
                    try {
                        if (m_worker && m_worker->keepingUp()) {
                            photo->worker = m_worker;
                            photo->job = std::make_unique<DigestWorker::Job>();
                            photo->kept = &m_keptBytes;
                        } else {
                            photo->sha = std::make_unique<Sha256>();
                        }
                    } catch (const std::exception& error) {
                        photo->fail(RunStep::CreatePhoto,
                                    std::string("Cannot take the photo's digest: ") + error.what());
                    }
                }
            }
            m_pending.push_back(std::move(photo));
            PendingPhoto& added = *m_pending.back();
            return added.file ? &added : nullptr;
        }

        void photoEnded(const PhotoEnd& end, const CardFields& card) override
        {
            if (m_closed)
                return;
            PendingPhoto& photo = *m_pending.back();
            photo.end = end;
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
                        photo.fail(RunStep::WritePhoto, WriteFailure(error));
                    }
                }
                photo.takeDigest();
            } else if (photo.start.form == PhotoForm::Unsupported) {
                photo.fail(RunStep::DecodePhoto, "The photo cannot be taken out: " + end.error);
            }
            if (m_pending.size() >= kMaxPendingPhotos)
                finishPending(card);
        }

        void cardEnded(const CardFields& card) override
        {
            if (m_closed)
                return;
            finishDeferred(true); // a whole card was read meanwhile
            const bool hashing = std::any_of(m_pending.begin(), m_pending.end(),
                                             [](const auto& photo) { return photo->submitted; });
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

        // The run is to stop: the card under way is the last one written. Whatever the reader
        // goes on to read is left alone.
        void stopAfterTheCard()
        {
            m_stopping = true;
            if (!m_inCard)
                m_closed = true;
        }
        // True once the writer takes no more cards.
        bool closed() const { return m_closed; }
        std::size_t cardsEnded() const { return m_cardsEnded; }

        const InputSummary& summary() const { return m_summary; }

        // Names and writes the photos of a card that ended while its digests were being taken.
        // The reader calls it whenever it pauses, so that every card it has ended is written
        // before anything else happens; then the digests are wanted at once, and how long they
        // take is not judged.
        void finishDeferred(bool judged = false)
        {
            if (m_deferred.empty())
                return;
            std::vector<std::unique_ptr<PendingPhoto>> photos;
            photos.swap(m_deferred);
            for (auto& photo : photos)
                finish(*photo, m_deferredCard, judged);
        }

    private:
        static std::string StripExtensionSafely(const std::string& name)
        {
            try {
                return StripExtension(name);
            } catch (const std::exception&) {
                return name;
            }
        }

        void finishPending(const CardFields& card)
        {
            finishDeferred();
            for (auto& photo : m_pending)
                finish(*photo, card);
            m_pending.clear();
        }

        std::string context(const PendingPhoto& photo, const CardFields& card) const
        {
            std::string text = ". Input: " + m_input + ", card " + std::to_string(card.number);
            text += card.fn.empty() ? std::string(" (no FN)") : " (FN \"" + card.fn + "\")";
            text += ", line " + std::to_string(photo.start.line) + ".";
            return text;
        }

        void finish(PendingPhoto& photo, const CardFields& card, bool judged = false)
        {
            photo.awaitDigest(judged);
            PhotoResult result;
            result.position = m_position;
            result.input = m_input;
            result.card = card.number;
            result.fn = card.fn;
            result.property = photo.start.property;
            result.line = photo.start.line;
            result.repaired = photo.end.repaired;
            const ImageType declared = ImageTypeFromDeclared(photo.start.declaredType);
            result.declared = declared != ImageType::Unknown ? std::string(ImageTypeName(declared))
                                                             : photo.start.declaredType;

            if (photo.start.form == PhotoForm::Link) {
                result.status = PhotoStatus::Link;
                result.url = photo.start.address;
                m_run.observer.photoFinished(result);
                return;
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

        void write(PendingPhoto& photo, const CardFields& card, ImageType declared, PhotoResult& result)
        {
            const ImageType sniffed = SniffImageType(photo.firstBytes);
            const ImageType type = sniffed != ImageType::Unknown ? sniffed : declared;
            result.type = std::string(ImageTypeName(type));
            result.typeMismatch = ImageTypesDisagree(sniffed, declared);

            if (photo.hashing) {
                result.sha256 = Sha256::hex(photo.digest);
                if (const auto earlier = m_writtenDigests.find(photo.digest)) {
                    photo.file->discard();
                    result.status = PhotoStatus::Duplicate;
                    result.output = *earlier;
                    ++m_summary.written;
                    return;
                }
            }

            const NameFields fields {m_fileStem, card.fn, card.number, card.uid};
            std::string target;
            try {
                target = m_names.place(*photo.file, m_written, photo.file->folder()->path(),
                                       m_options.name.expand(fields), ImageTypeExtension(type));
            } catch (const std::exception& error) {
                photo.fail(RunStep::NamePhoto, std::string("Cannot write the photo: ") + error.what());
                return;
            }
            if (photo.hashing)
                m_writtenDigests.add(photo.digest, target);
            result.status = PhotoStatus::Written;
            result.output = target;
            ++m_summary.written;
        }

        RunContext& m_run;
        const ThoroughOptions& m_options;
        const std::shared_ptr<OutputFolder>& m_folder;
        OutputNames& m_names;
        WrittenFiles& m_written;
        WrittenDigests& m_writtenDigests;
        DigestWorker* m_worker;
        std::size_t m_position;
        std::string m_input;
        std::string m_fileStem;
        std::size_t m_cardNumber = 0;
        bool m_inCard = false;
        std::size_t m_cardsEnded = 0;
        bool m_stopping = false;
        bool m_closed = false;
        std::size_t m_keptBytes = 0; // for the digest thread; declared before the photos that keep them
        std::vector<std::unique_ptr<PendingPhoto>> m_pending;
        std::vector<std::unique_ptr<PendingPhoto>> m_deferred; // of the card that ended last
        CardFields m_deferredCard;
        InputSummary m_summary;
    };

    std::uint64_t SizeOf(const std::string& path)
    {
        std::error_code ec;
        const auto size = std::filesystem::file_size(ToFsPath(path), ec);
        return ec ? 0 : static_cast<std::uint64_t>(size);
    }

} // namespace

ThoroughExtractor::ThoroughExtractor(ThoroughOptions options)
    : m_options(std::move(options))
{
}

ThoroughExtractor::~ThoroughExtractor() = default;

void ThoroughExtractor::prepare(RunContext& run, std::size_t count)
{
    m_count = count;
    // Progress goes by bytes: the sizes as the run begins.
    run.steps.step(RunStep::Count, [&] {
        for (std::size_t position = 1; position <= count; ++position) {
            if (const auto item = run.input.itemText(position))
                m_totalBytes += SizeOf(*item);
        }
    });
    // The folder is held for the whole run: renamed or replaced meanwhile, it still gets every
    // photo, and no temporary file is left behind in it.
    // The folder is taken once, as the run starts, and kept in place until its end.
    run.steps.step(RunStep::Count, [&] {
        m_folder = OutputFolder::open(run.input.outputFolderText(), {}, OutputFolder::Place::Kept);
    });
    if (m_options.unique && !m_digests) {
        try {
            m_digests = std::make_unique<DigestWorker>();
        } catch (const std::exception&) {
            // No thread to be had: the digests are taken as the photos are written.
        }
    }
}

double ThoroughExtractor::progressAt(std::uint64_t done, std::size_t position) const
{
    if (m_totalBytes == 0)
        return static_cast<double>(position) / static_cast<double>(m_count) * 100.0;
    return std::min(100.0, static_cast<double>(done) / static_cast<double>(m_totalBytes) * 100.0);
}

double ThoroughExtractor::progressBefore(std::size_t position, std::size_t /*count*/) const
{
    return progressAt(m_bytesBefore, position);
}

ItemEnd ThoroughExtractor::extract(RunContext& run, std::size_t position, const std::string& input)
{
    RunSteps& steps = run.steps;
    std::unique_ptr<FileByteSource> bytes;
    std::unique_ptr<TextSource> text;
    CardWriter writer(run, m_options, m_folder, m_names, m_written, m_writtenDigests, m_digests.get(),
                      position, input);
    std::unique_ptr<CardReader> reader;
    const bool opened = steps.step(RunStep::OpenInput, [&] {
        bytes = std::make_unique<FileByteSource>(input);
        text = std::make_unique<TextSource>(*bytes);
        reader = std::make_unique<CardReader>(*text, writer, CardReaderOptions {m_options.logos});
    });
    std::uint64_t inputSize = 0;
    bool more = true;
    if (opened) {
        inputSize = bytes->size();
        std::uint64_t shown = 0;
        while (more) {
            if (!steps.step(RunStep::ReadCards, [&] { more = reader->pump(); })) {
                // What was read stays: finished photos are written, the one under way fails.
                steps.step(RunStep::ReadCards,
                           [&] { reader->abandon("the rest of the input could not be read"); });
                writer.finishDeferred();
                more = false;
                break;
            }
            writer.finishDeferred();
            if (writer.closed())
                break; // asked to stop, and the card under way has ended
            const std::uint64_t taken = text->bytesTaken();
            if (more && taken - shown < kProgressEvery)
                continue;
            shown = taken;
            steps.step(RunStep::ReadProgress, [&] {
                run.observer.progress({position, input, taken, std::max(inputSize, taken),
                                       progressAt(m_bytesBefore + std::min(taken, inputSize), position)});
            });
            if (!more)
                break;
            const StopRequest stop = run.yield(RunStep::ReadYield);
            if (stop == StopRequest::Now)
                return {false, {}, ItemEnd::Stop::Now}; // the photos under way go with the writer
            if (stop == StopRequest::AfterTheCard) {
                writer.stopAfterTheCard();
                if (writer.closed())
                    break; // between two cards
            }
        }
    }
    m_bytesBefore += opened ? inputSize : SizeOf(input);

    ItemEnd end;
    end.wrote = writer.summary().written > 0;
    if (writer.closed()) {
        end.stop = ItemEnd::Stop::AfterTheCard;
        end.readToEnd = !more;
        end.cards = writer.cardsEnded();
    }
    return end;
}

} // namespace orvandel
