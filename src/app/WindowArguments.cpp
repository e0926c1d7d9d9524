#include "WindowArguments.h"

#include <QFileInfo>

namespace orvandel {

WindowArguments ParseWindowArguments(const QStringList& arguments)
{
    WindowArguments parsed;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument == QLatin1String("--thorough")) {
            parsed.thorough = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            parsed.error = QStringLiteral("unknown option '%1'").arg(argument);
            return parsed;
        } else {
            parsed.paths << QFileInfo(argument).absoluteFilePath();
        }
    }
    return parsed;
}

} // namespace orvandel
