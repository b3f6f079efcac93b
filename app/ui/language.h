// Applying the language tables to the windows, and reading back what a window shows.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string_view>

#include "language_tables.h"

class QWidget;

// Receives the texts of kind kField: the window keeps them in its own fields.
using TFieldTextSink = std::function<void(std::string_view field, int index, const QString& text)>;

// Sets every text of `table` in `language` (0 English, 1 Russian) on `window`, in the table's order.
// Toggle buttons get the pressed or the released caption by their state. Returns how many texts found
// no control of their name and kind (0 when the window and its table agree).
int ApplyWindowTexts(QWidget* window, const TWindowTexts& table, int language, const TFieldTextSink& fields);

// What `window` shows for one table entry; nothing for kField entries, for the caption of the other
// state of a toggle button, and when the control is missing.
std::optional<QString> ShownText(QWidget* window, const TWindowText& text);
