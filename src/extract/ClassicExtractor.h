#pragma once

#include "ItemExtractor.h"
#include "OutputNames.h"
#include "util/WrittenFiles.h"

namespace orvandel {

// The classic run's extractor: each card file gives at most one image, decoded from its first
// recognised photo and named after the card file, in the folder that the output folder text
// names as the image is created.
class ClassicExtractor : public ItemExtractor
{
public:
    ItemEnd extract(RunContext& run, std::size_t position, const std::string& input) override;
    void flush() override { m_written.flush(); }

private:
    OutputNames m_names {kClassicNameRules};
    WrittenFiles m_written;
};

} // namespace orvandel
