#pragma once

#include "ErrorReport.h"
#include "FormStep.h"
#include "extract/RunStep.h"
#include "scan/ScanStep.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace orvandel {

// The procedures whose failures the "Application Error" report names.
enum class Procedure
{
    FormLoad,
    AddFiles, // "Add VCF File(s)"
    Extraction, // "Start Extracting VCF Images"
    Samples, // "Load Sample/Example Files"
    AddFolder, // "Add All VCF File(s) In Folder", with the steps of the tree it adds
    ClearList,
    Browse, // "..." beside the output folder
    FolderScan, // the collection of a folder tree's subfolders
};

struct ProcedureRow
{
    Procedure procedure;
    std::string_view locator; // "in <project><date>.<module>.<procedure> ", ending with a space
};

// A step by the name its procedure gives it: the engine's, or the window's own.
using StepName = std::variant<RunStep, ScanStep, FormStep>;

struct StepRow
{
    StepName step;
    Procedure procedure;
    int line; // the number the report shows after "at line "
};

// The procedures, each once, and every numbered step. A step of the thorough run has no number:
// its failures are listed after the run, not reported one by one.
std::span<const ProcedureRow> ProcedureTable();
std::span<const StepRow> StepTable();

// The step's row, or nothing when the step has no number.
const StepRow* FindStep(const StepName& step);
std::string_view Locator(Procedure procedure);
// The step's line number; 0 when it has none.
int StepLine(const StepName& step);
// The report of a failed step that has a number, as the user reads it.
std::optional<ErrorReport> StepReport(const StepName& step, std::string description);

} // namespace orvandel
