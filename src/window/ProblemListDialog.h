#pragma once

#include "RunProblems.h"

#include <QDialog>
#include <functional>

class QTextEdit;

namespace orvandel {

// The photos a run could not take out, in one table whose text can be selected and copied,
// with a button that saves the list as a text file.
class ProblemListDialog : public QDialog
{
    Q_OBJECT

public:
    ProblemListDialog(QWidget* owner,
                      const QString& title,
                      const QString& heading,
                      const QList<RunProblem>& problems,
                      std::function<void()> save);

private:
    QTextEdit* m_table = nullptr;
};

} // namespace orvandel
