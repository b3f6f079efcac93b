#include "ver_inf.h"

#include "tools/version_history.h"

TfmVerInf::TfmVerInf(QWidget* parent) : QWidget(parent, Qt::Window) {
    ui.setupUi(this);
    connect(ui.bApply, &QPushButton::clicked, this, &TfmVerInf::bApplyClick);
}

void TfmVerInf::ClearText() {
    ui.Memo1->clear();
}

void TfmVerInf::ShowHistory(int lang) {
    QStringList lines;
    for (const std::string& line : VersionHistoryLines(lang))
        lines << QString::fromStdString(line);
    ui.Memo1->setPlainText(lines.join('\n'));
}

void TfmVerInf::bApplyClick() {
    hide();
}
