#pragma once

#include <string_view>

namespace orvandel {

// Receives a photo's bytes as they are decoded, a piece at a time.
class PhotoOutput
{
public:
    virtual ~PhotoOutput() = default;
    // Must not throw: a failure is kept by the output and told when the photo ends.
    virtual void write(std::string_view bytes) noexcept = 0;
};

} // namespace orvandel
