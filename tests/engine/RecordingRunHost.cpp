#include "RecordingRunHost.h"

#include <sstream>

namespace orvandel::test {

std::optional<std::string> RecordingRunHost::itemText(std::size_t position)
{
    if (position < 1 || position > items.size())
        return std::nullopt;
    return items[position - 1];
}

void RecordingRunHost::setProgressValue(double value)
{
    progress.push_back(value);
    std::ostringstream text;
    text << "progress " << value;
    events.push_back(text.str());
}

void RecordingRunHost::setProgressCaption(const std::string& caption)
{
    events.push_back("caption " + caption);
}

bool RecordingRunHost::yield()
{
    events.emplace_back("yield");
    return onYield ? onYield() : true;
}

void RecordingRunHost::setBusyPointer(bool value)
{
    busy = value;
    events.emplace_back(value ? "busy" : "idle");
}

void RecordingRunHost::showMessage(const std::string& text)
{
    messages.push_back(text);
    events.push_back("message " + text);
}

void RecordingRunHost::reportError(const ErrorReport& report)
{
    reports.push_back(report);
    events.push_back("report " + std::to_string(report.line));
}

} // namespace orvandel::test
