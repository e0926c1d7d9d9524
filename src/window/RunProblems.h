#pragma once

#include <QList>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace orvandel {

// A photo that a run could not take out, or an input it could not read: one line of the list
// shown after a thorough run.
struct RunProblem
{
    QString input; // as listed; empty for a failure outside any input
    std::size_t card = 0; // the card's number in its file, from 1; 0 for the input as a whole
    QString fn; // the card's FN, when it has one
    QString problem; // what went wrong, or the address of a photo that is only a link
    // Which photo it is, for a run that fetches the addresses listed afterwards: its input's
    // position in the run, and the line where it starts.
    std::size_t position = 0;
    std::uint64_t line = 0;
};

// The column titles of the list, in their order.
QStringList RunProblemColumns();
// One problem's fields, in the columns' order.
QStringList RunProblemFields(const RunProblem& problem);
// The list as a text file: a line of column titles, then one line per problem, the fields
// separated by tabs (tabs and line breaks within a field become spaces).
QString RunProblemsText(const QList<RunProblem>& problems);

} // namespace orvandel
