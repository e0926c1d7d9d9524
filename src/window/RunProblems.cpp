#include "RunProblems.h"

#include "window/list/PathText.h"

#include <QStringList>

namespace orvandel {

QStringList RunProblemColumns()
{
    return {QStringLiteral("Input"), QStringLiteral("Card"), QStringLiteral("FN"), QStringLiteral("Problem")};
}

QStringList RunProblemFields(const RunProblem& problem)
{
    // Names that are not UTF-8 show their bytes as "\xHH".
    return {PathForDisplay(problem.input), problem.card > 0 ? QString::number(problem.card) : QString(),
            PathForDisplay(problem.fn), PathForDisplay(problem.problem)};
}

namespace {

    QString OnOneLine(QString field)
    {
        for (QChar& c : field) {
            if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                c = QLatin1Char(' ');
        }
        return field;
    }

    QString Line(const QStringList& fields)
    {
        QStringList cleaned;
        for (const QString& field : fields)
            cleaned << OnOneLine(field);
        return cleaned.join(QLatin1Char('\t')) + QLatin1Char('\n');
    }

} // namespace

QString RunProblemsText(const QList<RunProblem>& problems)
{
    QString text = Line(RunProblemColumns());
    for (const RunProblem& problem : problems)
        text += Line(RunProblemFields(problem));
    return text;
}

} // namespace orvandel
