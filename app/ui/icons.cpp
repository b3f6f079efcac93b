#include "icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace {

constexpr int kSize = 48;  // drawn at 48 px, shown smaller: sharp on high-density screens too

void Disk(QPainter& p, const QColor& body) {
    p.setPen(QPen(body.darker(160), 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(7, 7, 34, 34), 3, 3);
    p.setBrush(QColor(235, 240, 245));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(13, 9, 20, 12));  // label
    p.setBrush(body.darker(150));
    p.drawRect(QRectF(15, 29, 18, 10));  // shutter
}

void Paint(QPainter& p, TImage image) {
    p.setRenderHint(QPainter::Antialiasing);
    switch (image) {
        case TImage::Save:
            Disk(p, QColor(52, 101, 164));
            break;
        case TImage::SaveToSet:
            Disk(p, QColor(52, 101, 164));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(78, 154, 6));
            p.drawEllipse(QRectF(26, 26, 20, 20));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(34, 29, 4, 14));
            p.drawRect(QRectF(29, 34, 14, 4));
            break;
        case TImage::Start: {
            QPainterPath triangle;
            triangle.moveTo(12, 8);
            triangle.lineTo(40, 24);
            triangle.lineTo(12, 40);
            triangle.closeSubpath();
            p.setPen(QPen(QColor(46, 110, 0), 2));
            p.setBrush(QColor(92, 184, 30));
            p.drawPath(triangle);
            break;
        }
        case TImage::Stop:
            p.setPen(QPen(QColor(140, 20, 20), 2));
            p.setBrush(QColor(210, 45, 40));
            p.drawRoundedRect(QRectF(10, 10, 28, 28), 3, 3);
            break;
        case TImage::Sweep: {
            p.setPen(QPen(QColor(60, 60, 60), 2));
            p.drawLine(6, 42, 44, 42);
            p.drawLine(6, 42, 6, 6);
            QPainterPath steps;
            steps.moveTo(8, 38);
            for (int i = 0; i < 6; ++i) {
                steps.lineTo(8 + 6 * (i + 1), 38 - 5 * i);
                steps.lineTo(8 + 6 * (i + 1), 38 - 5 * (i + 1));
            }
            p.setPen(QPen(QColor(204, 102, 0), 3));
            p.drawPath(steps);
            break;
        }
        case TImage::Sine: {
            QPainterPath wave;
            for (int x = 4; x <= 44; ++x) {
                const double y = 24 - 14 * std::sin((x - 4) / 40.0 * 2 * M_PI);
                x == 4 ? wave.moveTo(x, y) : wave.lineTo(x, y);
            }
            p.setPen(QPen(QColor(117, 80, 123), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawPath(wave);
            break;
        }
        case TImage::Bits: {
            QFont font("DejaVu Sans Mono");
            font.setPixelSize(26);
            font.setBold(true);
            p.setFont(font);
            p.setPen(QColor(32, 74, 135));
            p.drawText(QRectF(0, 0, kSize, kSize), Qt::AlignCenter, "01");
            break;
        }
        case TImage::Settings: {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(85, 87, 83));
            p.translate(24, 24);
            for (int i = 0; i < 8; ++i) {
                p.drawRect(QRectF(-4, -21, 8, 10));
                p.rotate(45);
            }
            p.drawEllipse(QPointF(0, 0), 15, 15);
            p.setBrush(QColor(238, 238, 236));
            p.drawEllipse(QPointF(0, 0), 6, 6);
            break;
        }
        case TImage::About: {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(52, 101, 164));
            p.drawEllipse(QRectF(6, 6, 36, 36));
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(21, 12, 6, 6));
            p.drawRoundedRect(QRectF(21, 21, 6, 15), 2, 2);
            break;
        }
        case TImage::DeleteEnabled:
        case TImage::DeleteDisabled: {
            const QColor color = image == TImage::DeleteEnabled ? QColor(204, 0, 0) : QColor(170, 170, 170);
            p.setPen(QPen(color, 7, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(12, 12, 36, 36);
            p.drawLine(36, 12, 12, 36);
            break;
        }
        case TImage::Slider:
            p.setPen(QPen(QColor(90, 90, 90), 4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(8, 24, 40, 24);
            p.setPen(QPen(QColor(50, 50, 50), 2));
            p.setBrush(QColor(220, 220, 220));
            p.drawRoundedRect(QRectF(20, 12, 9, 24), 2, 2);
            break;
        case TImage::OpenFile:
            p.setPen(QPen(QColor(143, 89, 2), 2));
            p.setBrush(QColor(233, 185, 110));
            p.drawRoundedRect(QRectF(5, 12, 38, 28), 3, 3);
            p.setBrush(QColor(252, 233, 79));
            p.drawRect(QRectF(5, 8, 16, 6));
            break;
    }
}

}  // namespace

QIcon ProgramIcon(TImage image) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    Paint(painter, image);
    painter.end();
    return QIcon(pixmap);
}
