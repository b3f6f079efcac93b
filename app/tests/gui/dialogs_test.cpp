// The LED indicator's drawing.
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include "tools/my_leds.h"

namespace gui_test {

class LedTest : public QObject {
    Q_OBJECT

 private:
    static QImage Drawn(const TMyLedRect& led, int size) {
        QImage image(size, size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        led.Draw(painter, size, size);
        return image;
    }

 private slots:
    void twelvePixelLed() {
        TMyLedRect led(nullptr, LedColor(0, 255, 0), kLedGrey, true);
        const QImage image = Drawn(led, 12);
        const QRgb green = qRgb(0, 255, 0), white = qRgb(255, 255, 255);
        for (int y = 2; y <= 9; ++y)
            for (int x = 2; x <= 9; ++x) {
                const bool highlight = y == 3 && (x == 3 || x == 4);
                QCOMPARE(image.pixel(x, y), highlight ? white : green);
            }
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(image.pixel(11, i), white);  // column 11
            QCOMPARE(image.pixel(i, 11), white);  // row 11
        }
        QCOMPARE(image.pixel(0, 0), qRgb(180, 180, 180));
        QCOMPARE(image.pixel(1, 1), qRgb(135, 135, 135));
        QCOMPARE(image.pixel(10, 5), qRgb(226, 226, 226));
    }

    void coloursAndState() {
        QWidget area;
        area.resize(12, 12);
        TMyLedRect led(&area, kLedGrey, kLedGrey, true);
        led.SetActiveColor(LedColor(0, 255, 0));
        QCOMPARE(Drawn(led, 12).pixel(6, 6), qRgb(0, 255, 0));  // an active LED shows the new colour
        led.SetInactiveColor(LedColor(255, 0, 0));
        QCOMPARE(Drawn(led, 12).pixel(6, 6), qRgb(0, 255, 0));  // nothing visible changes
        led.SetActive(false);
        QCOMPARE(Drawn(led, 12).pixel(6, 6), qRgb(255, 0, 0));
    }
};

}  // namespace gui_test

QTEST_MAIN(gui_test::LedTest)
#include "dialogs_test.moc"
