#pragma once
// Whether a control of the main window is shown and whether it takes input.

struct ControlState {
    bool visible = true;
    bool enabled = true;
};
