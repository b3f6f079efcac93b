#include "field_keys.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "handlers.h"

namespace {

// Keys that move, delete or cancel rather than type: they reach the field unfiltered.
bool IsEditingKey(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
        case Qt::Key_Delete:
            return true;
        default:
            return key.text().isEmpty();
    }
}

bool IsLeave(Qt::FocusReason reason) {
    switch (reason) {
        case Qt::MouseFocusReason:
        case Qt::TabFocusReason:
        case Qt::BacktabFocusReason:
        case Qt::ShortcutFocusReason:
            return true;
        default:  // another window or a box took the focus, a popup opened, or the program moved it (as
                  // when the window is disabled for a device load)
            return false;
    }
}

}  // namespace

TFieldKeys::TFieldKeys(QLineEdit* field, std::function<bool(char16_t&)> filter,
                       std::function<void(bool)> apply, bool applyOnLeave)
    : QObject(field),
      field_(field),
      filter_(std::move(filter)),
      apply_(std::move(apply)),
      applyOnLeave_(applyOnLeave) {
    field->installEventFilter(this);
}

bool TFieldKeys::eventFilter(QObject* watched, QEvent* event) {
    if (watched != field_) return false;
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & Qt::ControlModifier) return false;
        if (IsEditingKey(*key)) return false;
        char16_t code = key->text().at(0).unicode();
        if (filter_ && !filter_(code)) return true;  // swallowed
        if (code == 13) {
            Apply(true);
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut && applyOnLeave_ &&
        IsLeave(static_cast<QFocusEvent*>(event)->reason()))
        Apply(false);
    return false;
}

void TFieldKeys::Apply(bool byEnter) {
    if (applying_) return;
    applying_ = true;
    RunHandler([&] { apply_(byEnter); });
    applying_ = false;
}
