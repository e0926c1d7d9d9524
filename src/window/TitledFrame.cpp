#include "TitledFrame.h"

#include <QStyleOptionGroupBox>

namespace orvandel {

TitledFrame::TitledFrame(const QString& title, QWidget* parent)
    : QGroupBox(title, parent)
{
}

void TitledFrame::initStyleOption(QStyleOptionGroupBox* option) const
{
    QGroupBox::initStyleOption(option);
    // Without a colour of its own the style draws the title in the palette's window text.
    option->textColor = QColor();
}

} // namespace orvandel
