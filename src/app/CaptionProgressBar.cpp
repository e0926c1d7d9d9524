#include "CaptionProgressBar.h"

#include <algorithm>
#include <cmath>

namespace orvandel {

namespace {
    constexpr int kSteps = 1000; // the bar draws tenths of a percent
}

CaptionProgressBar::CaptionProgressBar(QWidget* parent)
    : QProgressBar(parent)
{
    setRange(0, kSteps);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void CaptionProgressBar::setProgressValue(double value)
{
    m_value = value;
    setValue(static_cast<int>(std::lround(std::clamp(value, 0.0, 100.0) * kSteps / 100.0)));
}

void CaptionProgressBar::setCaption(const QString& caption)
{
    m_caption = caption;
    update();
}

} // namespace orvandel
