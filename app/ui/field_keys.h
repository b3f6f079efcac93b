// The main window's text fields as the operator types into them. The field's key filter acts on each
// typed character (with Ctrl held nothing is filtered); Enter applies the field; leaving the field
// applies it too. Leaving means the operator moved the focus to another control (a click, Tab,
// Shift+Tab, a shortcut): a message box or another window taking the focus is not a leave, so one
// wrong entry gives exactly one box; nor is a move of the focus by the program (the main window is
// disabled while the board loads).
#pragma once

#include <QObject>
#include <functional>

class QLineEdit;

class TFieldKeys : public QObject {
    Q_OBJECT

 public:
    // filter: the typed character as a 16-bit code, true to let it in (it may show its own message);
    // nullptr lets every character in. apply: the field's application, told whether Enter applied it.
    TFieldKeys(QLineEdit* field, std::function<bool(char16_t&)> filter,
               std::function<void(bool byEnter)> apply, bool applyOnLeave = true);

 protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

 private:
    void Apply(bool byEnter);

    QLineEdit* field_;
    std::function<bool(char16_t&)> filter_;
    std::function<void(bool)> apply_;
    bool applyOnLeave_;
    bool applying_ = false;
};
