#pragma once

#include "extract/RunStep.h"
#include "util/ErrorReport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orvandel {

// The two runs, as the front ends tell them apart.
enum class RunKind
{
    Classic,
    Thorough,
};

// The texts a run shows, in the window and on the command line.
inline constexpr std::string_view kClassicRunLocator = "in Tessivor2021/08/31.Form1.PushButton2_Click ";
inline constexpr std::string_view kThoroughRunLocator = "in Tessivor2021/08/31.Form1.ThoroughExtract ";
inline constexpr std::string_view kProcessingCaption = "Processing: ";
inline constexpr std::string_view kIdleProgressCaption = "Progress Bar";
inline constexpr std::string_view kDoneMessage = "Done.";
inline constexpr std::string_view kNoFilesMessage = "No files added.";
inline constexpr std::string_view kNoFolderMessage = "Folder does not exist. Please select another folder.";
// What the command line says before each of its messages on stderr, and after the missing
// output folder's path.
inline constexpr std::string_view kCliMessagePrefix = "orvandel: ";
inline constexpr std::string_view kCliNoFolderMessage = "Folder does not exist.";

// The line number that the error report shows for a failure of `step`. The opening, closing and
// per-input steps have the same number in both runs; each run's own steps have theirs.
int StepLine(RunStep step);
// The locator of the run's reports.
std::string_view RunLocator(RunKind kind);
// The report of a failed step, as the user reads it.
ErrorReport StepReport(RunKind kind, const StepFailure& failure);

// "Processing: " and the input's file name, as an input is taken up.
std::string ItemCaption(const std::string& input);
// The same with the megabytes read of an input read as a stream: "Processing: a.vcf (1.0 of
// 3.3 MB)".
std::string ReadingCaption(const std::string& input, std::uint64_t bytesRead, std::uint64_t bytesTotal);

} // namespace orvandel
