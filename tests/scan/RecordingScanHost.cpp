#include "RecordingScanHost.h"

namespace orvandel::test {

bool RecordingScanHost::yield()
{
    ++yields;
    return onYield ? onYield() : true;
}

void RecordingScanHost::appendItem(const std::string& text)
{
    if (onAppend)
        onAppend(text);
    items.push_back(text);
}

} // namespace orvandel::test
