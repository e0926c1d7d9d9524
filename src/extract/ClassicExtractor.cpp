#include "ClassicExtractor.h"

#include "ClassicPhotoFinder.h"
#include "util/FileError.h"
#include "util/OutputFolder.h"
#include "util/PathHelpers.h"
#include "util/ReplacingFile.h"
#include "util/TextFile.h"

namespace orvandel {

namespace {

    // The three writing steps: the GIF header has its own.
    struct WriteSteps
    {
        RunStep create;
        RunStep write;
        RunStep close;
    };

} // namespace

const std::shared_ptr<OutputFolder>& ClassicExtractor::folderFor(const std::string& folderText,
                                                                 const std::string& target)
{
    // Each image goes to the folder its text names as it is written: the folder is held from one
    // image to the next only while the text names it still.
    if (!m_folder || m_folderText != folderText || !m_folder->isAtItsPath()) {
        m_folder.reset();
        m_folder = OutputFolder::open(WithTrailingSeparator(folderText), target);
        m_folderText = folderText;
    }
    return m_folder;
}

ItemEnd ClassicExtractor::extract(RunContext& run, std::size_t /*position*/, const std::string& input)
{
    RunSteps& steps = run.steps;
    std::string card;
    if (!steps.step(RunStep::ReadCard, [&] { card = ReadWholeFile(input); }))
        return {}; // never the text of an earlier file

    std::optional<ClassicPhotoPlace> photo;
    steps.step(RunStep::FindPhoto, [&] { photo = LocateClassicPhoto(card); });
    if (!photo)
        return {};
    steps.atLine(photo->lineIndex + 1); // what fails from here on fails for this photo

    const WriteSteps write = photo->extension == ".gif"
        ? WriteSteps {RunStep::CreateGif, RunStep::WriteGif, RunStep::CloseGif}
        : WriteSteps {RunStep::CreateJpeg, RunStep::WriteJpeg, RunStep::CloseJpeg};
    // Decoding comes first: a photo that cannot be decoded creates no file and leaves a file
    // already standing under that name as it was. A run looks at nothing after the photo it
    // writes, so the card's text is decoded in its own buffer.
    std::string bytes;
    if (!steps.step(write.write, [&] { bytes = DecodeClassicPhoto(std::move(card), *photo); }))
        return {};
    ItemEnd read;
    read.photoRead = true; // what fails from here on is the writing

    // The file is created in the folder the text names now, and takes its name when it is
    // complete: a file this run wrote is never replaced by another input's.
    std::string target;
    std::string folderText;
    std::string stem;
    std::optional<ReplacingFile> file;
    const bool created = steps.step(write.create, [&] {
        stem = OutputNames::classicStem(input);
        folderText = run.input.outputFolderText();
        const std::string first = OutputNames::firstPath(folderText, stem, photo->extension);
        file.emplace(folderFor(folderText, first), first);
        file->create();
    });
    if (!created)
        return read;
    if (!steps.step(write.write, [&] { file->write(bytes); }))
        return read;
    if (!steps.step(write.close, [&] {
            target = m_names.place(*file, m_written, folderText, stem, photo->extension, input);
        }))
        return read;
    read.wrote = true;
    read.output = target;
    return read;
}

} // namespace orvandel
