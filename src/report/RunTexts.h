#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>

namespace orvandel {

struct SkippedFolder;

// The two runs, as the front ends tell them apart.
enum class RunKind
{
    Classic,
    Thorough,
};

// The texts a run shows, in the window and on the command line.
inline constexpr std::string_view kProcessingCaption = "Processing: ";
inline constexpr std::string_view kIdleProgressCaption = "Progress Bar";
inline constexpr std::string_view kDoneMessage = "Done.";
inline constexpr std::string_view kNoFilesMessage = "No files added.";
inline constexpr std::string_view kNoFolderMessage = "Folder does not exist. Please select another folder.";
// What the command line says before each of its messages on stderr, and after the missing
// output folder's path.
inline constexpr std::string_view kCliMessagePrefix = "orvandel: ";
inline constexpr std::string_view kCliNoFolderMessage = "Folder does not exist.";

// What the faces say of an output folder that the run found wrong (RunEnd::folderProblem) beside
// their "Folder does not exist." message: nothing when it does not exist or is no folder, else
// "Cannot read the folder: <what kept it from being looked at>".
std::string FolderProblemText(std::error_code problem);

// Why a folder scan did not enter a folder, as the command line and the window tell it: "its path
// is longer than the system allows", "it cannot be read: Permission denied", ...
std::string SkipReasonText(const SkippedFolder& folder);

// "Processing: " and the input's file name, as an input is taken up.
std::string ItemCaption(const std::string& input);
// The same with the megabytes read of an input read as a stream: "Processing: a.vcf (1.0 of
// 3.3 MB)".
std::string ReadingCaption(const std::string& input, std::uint64_t bytesRead, std::uint64_t bytesTotal);
// The same while a run waits for the photos it fetches: "Processing: a.vcf (12 photos fetched,
// 8 under way)".
std::string FetchingCaption(const std::string& input, std::size_t fetched, std::size_t underWay);

} // namespace orvandel
