#include "qt_operator_ui.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>
#include <memory>

namespace {

QMessageBox::Icon IconOf(TMsgKind kind) {
    switch (kind) {
        case TMsgKind::Warning:
            return QMessageBox::Warning;
        case TMsgKind::Error:
            return QMessageBox::Critical;
        case TMsgKind::Information:
        case TMsgKind::Confirm:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

// Runs a box on the GUI thread and returns the button the operator chose.
int RunBox(const std::string& text, TMsgKind kind, QMessageBox::StandardButtons buttons,
           const QPoint* topLeft) {
    QMessageBox box(IconOf(kind), QString::fromUtf8(MsgBoxCaption(kind)), QString::fromStdString(text),
                    buttons);
    box.setWindowModality(Qt::ApplicationModal);
    if (topLeft) {
        box.adjustSize();
        box.move(*topLeft);
    }
    return box.exec();
}

QMessageBox::StandardButtons ButtonsOf(TMsgButtons buttons) {
    return buttons == TMsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                            : QMessageBox::StandardButtons(QMessageBox::Ok);
}

bool OnGuiThread() {
    return !qApp || QThread::currentThread() == qApp->thread();
}

}  // namespace

void TQtMessageBoxes::ShowMsgBox(const std::string& text, TMsgKind kind, TMsgButtons buttons) {
    if (OnGuiThread()) {
        RunBox(text, kind, ButtonsOf(buttons), nullptr);
        return;
    }
    auto closed = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        qApp,
        [this, text, kind, buttons, closed] {
            RunBox(text, kind, ButtonsOf(buttons), nullptr);
            std::lock_guard lock(mutex_);
            *closed = true;
            changed_.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return *closed || workersMustNotWait_; });
}

bool TQtMessageBoxes::AskOkCancel(const std::string& text, TMsgKind kind, int left, int top) {
    const QPoint topLeft(left, top);
    return RunBox(text, kind, QMessageBox::Ok | QMessageBox::Cancel, &topLeft) == QMessageBox::Ok;
}

void TQtMessageBoxes::SetWorkersMustNotWait(bool on) {
    std::lock_guard lock(mutex_);
    workersMustNotWait_ = on;
    changed_.notify_all();
}

std::optional<std::string> TQtFileDialogs::OpenSourceFile(const std::string& directory) {
    const QString chosen =
        QFileDialog::getOpenFileName(nullptr, QString(), QString::fromStdString(directory));
    if (chosen.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(chosen).toStdString();
}

std::optional<std::string> TQtFileDialogs::SaveSetFile(const std::string& directory,
                                                       const std::string& title) {
    QFileDialog dialog(nullptr, QString::fromStdString(title), QString::fromStdString(directory),
                       "Configuration (*.cfg)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);  // an existing set gains the configuration
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    QString file = dialog.selectedFiles().first();
    if (!file.endsWith(".cfg", Qt::CaseInsensitive)) file += ".cfg";
    return QDir::toNativeSeparators(file).toStdString();
}
