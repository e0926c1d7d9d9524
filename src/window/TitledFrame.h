#pragma once

#include <QGroupBox>

namespace orvandel {

// A frame whose title is drawn in the window-text colour of its palette, like every other text
// that stands on the window's own background. Some styles take the colour of text in boxes and
// lists instead, which a dark palette makes light, and the window is white.
class TitledFrame : public QGroupBox
{
    Q_OBJECT

public:
    explicit TitledFrame(const QString& title, QWidget* parent = nullptr);

protected:
    void initStyleOption(QStyleOptionGroupBox* option) const override;
};

} // namespace orvandel
