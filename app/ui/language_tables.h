// The texts of every window in English and Russian: fixed tables, one per window, in the order the
// language switch applies them, so a reader can compare them with the interface line by line.
#pragma once

#include <span>

enum TTextKind {
    kTitle,            // the window's title
    kCaption,          // a label's, button's, check box's or group box's text
    kHint,             // a tool tip (a control or a toolbar action)
    kItem,             // list item `index` of a list, or of a radio group (its buttons <name>0, <name>1, ...)
    kCaptionPressed,   // a toggle button's text while it is pressed
    kCaptionReleased,  // ... and while it is released
    kTab,              // the title of a tab page
    kField,            // a string kept in a window field (a caption array entry, a unit, a dialog title)
};

struct TWindowText {
    const char* control;  // objectName of the control; "" for the window itself
    TTextKind kind;
    int index;  // list item or field array index
    const char* english;
    const char* russian;

    // The text in language 0 (English) or 1 (Russian).
    const char* Text(int language) const { return language == 1 ? russian : english; }
};

struct TWindowTexts {
    const char* window;  // objectName of the window
    std::span<const TWindowText> texts;
};

// Main window, packing-order dialog, sweep, sine, configuration-name dialog, About, settings, service.
std::span<const TWindowTexts> WindowTexts();
