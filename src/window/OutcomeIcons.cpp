#include "OutcomeIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace orvandel {

namespace {

    // Draws at 16 and 32 pixels, so that the icon stays sharp on a screen of twice the density.
    QIcon Drawn(void (*draw)(QPainter&))
    {
        QIcon icon;
        for (const int size : {16, 32}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.scale(size / 16.0, size / 16.0);
            draw(painter);
            painter.end();
            icon.addPixmap(pixmap);
        }
        return icon;
    }

    void Tick(QPainter& painter)
    {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x2e, 0x8b, 0x3e));
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        QPen pen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        QPainterPath path;
        path.moveTo(4.5, 8.2);
        path.lineTo(7.0, 10.7);
        path.lineTo(11.5, 5.5);
        painter.drawPath(path);
    }

    void Ring(QPainter& painter)
    {
        painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(2, 2, 12, 12));
        painter.drawLine(QPointF(5.5, 8), QPointF(10.5, 8));
    }

    void Cross(QPainter& painter)
    {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xc6, 0x28, 0x28));
        painter.drawEllipse(QRectF(1, 1, 14, 14));
        painter.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(5.2, 5.2), QPointF(10.8, 10.8));
        painter.drawLine(QPointF(10.8, 5.2), QPointF(5.2, 10.8));
    }

} // namespace

const QIcon& OutcomeIcon(ItemOutcome::Kind kind)
{
    static const QIcon written = Drawn(Tick);
    static const QIcon noPhoto = Drawn(Ring);
    static const QIcon failed = Drawn(Cross);
    switch (kind) {
    case ItemOutcome::Kind::Written:
        return written;
    case ItemOutcome::Kind::NoPhoto:
        return noPhoto;
    case ItemOutcome::Kind::Failed:
        break;
    }
    return failed;
}

} // namespace orvandel
