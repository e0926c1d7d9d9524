#pragma once

#include <cstddef>
#include <string>

namespace orvandel {

// What a run did, as its one-line summary counts it: the window's results line and the command
// line's summary on stderr.
struct RunCounts
{
    std::size_t written = 0; // images
    std::size_t withoutPhoto = 0; // inputs
    std::size_t links = 0; // photos that are only web addresses
    std::size_t failed = 0; // inputs of a classic run; photos and inputs of a thorough one
};

// "1 file", "3 files".
std::string CountedText(std::size_t count, const char* one, const char* many);

// The results in one short line: "6 images written, 1 file without a photo, 1 failed". Counts of
// nothing are left out, but for the images: "No image written".
std::string ResultsLine(const RunCounts& counts);
// The heading of the problem list: "Not taken out: 1 link not fetched, 3 failed."
std::string NotTakenOutHeading(const RunCounts& counts);

} // namespace orvandel
