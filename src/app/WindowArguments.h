#pragma once

#include <QString>
#include <QStringList>

namespace orvandel {

// What the window is started with: `orvandel [--thorough] [PATH...]`.
struct WindowArguments
{
    QStringList paths; // to be listed as if dropped, made absolute
    bool thorough = false;
    QString error; // a message for an argument that is not understood; empty when all is well
};

// Reads the arguments after the program's name (Qt has taken its own options out already).
WindowArguments ParseWindowArguments(const QStringList& arguments);

} // namespace orvandel
