#pragma once

#include <string>
#include <string_view>

namespace orvandel {

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

// Whoever shows reports to the user: a message box, stderr, or a test's recorder.
class ErrorSink
{
public:
    virtual ~ErrorSink() = default;
    virtual void reportError(const ErrorReport& report) = 0;
};

} // namespace orvandel
