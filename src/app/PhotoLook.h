#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace orvandel {

// A quick look through one input with the thorough card reader, writing nothing: how many photos
// the thorough extraction would take out of it (inline photos that decode to some bytes). It
// stops as soon as `enough` are found, and asks `goOn` between pieces of the input, so that a
// window stays alive on a large file; a false answer ends the look. An input that cannot be read
// counts what was found up to there.
std::size_t
CountThoroughPhotos(const std::string& path, std::size_t enough, const std::function<bool()>& goOn);

} // namespace orvandel
