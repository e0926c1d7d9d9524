// The prompts of a benchmark of the real window: a box that tells something (a message, the
// results, the problem list) ends the benchmark with its text, since the run went wrong; a
// question is declined and a picker gives nothing. A benchmark overrides what it answers.
#pragma once

#include "window/Prompts.h"

#include <QtGlobal>

namespace orvandel::bench {

class QuietPrompts : public Prompts
{
public:
    void message(QWidget*, const QString&, const QString& text, Icon) override
    {
        qFatal("%s", qPrintable(text));
    }
    ResultsButton results(QWidget*, const QString&, const QString& text, const QString&) override
    {
        qFatal("%s", qPrintable(text));
    }
    void problemList(QWidget*,
                     const QString&,
                     const QString& heading,
                     const QList<RunProblem>&,
                     const std::function<void()>&) override
    {
        qFatal("%s", qPrintable(heading));
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    bool askYesNo(QWidget*, const QString&, const QString&) override { return false; }
    QString inputText(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
    QStringList openFileNames(QWidget*, const QString&, const QString&) override { return {}; }
    QString browseForFolder(QWidget*, const QString&, const QString&) override { return {}; }
    void openInFileManager(const QString&) override { }
};

} // namespace orvandel::bench
