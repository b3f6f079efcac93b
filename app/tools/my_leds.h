// The LED indicator of the sweep and sine states: a small sunken coloured square drawn on a paint area.
// Colours are 24-bit RGB values stored as 0x00BBGGRR. Each property setter stores the value and asks
// the paint area to repaint; the paint area's paint event calls Draw.
#pragma once

#include <cstdint>

class QPainter;
class QWidget;

class TMyLedRect {
 public:
    TMyLedRect(QWidget* obj, std::int32_t ActCol, std::int32_t InActCol, bool isactive);
    TMyLedRect(const TMyLedRect&) = delete;
    TMyLedRect& operator=(const TMyLedRect&) = delete;

    // Paints the LED on its paint area (from the area's paint event).
    void Draw();
    // Paints the LED on any W x H surface.
    void Draw(QPainter& painter, int W, int H) const;

    std::int32_t ActiveColor() const { return CActiveColor; }
    std::int32_t InactiveColor() const { return CInactiveColor; }
    bool Active() const { return CActive; }
    void SetActiveColor(std::int32_t color);
    void SetInactiveColor(std::int32_t color);
    void SetActive(bool active);

 private:
    void Repaint();

    std::int32_t CActiveColor = 0;
    std::int32_t CInactiveColor = 0;
    bool CActive = false;
    QWidget* LedObject;  // not owned
};

// 0x00BBGGRR from red, green and blue.
constexpr std::int32_t LedColor(int r, int g, int b) {
    return static_cast<std::int32_t>((b << 16) | (g << 8) | r);
}
inline constexpr std::int32_t kLedGreen = LedColor(0, 255, 0);
inline constexpr std::int32_t kLedGrey = LedColor(128, 128, 128);  // 0x808080
