#include "ErrorReport.h"

namespace orvandel {

std::string ErrorReport::text() const
{
    std::string out;
    out.reserve(description.size() + locator.size() + 96);
    out += description;
    out += "\r\n";
    out += locator;
    out += "at line ";
    out += std::to_string(line);
    out += "\r\r";
    out += "Please email screenshot of this message to ";
    out += kSupportAddress;
    return out;
}

} // namespace orvandel
