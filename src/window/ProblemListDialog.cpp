#include "ProblemListDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace orvandel {

namespace {

    QString Cells(const QStringList& fields, const char* tag)
    {
        QString row = QStringLiteral("<tr>");
        for (const QString& field : fields)
            row += QStringLiteral("<%1 align=\"left\">%2</%1>")
                       .arg(QLatin1String(tag), field.toHtmlEscaped());
        return row + QStringLiteral("</tr>");
    }

} // namespace

ProblemListDialog::ProblemListDialog(QWidget* owner,
                                     const QString& title,
                                     const QString& heading,
                                     const QList<RunProblem>& problems,
                                     std::function<void()> save)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("ProblemListDialog"));
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(heading, this);
    label->setWordWrap(true);
    layout->addWidget(label);

    m_table = new QTextEdit(this);
    m_table->setObjectName(QStringLiteral("ProblemTable"));
    m_table->setReadOnly(true);
    m_table->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_table->setLineWrapMode(QTextEdit::NoWrap);
    QString html
        = QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">") + Cells(RunProblemColumns(), "th");
    for (const RunProblem& problem : problems)
        html += Cells(RunProblemFields(problem), "td");
    m_table->setHtml(html + QStringLiteral("</table>"));
    layout->addWidget(m_table);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* saveButton
        = buttons->addButton(QStringLiteral("Save As Text..."), QDialogButtonBox::ActionRole);
    saveButton->setObjectName(QStringLiteral("SaveButton"));
    saveButton->setAutoDefault(false);
    connect(saveButton, &QPushButton::clicked, this, [save = std::move(save)] {
        if (save)
            save();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 360);
}

} // namespace orvandel
