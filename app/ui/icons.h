// The program's tool-button and side-button images, drawn at run time so that they are crisp at any
// screen scale and need no image files.
#pragma once

#include <QIcon>

enum class TImage {
    SaveToSet,       // a disk with a plus: "Create a set of configurations"
    Save,            // a disk
    Start,           // a green triangle
    Stop,            // a red square
    Sweep,           // a staircase of carrier steps
    Sine,            // a sine wave
    Bits,            // "01"
    Settings,        // a gear
    About,           // an "i" in a circle
    DeleteEnabled,   // a red cross: the delete buttons when unlocked (Ctrl+X)
    DeleteDisabled,  // the same cross in grey
    Slider,          // the side button of the attenuator and noise fields
    OpenFile,        // the side button of the file name
};

QIcon ProgramIcon(TImage image);
