#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace orvandel {

// What a run reads from its surroundings: the list of inputs and the output folder. The run takes
// the count once and each position's text as it reaches it, so that a list that changes during
// the run's yields is read as it stands then. Positions are 1-based.
class RunInput
{
public:
    virtual ~RunInput() = default;
    virtual std::size_t itemCount() = 0;
    // The item's text, or nothing when the position no longer exists.
    virtual std::optional<std::string> itemText(std::size_t position) = 0;
    virtual std::string outputFolderText() = 0;
};

} // namespace orvandel
