#pragma once

#include <string>
#include <vector>

namespace orvandel::test {

struct ExpectedPhoto
{
    std::string name; // the file name the default template gives
    std::string bytes;
};

// A card file in the shape that one address book writes, made here, with what it must give.
struct ExporterShape
{
    std::string name;
    std::string fileName; // the input's file name
    std::string bytes; // the whole file
    bool logos = false;
    std::vector<ExpectedPhoto> photos; // in the order the run meets them
    std::vector<std::string> links; // addresses that are told, not fetched
};

std::vector<ExporterShape> ExporterShapes();

} // namespace orvandel::test
