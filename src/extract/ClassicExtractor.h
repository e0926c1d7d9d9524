#pragma once

#include "ItemExtractor.h"
#include "OutputNames.h"
#include "util/WrittenFiles.h"

#include <memory>
#include <string>

namespace orvandel {

class OutputFolder;

// The classic run's extractor: each card file gives at most one image, decoded from its first
// recognised photo and named after the card file, in the folder that the output folder text
// names as the image is created. The folder is held from one image to the next while the text
// stays the same, and opened anew when the text changes or the held folder takes no more files.
class ClassicExtractor : public ItemExtractor
{
public:
    ItemEnd extract(RunContext& run, std::size_t position, const std::string& input) override;
    void flush() override { m_written.flush(); }

private:
    // The folder that `folderText` names, held since an earlier image when the text is the same.
    // `target` names the image in a failure. Throws FileError.
    const std::shared_ptr<OutputFolder>& folderFor(const std::string& folderText, const std::string& target);

    OutputNames m_names {kClassicNameRules};
    WrittenFiles m_written;
    std::shared_ptr<OutputFolder> m_folder;
    std::string m_folderText; // what m_folder was opened for
};

} // namespace orvandel
