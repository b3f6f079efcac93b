#include "language.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>
#include <QWidget>

namespace {

QObject* Control(QWidget* window, const TWindowText& t) {
    if (*t.control == '\0') return window;
    return window->findChild<QObject*>(QString::fromUtf8(t.control));
}

// The radio button of item `index` of a radio group.
QAbstractButton* GroupItem(QGroupBox* group, int index) {
    return group->findChild<QAbstractButton*>(group->objectName() + QString::number(index));
}

// The tab widget that holds `page`, with the page's index in it.
std::pair<QTabWidget*, int> TabOf(QObject* page) {
    auto* widget = qobject_cast<QWidget*>(page);
    for (QObject* p = page ? page->parent() : nullptr; widget && p; p = p->parent())
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) return {tabs, tabs->indexOf(widget)};
    return {nullptr, -1};
}

// Sets (text given) or reads (text null) one entry; false when there is no such control.
bool Access(QWidget* window, const TWindowText& t, const QString* text, QString* shown) {
    QObject* c = Control(window, t);
    if (!c) return false;
    const auto put = [&](auto set, auto get) {
        text ? set(*text) : void(*shown = get());
        return true;
    };
    switch (t.kind) {
        case kTitle:
            if (auto* w = qobject_cast<QWidget*>(c))
                return put([w](const QString& s) { w->setWindowTitle(s); }, [w] { return w->windowTitle(); });
            return false;
        case kCaption:
        case kCaptionPressed:
        case kCaptionReleased:
            if (auto* b = qobject_cast<QAbstractButton*>(c)) {
                if (t.kind != kCaption && b->isChecked() != (t.kind == kCaptionPressed)) return true;
                return put([b](const QString& s) { b->setText(s); }, [b] { return b->text(); });
            }
            if (auto* l = qobject_cast<QLabel*>(c))
                return put([l](const QString& s) { l->setText(s); }, [l] { return l->text(); });
            if (auto* g = qobject_cast<QGroupBox*>(c))
                return put([g](const QString& s) { g->setTitle(s); }, [g] { return g->title(); });
            return false;
        case kHint:
            if (auto* a = qobject_cast<QAction*>(c))
                return put([a](const QString& s) { a->setToolTip(s); }, [a] { return a->toolTip(); });
            if (auto* w = qobject_cast<QWidget*>(c))
                return put([w](const QString& s) { w->setToolTip(s); }, [w] { return w->toolTip(); });
            return false;
        case kItem:
            if (auto* list = qobject_cast<QComboBox*>(c); list && t.index < list->count())
                return put([list, &t](const QString& s) { list->setItemText(t.index, s); },
                           [list, &t] { return list->itemText(t.index); });
            if (auto* g = qobject_cast<QGroupBox*>(c))
                if (QAbstractButton* b = GroupItem(g, t.index))
                    return put([b](const QString& s) { b->setText(s); }, [b] { return b->text(); });
            return false;
        case kTab:
            if (auto [tabs, i] = TabOf(c); tabs && i >= 0)
                return put([tabs, i](const QString& s) { tabs->setTabText(i, s); },
                           [tabs, i] { return tabs->tabText(i); });
            return false;
        case kField:
            return false;
    }
    return false;
}

}  // namespace

int ApplyWindowTexts(QWidget* window, const TWindowTexts& table, int language, const TFieldTextSink& fields) {
    int missing = 0;
    for (const TWindowText& t : table.texts) {
        const QString text = QString::fromUtf8(t.Text(language));
        if (t.kind == kField) {
            if (fields)
                fields(t.control, t.index, text);
            else
                ++missing;
        } else if (!Access(window, t, &text, nullptr)) {
            ++missing;
        }
    }
    return missing;
}

std::optional<QString> ShownText(QWidget* window, const TWindowText& t) {
    if (t.kind == kField) return std::nullopt;
    if ((t.kind == kCaptionPressed || t.kind == kCaptionReleased)) {
        auto* b = qobject_cast<QAbstractButton*>(Control(window, t));
        if (!b || b->isChecked() != (t.kind == kCaptionPressed)) return std::nullopt;
    }
    QString shown;
    if (!Access(window, t, nullptr, &shown)) return std::nullopt;
    return shown;
}
