#include "RunTexts.h"

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

int StepLine(RunStep step)
{
    switch (step) {
    case RunStep::CheckList:
        return 104;
    case RunStep::CheckFolder:
        return 106;
    case RunStep::Count:
        return 108;
    case RunStep::ReadItem:
        return 110;
    case RunStep::Progress:
        return 112;
    case RunStep::Caption:
        return 114;
    case RunStep::Yield:
        return 116;
    case RunStep::Busy:
        return 118;

    case RunStep::ReadCard:
        return 120;
    case RunStep::FindPhoto:
        return 122;
    case RunStep::CreateGif:
        return 170;
    case RunStep::WriteGif:
        return 172;
    case RunStep::CloseGif:
        return 174;
    case RunStep::CreateJpeg:
        return 176;
    case RunStep::WriteJpeg:
        return 178;
    case RunStep::CloseJpeg:
        return 180;

    case RunStep::OpenInput:
        return 120;
    case RunStep::ReadCards:
        return 122;
    case RunStep::ReadProgress:
        return 124;
    case RunStep::ReadCaption:
        return 126;
    case RunStep::ReadYield:
        return 128;
    case RunStep::CreatePhoto:
        return 130;
    case RunStep::DecodePhoto:
        return 132;
    case RunStep::WritePhoto:
        return 134;
    case RunStep::NamePhoto:
        return 136;

    case RunStep::PointerBack:
        return 186;
    case RunStep::ProgressBack:
        return 188;
    case RunStep::CaptionBack:
        return 190;
    case RunStep::Flush:
    case RunStep::Done:
        return 192;
    case RunStep::ShowNoFolder:
        return 194;
    case RunStep::ShowNoFiles:
        return 196;
    }
    return 0;
}

std::string_view RunLocator(RunKind kind)
{
    return kind == RunKind::Thorough ? kThoroughRunLocator : kClassicRunLocator;
}

ErrorReport StepReport(RunKind kind, const StepFailure& failure)
{
    return {failure.description, std::string(RunLocator(kind)), StepLine(failure.step)};
}

std::string ItemCaption(const std::string& input)
{
    return std::string(kProcessingCaption) + GetFileName(input);
}

std::string ReadingCaption(const std::string& input, std::uint64_t bytesRead, std::uint64_t bytesTotal)
{
    return ItemCaption(input) + " (" + Megabytes(bytesRead) + " of " + Megabytes(bytesTotal) + " MB)";
}

} // namespace orvandel
