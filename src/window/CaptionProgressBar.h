#pragma once

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

namespace orvandel {

// A progress bar on a 0 to 100 scale that shows a caption of its own over the bar. Its value and
// caption are what was set last; the bar is drawn with them at most at the screen's rate (about
// 60 times a second), so that a run that sets them for 20,000 files in a second does not spend
// its time drawing: what was set in between is drawn once that interval has passed, and
// showNow() draws it at once.
class CaptionProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit CaptionProgressBar(QWidget* parent = nullptr);

    double progressValue() const { return m_value; }
    void setProgressValue(double value);
    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // Draws the last value and caption on the screen now.
    void showNow();

    QString text() const override { return m_caption; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void changed();
    void draw();
    int interval() const;

    double m_value = 0;
    QString m_caption;
    QTimer m_pending; // draws what was set since the last drawing
    QElapsedTimer m_sinceDrawn;
    int m_paintedValue = -1; // what the bar showed when it was last painted
    QString m_paintedCaption;
};

} // namespace orvandel
