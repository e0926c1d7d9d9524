#include "CaptionProgressBar.h"

#include <QPaintEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace orvandel {

namespace {
    constexpr int kSteps = 1000; // the bar draws tenths of a percent
    constexpr double kDefaultRate = 60; // screens a second, where the screen does not tell
} // namespace

CaptionProgressBar::CaptionProgressBar(QWidget* parent)
    : QProgressBar(parent)
{
    setRange(0, kSteps);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
    m_pending.setSingleShot(true);
    connect(&m_pending, &QTimer::timeout, this, &CaptionProgressBar::draw);
}

void CaptionProgressBar::setProgressValue(double value)
{
    m_value = value;
    changed();
}

void CaptionProgressBar::setCaption(const QString& caption)
{
    m_caption = caption;
    changed();
}

void CaptionProgressBar::showNow()
{
    m_pending.stop();
    draw();
    if (m_paintedValue != value() || m_paintedCaption != m_caption)
        repaint();
}

void CaptionProgressBar::paintEvent(QPaintEvent* event)
{
    m_paintedValue = value();
    m_paintedCaption = m_caption;
    QProgressBar::paintEvent(event);
}

int CaptionProgressBar::interval() const
{
    const QScreen* screen = this->screen();
    const double rate = screen && screen->refreshRate() >= 1 ? screen->refreshRate() : kDefaultRate;
    return std::clamp(static_cast<int>(std::lround(1000.0 / rate)), 1, 100);
}

void CaptionProgressBar::changed()
{
    if (m_pending.isActive())
        return;
    const int wait = interval();
    const qint64 since = m_sinceDrawn.isValid() ? m_sinceDrawn.elapsed() : wait;
    if (since >= wait)
        draw();
    else
        m_pending.start(static_cast<int>(wait - since));
}

void CaptionProgressBar::draw()
{
    m_sinceDrawn.start();
    const int value = static_cast<int>(std::lround(std::clamp(m_value, 0.0, 100.0) * kSteps / 100.0));
    // QProgressBar draws a new value at once; the caption waits for the next painting.
    if (value != this->value())
        setValue(value);
    if (m_paintedValue != this->value() || m_paintedCaption != m_caption)
        update();
}

} // namespace orvandel
