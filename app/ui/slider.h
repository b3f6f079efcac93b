// The slider popup of the attenuator and noise fields: a borderless window holding one slider that
// sets the field, its configuration value and the board at every move by the operator.
//
//   mode 0  edNoise  -40..15  Pomeha  WriteNoise, then Write_TI
//   mode 1  edNHAtt    0..31  AttNH   Write_Att_L
//   mode 2  edVHAtt    0..31  AttVH   Write_Att_H
#pragma once

#include <QLineEdit>
#include <QWidget>

#include "ui_slider.h"

class TfmSlider : public QWidget {
    Q_OBJECT

 public:
    explicit TfmSlider(QWidget* parent = nullptr);

    // Prepares the popup for a field: placed at the field (left edge 2 px left of the field's, top 2 px
    // above its bottom, moved left to stay on the screen), the range Min..Max, and the slider at the
    // field's value rounded (halves to even) when it lies strictly inside the range. Writes nothing.
    // Throws EConvertError when the field holds text that is not a number.
    void SetOcupation(QLineEdit* pControl, int Mode, int Min, int Max);
    // Showing: an empty field becomes "0"; the slider then stands at the field read as an integer, held
    // to the range. A field holding a number that is not an integer keeps the rounded position that
    // SetOcupation gave (12.5 shows 12, not 0); any other text puts the slider at 0. Writes nothing
    // else.
    void FormShow();
    // A move by the operator: the field shows the position, the mode's value takes it, the board follows.
    void SliderBarChange(int position);
    // Losing the focus (a popup closes then): logs the mode's final value, once per showing, and closes.
    void FormDeactivate();

    QLineEdit* SenderControl = nullptr;
    int pMode = 0;
    int pMin = 0;
    int pMax = 0;
    Ui::fmSlider ui;

 protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

 private:
    void LogFinalValue();
    bool logged_ = true;
    bool presetByValue_ = false;  // SetOcupation placed the slider at the field's rounded value
};
