#include "bits.h"

#include "hw/hardware.h"
#include "hw/parameters.h"
#include "tools/logger.h"

namespace {

int SelectedIndex(const QRadioButton* item0, const QRadioButton* item1) {
    return item0->isChecked() ? 0 : item1->isChecked() ? 1 : -1;
}

void Select(QRadioButton* item0, QRadioButton* item1, int index) {
    // Radio buttons of one group exclude each other only while one of them is checked; clearing both
    // needs the exclusivity off for a moment.
    item0->setAutoExclusive(false);
    item1->setAutoExclusive(false);
    item0->setChecked(index == 0);
    item1->setChecked(index == 1);
    item0->setAutoExclusive(true);
    item1->setAutoExclusive(true);
}

std::string ItemText(const QRadioButton* item0, const QRadioButton* item1, int index) {
    return index == 0 ? item0->text().toStdString() : index == 1 ? item1->text().toStdString() : "";
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    connect(ui.Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(ui.Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
}

int TForm1::PackBitsIndex() const {
    return SelectedIndex(ui.pack_bits0, ui.pack_bits1);
}

int TForm1::PackByteIndex() const {
    return SelectedIndex(ui.pack_byte0, ui.pack_byte1);
}

void TForm1::SetPackBitsIndex(int index) {
    Select(ui.pack_bits0, ui.pack_bits1, index);
}

void TForm1::SetPackByteIndex(int index) {
    Select(ui.pack_byte0, ui.pack_byte1, index);
}

void TForm1::Button1Click() {
    ApplyPackingOrder(*ZorvanHWObject, PackBitsIndex(), PackByteIndex());
    DebugLogger.Add("i", "TForm1.Button1Click", 255,
                    "Bits order:" + ItemText(ui.pack_bits0, ui.pack_bits1, PackBitsIndex()));
    DebugLogger.Add("i", "TForm1.Button1Click", 255,
                    "Bytes order:" + ItemText(ui.pack_byte0, ui.pack_byte1, PackByteIndex()));
    hide();
}

void TForm1::Button2Click() {
    hide();
}
