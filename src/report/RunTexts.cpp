#include "RunTexts.h"

#include "scan/ScanHost.h"
#include "util/PathHelpers.h"

#include <cstdio>

namespace orvandel {

namespace {

    std::string Megabytes(std::uint64_t bytes)
    {
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
        return text;
    }

} // namespace

std::string ItemCaption(const std::string& input)
{
    return std::string(kProcessingCaption) + GetFileName(input);
}

std::string ReadingCaption(const std::string& input, std::uint64_t bytesRead, std::uint64_t bytesTotal)
{
    return ItemCaption(input) + " (" + Megabytes(bytesRead) + " of " + Megabytes(bytesTotal) + " MB)";
}

std::string FetchingCaption(const std::string& input, std::size_t fetched, std::size_t underWay)
{
    return ItemCaption(input) + " (" + std::to_string(fetched) + (fetched == 1 ? " photo" : " photos")
        + " fetched, " + std::to_string(underWay) + " under way)";
}

std::string FolderProblemText(std::error_code problem)
{
    // A folder that stands there but cannot be looked at is told as what it is.
    if (!problem || problem == std::errc::no_such_file_or_directory || problem == std::errc::not_a_directory)
        return {};
    return "Cannot read the folder: " + problem.message();
}

std::string SkipReasonText(const SkippedFolder& folder)
{
    switch (folder.reason) {
    case SkipReason::PathTooLong:
        return "its path is longer than the system allows";
    case SkipReason::NameTooLong:
        return "its name is longer than the system allows";
    case SkipReason::InvalidName:
#if defined(_WIN32)
        return "its name holds a control character, a \"?\" or a character that the system's code page "
               "lacks";
#else
        return "its name holds a control character, a \"?\" or bytes that are not UTF-8";
#endif
    case SkipReason::AlreadyRead:
        return "it was read already by another path";
    case SkipReason::Unreadable:
        break;
    }
    return "it cannot be read: " + folder.detail;
}

} // namespace orvandel
