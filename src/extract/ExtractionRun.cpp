#include "ExtractionRun.h"

#include "ClassicPhotoFinder.h"
#include "FirstReport.h"
#include "OutputNames.h"
#include "util/PathHelpers.h"
#include "util/ReplacingFile.h"
#include "util/StepRunner.h"
#include "util/TextFile.h"

namespace orvandel {

namespace {

    // Line numbers of the three writing steps: the GIF header has its own.
    struct WriteLines
    {
        int create;
        int write;
        int close;
    };

    // Reads one card file and writes its photo. Returns the output path, or empty text when
    // nothing was written.
    std::string ExtractOne(StepRunner& steps, RunHost& host, OutputNames& names, const std::string& input)
    {
        TextLines card;
        if (!steps.step(120, [&] { card = ReadTextLines(input); }))
            return {}; // never the text of an earlier file

        std::optional<ClassicPhotoPlace> photo;
        steps.step(122, [&] { photo = LocateClassicPhoto(card); });
        if (!photo)
            return {};

        const WriteLines lines
            = photo->extension == ".gif" ? WriteLines {170, 172, 174} : WriteLines {176, 178, 180};
        // Decoding comes first: a photo that cannot be decoded creates no file and leaves a
        // file already standing under that name as it was. A run looks at nothing after the
        // photo it writes, so the card's text is decoded in its own buffer.
        std::string bytes;
        if (!steps.step(lines.write, [&] { bytes = DecodeClassicPhoto(card, *photo); }))
            return {};

        // The file is created in the folder the text names now, and takes its name when it is
        // complete: a file this run wrote is never replaced by another input's.
        std::string target;
        std::string folderText;
        std::string stem;
        std::optional<ReplacingFile> file;
        const bool created = steps.step(lines.create, [&] {
            stem = StripExtension(GetFileName(input));
            folderText = host.outputFolderText();
            file.emplace(OutputNames::firstPath(folderText, stem, photo->extension));
            file->create();
        });
        if (!created)
            return {};
        if (!steps.step(lines.write, [&] { file->write(bytes); }))
            return {};
        if (!steps.step(lines.close,
                        [&] { target = names.place(*file, folderText, input, stem, photo->extension); }))
            return {};
        return target;
    }

} // namespace

std::optional<RunOutcome> RefuseToStart(StepRunner& steps, RunHost& host)
{
    // The list is looked at first, so an empty list is told even when the folder is missing.
    if (steps.test(104, [&] { return host.itemCount() == 0; })) {
        steps.step(196, [&] { host.showMessage(std::string(kNoFilesMessage)); });
        return RunOutcome::NoFiles;
    }
    if (steps.test(106, [&] { return !IsDirectory(host.outputFolderText()); })) {
        steps.step(194, [&] { host.showMessage(std::string(kNoFolderMessage)); });
        return RunOutcome::NoFolder;
    }
    return std::nullopt;
}

RunOutcome FinishRun(StepRunner& steps, RunHost& host, const std::function<void()>& flush)
{
    steps.step(186, [&] { host.setBusyPointer(false); });
    steps.step(188, [&] { host.setProgressValue(0); });
    steps.step(190, [&] { host.setProgressCaption(std::string(kIdleProgressCaption)); });
    // "Done." means on the disk: what the run wrote is flushed first, once.
    if (flush)
        steps.step(192, flush);
    steps.step(192, [&] { host.showMessage(std::string(kDoneMessage)); });
    return RunOutcome::Finished;
}

RunOutcome ExtractionRun::start(RunHost& host)
{
    const RunningFlag running(m_isRunning);
    if (!running.entered())
        return RunOutcome::AlreadyRunning;

    FirstReport reports(host);
    StepRunner steps(std::string(kExtractionLocator), reports);
    if (const auto refused = RefuseToStart(steps, host))
        return *refused;

    std::size_t count = 0;
    steps.step(108, [&] { count = host.itemCount(); });
    OutputNames names;
    for (std::size_t position = 1; position <= count; ++position) {
        reports.restart();
        std::optional<std::string> input;
        steps.step(110, [&] { input = host.itemText(position); });
        if (!input)
            continue; // the list was shortened meanwhile: no other file is taken in its place

        steps.step(112, [&] {
            host.setProgressValue(static_cast<double>(position) / static_cast<double>(count) * 100.0);
        });
        steps.step(114, [&] { host.setProgressCaption("Processing: " + GetFileName(*input)); });
        bool goOn = true;
        steps.step(116, [&] { goOn = host.yield(); });
        if (!goOn)
            return RunOutcome::Stopped;
        steps.step(118, [&] { host.setBusyPointer(true); });

        const std::string output = ExtractOne(steps, host, names, *input);
        ItemResult result;
        result.position = position;
        result.input = *input;
        if (!output.empty()) {
            result.status = ItemStatus::Written;
        } else if (reports.failed()) {
            result.status = ItemStatus::Failed;
            result.error = reports.first().description;
            result.errorLine = reports.first().line;
        } else {
            result.status = ItemStatus::NoPhoto;
        }
        result.output = output;
        host.itemFinished(result);
    }

    return FinishRun(steps, host, [&] { names.flush(); });
}

} // namespace orvandel
