#include "my_leds.h"

#include <QPainter>
#include <QWidget>

namespace {

QColor FromBgr(std::int32_t color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// A horizontal or vertical line from (x0, y0) up to, but not including, (x1, y1).
void Line(QPainter& painter, int x0, int y0, int x1, int y1, const QColor& color) {
    const int dx = (x1 > x0) - (x1 < x0);
    const int dy = (y1 > y0) - (y1 < y0);
    for (int x = x0, y = y0; x != x1 || y != y1; x += dx, y += dy)
        painter.fillRect(x, y, 1, 1, color);
}

}  // namespace

TMyLedRect::TMyLedRect(QWidget* obj, std::int32_t ActCol, std::int32_t InActCol, bool isactive)
    : LedObject(obj) {
    SetActiveColor(ActCol);
    SetInactiveColor(InActCol);
    CActive = isactive;
    Repaint();
}

void TMyLedRect::Draw() {
    if (!LedObject) return;
    QPainter painter(LedObject);
    Draw(painter, LedObject->width(), LedObject->height());
}

void TMyLedRect::Draw(QPainter& painter, int W, int H) const {
    painter.fillRect(0, 0, W, H, FromBgr(CActive ? CActiveColor : CInactiveColor));
    const QColor white(255, 255, 255);
    painter.fillRect(3, 3, 2, 1, white);  // the highlight: (3, 3) and (4, 3)
    const QColor outer(180, 180, 180), inner(135, 135, 135), lower(226, 226, 226);
    Line(painter, 0, 0, W - 1, 0, outer);
    Line(painter, 0, 0, 0, H - 1, outer);
    Line(painter, 1, 1, W - 2, 1, inner);
    Line(painter, 1, 1, 1, H - 2, inner);
    Line(painter, W - 2, H - 2, W - 2, 0, lower);
    Line(painter, W - 2, H - 2, 0, H - 2, lower);
    Line(painter, W - 1, H - 1, W - 1, -1, white);
    Line(painter, W - 1, H - 1, -1, H - 1, white);
}

void TMyLedRect::SetActiveColor(std::int32_t color) {
    CActiveColor = color;
    Repaint();
}

void TMyLedRect::SetInactiveColor(std::int32_t color) {
    CInactiveColor = color;
    Repaint();
}

void TMyLedRect::SetActive(bool active) {
    CActive = active;
    Repaint();
}

void TMyLedRect::Repaint() {
    if (LedObject) LedObject->update();
}
