#include "ThoroughCliRunHost.h"

#include "TerminalText.h"
#include "util/Json.h"

#include <algorithm>
#include <ostream>

namespace orvandel {

namespace {

    const char* StatusText(PhotoStatus status)
    {
        switch (status) {
        case PhotoStatus::Written:
            return "written";
        case PhotoStatus::Duplicate:
            return "duplicate";
        case PhotoStatus::Link:
            return "link";
        case PhotoStatus::Failed:
            break;
        }
        return "error";
    }

    // A photo's failure is reported just before the photo's result, which tells its card and line.
    bool IsPhotoStep(RunStep step)
    {
        return step == RunStep::CreatePhoto || step == RunStep::DecodePhoto || step == RunStep::WritePhoto
            || step == RunStep::NamePhoto || step == RunStep::FetchPhoto;
    }

    std::string TypeText(const PhotoResult& result)
    {
        std::string text = result.type.empty() ? std::string("unknown") : result.type;
        if (result.typeMismatch)
            text += ", declared " + result.declared;
        return text;
    }

} // namespace

ThoroughCliRunHost::ThoroughCliRunHost(CliRunOptions options, std::ostream& out, std::ostream& err)
    : CliRunHost(std::move(options), out, err)
{
}

void ThoroughCliRunHost::stepFailed(const StepFailure& failure)
{
    markFailed();
    if (!inputUnderWay()) {
        CliRunHost::stepFailed(failure); // the run's own (the flush)
        return;
    }
    const bool told = !IsPhotoStep(failure.step);
    m_reportsOfInput.push_back({failure.step, failure.line, failure.description, told});
    if (told)
        CliRunHost::stepFailed(failure);
}

void ThoroughCliRunHost::photoFinished(const PhotoResult& result)
{
    clearProgressLine();
    ++m_photosOfInput;
    switch (result.status) {
    case PhotoStatus::Written:
        ++counts().written;
        break;
    case PhotoStatus::Duplicate:
        break;
    case PhotoStatus::Link:
        ++counts().links;
        break;
    case PhotoStatus::Failed:
        ++counts().failed;
        break;
    }
    if (result.status == PhotoStatus::Failed) {
        const auto report
            = std::find_if(m_reportsOfInput.begin(), m_reportsOfInput.end(), [&](const Report& r) {
                  return !r.told && r.step == result.errorStep && r.line == result.line;
              });
        if (report != m_reportsOfInput.end())
            m_reportsOfInput.erase(report);
        tellFailure(result.input,
                    "card " + std::to_string(result.card) + ", line " + std::to_string(result.line),
                    result.problem.empty() ? result.error : result.problem);
    }

    std::string where;
    switch (result.status) {
    case PhotoStatus::Written:
    case PhotoStatus::Duplicate:
        where = result.output;
        break;
    case PhotoStatus::Link:
        where = result.url;
        break;
    case PhotoStatus::Failed:
        where = result.error;
        break;
    }

    if (json()) {
        JsonObject line;
        line.add("input", result.input).add("status", StatusText(result.status));
        line.add("card", result.card).add("fn", result.fn).add("line", result.line);
        if (!result.url.empty())
            line.add("url", result.url);
        if (result.status == PhotoStatus::Written || result.status == PhotoStatus::Duplicate) {
            line.add("output", result.output);
            line.add("type", result.type.empty() ? std::string("unknown") : result.type);
        }
        if (!result.declared.empty())
            line.add("declared", result.declared);
        if (result.status == PhotoStatus::Written || result.status == PhotoStatus::Duplicate)
            line.add("type_mismatch", result.typeMismatch);
        if (result.repaired)
            line.add("repaired", true);
        if (!result.sha256.empty())
            line.add("sha256", result.sha256);
        if (result.status == PhotoStatus::Failed)
            line.add("error", result.error);
        printLine(line.str());
    } else {
        std::string line = StatusText(result.status);
        line += '\t' + TerminalText(result.input) + '\t' + std::to_string(result.card) + '\t'
            + TerminalText(result.fn) + '\t' + TerminalText(where);
        if (result.status == PhotoStatus::Written)
            line += '\t' + TerminalText(TypeText(result));
        printLine(line);
    }
}

void ThoroughCliRunHost::printInputLine(const std::string& input,
                                        const char* status,
                                        const std::string& error)
{
    if (json()) {
        JsonObject line;
        line.add("input", input).add("status", status);
        if (!error.empty())
            line.add("error", error);
        printLine(line.str());
    } else {
        std::string line = status + ('\t' + TerminalText(input));
        if (!error.empty())
            line += "\t\t\t" + TerminalText(error);
        printLine(line);
    }
}

void ThoroughCliRunHost::itemFinished(const ItemResult& result)
{
    inputDone();
    clearProgressLine();
    // Failures that belong to no photo (the input cannot be opened or read) get lines of their own.
    for (const Report& report : m_reportsOfInput) {
        if (!report.told)
            tellFailure(result.input, {}, report.description);
        printInputLine(result.input, "error", report.description);
        ++counts().failed;
    }
    if (m_photosOfInput == 0 && m_reportsOfInput.empty()) {
        printInputLine(result.input, "no-photo", {});
        ++counts().withoutPhoto;
    }
    m_photosOfInput = 0;
    m_reportsOfInput.clear();
}

} // namespace orvandel
