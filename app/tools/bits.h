// The packing-order dialog: the bit order and the byte order in which a bit-stream source is packed for
// the board. The orders live in the hardware object (packing_bit, packing_byte: 0 little-endian,
// 1 big-endian); every device load writes them again.
#pragma once

#include <QDialog>

#include "ui_bits.h"

class TForm1 : public QDialog {
    Q_OBJECT

 public:
    explicit TForm1(QWidget* parent = nullptr);

    // Selected index of a group (-1 when none is selected) and its selection.
    int PackBitsIndex() const;
    int PackByteIndex() const;
    void SetPackBitsIndex(int index);
    void SetPackByteIndex(int index);

    // "Ok": stores both orders, SetPackingOrder, logs them and closes. "Cancel": closes.
    void Button1Click();
    void Button2Click();

    Ui::Form1 ui;
};
