#include "ThoroughExtractor.h"

#include "ByteSource.h"
#include "CardReader.h"
#include "CardWriter.h"
#include "DigestWorker.h"
#include "TextSource.h"
#include "util/OutputFolder.h"
#include "util/PathHelpers.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace orvandel {

namespace {

    constexpr std::uint64_t kProgressEvery = 1024 * 1024;

    std::uint64_t SizeOf(const std::string& path)
    {
        return FileSizeOf(path);
    }

} // namespace

ThoroughExtractor::ThoroughExtractor(ThoroughOptions options)
    : m_options(std::move(options))
{
}

ThoroughExtractor::~ThoroughExtractor() = default;

void ThoroughExtractor::fetchLinksNext(FetchSettings settings)
{
    m_options.fetch = true;
    m_options.linksOnly = true;
    m_options.fetchSettings = std::move(settings);
    m_output.fetcher.reset();
}

void ThoroughExtractor::prepare(RunContext& run, std::size_t count)
{
    m_count = count;
    m_totalBytes = 0;
    m_bytesBefore = 0;
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
    // A run after one into the same folder (linksOnly) goes on with the folder held, and with
    // the names it gave.
    if (!m_output.folder || !m_options.linksOnly) {
        run.steps.step(RunStep::Count, [&] {
            m_output.folder = OutputFolder::open(run.input.outputFolderText(), {}, OutputFolder::Place::Kept);
        });
    }
    if (m_options.fetch && !m_output.fetcher) {
        // Without a client every photo to fetch fails, and says why.
        run.steps.step(RunStep::Count, [&] { m_output.fetcher = MakeHttpFetcher(m_options.fetchSettings); });
    }
    if (m_options.unique && !m_output.digests) {
        try {
            m_output.digests = std::make_unique<DigestWorker>();
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
    CardWriter writer(run, m_options, m_output, position, input);
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
            writer.moveFetchesOn();
            if (writer.stoppedNow())
                return {false, {}, ItemEnd::Stop::Now};
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
    // The photos still being fetched are the input's too.
    writer.drain();
    if (writer.stoppedNow())
        return {false, {}, ItemEnd::Stop::Now};
    m_bytesBefore += opened ? inputSize : SizeOf(input);

    ItemEnd end;
    end.wrote = writer.written() > 0;
    if (writer.closed()) {
        end.stop = ItemEnd::Stop::AfterTheCard;
        end.readToEnd = !more && !writer.droppedAny();
        end.cards = writer.cardsEnded();
    }
    return end;
}

} // namespace orvandel
