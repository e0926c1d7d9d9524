#include "Prompts.h"

#include "window/list/PathText.h"

namespace orvandel {

void Prompts::report(QWidget* owner, const ErrorReport& report)
{
    message(owner, QString::fromUtf8(kApplicationErrorTitle.data(), kApplicationErrorTitle.size()),
            PathForDisplay(PathFromBytes(report.text())), Icon::Warning);
}

} // namespace orvandel
