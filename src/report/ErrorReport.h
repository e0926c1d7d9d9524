#pragma once

#include <string>
#include <string_view>

namespace orvandel {

// The window's report of an unexpected failure, the "Application Error" box.
inline constexpr std::string_view kApplicationErrorTitle = "Application Error";
inline constexpr std::string_view kSupportAddress = "support@quorvane.example";

// An unexpected failure of one numbered step: what went wrong, in which procedure, at which line.
struct ErrorReport
{
    std::string description;
    std::string locator; // "in <project><date>.<module>.<procedure> ", ending with a space
    int line = 0;

    // The report as the user reads it: the description, CR LF, the locator, "at line ", the
    // number, CR CR, and the request for a screenshot.
    std::string text() const;
};

} // namespace orvandel
