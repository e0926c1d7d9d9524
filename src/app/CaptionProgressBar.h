#pragma once

#include <QProgressBar>

namespace orvandel {

// A progress bar on a 0 to 100 scale that shows a caption of its own over the bar.
class CaptionProgressBar : public QProgressBar
{
    Q_OBJECT

public:
    explicit CaptionProgressBar(QWidget* parent = nullptr);

    double progressValue() const { return m_value; }
    void setProgressValue(double value);
    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption);

    QString text() const override { return m_caption; }

private:
    double m_value = 0;
    QString m_caption;
};

} // namespace orvandel
