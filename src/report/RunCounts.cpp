#include "RunCounts.h"

#include <vector>

namespace orvandel {

namespace {

    std::string Joined(const std::vector<std::string>& parts)
    {
        std::string text;
        for (const std::string& part : parts)
            text += (text.empty() ? "" : ", ") + part;
        return text;
    }

    void AddNotTakenOut(std::vector<std::string>& parts, const RunCounts& counts)
    {
        if (counts.links > 0)
            parts.push_back(CountedText(counts.links, "link not fetched", "links not fetched"));
        if (counts.failed > 0)
            parts.push_back(CountedText(counts.failed, "failed", "failed"));
    }

} // namespace

std::string CountedText(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + ' ' + (count == 1 ? one : many);
}

std::string ResultsLine(const RunCounts& counts)
{
    std::vector<std::string> parts;
    parts.push_back(counts.written == 0 ? std::string("No image written")
                                        : CountedText(counts.written, "image written", "images written"));
    if (counts.withoutPhoto > 0)
        parts.push_back(CountedText(counts.withoutPhoto, "file without a photo", "files without a photo"));
    AddNotTakenOut(parts, counts);
    return Joined(parts);
}

std::string NotTakenOutHeading(const RunCounts& counts)
{
    std::vector<std::string> parts;
    AddNotTakenOut(parts, counts);
    return "Not taken out: " + Joined(parts) + '.';
}

} // namespace orvandel
