#pragma once
// Everything the main window shows, without a toolkit. Handlers change it;
// the window renders it after each handler (and the status line at once,
// while a job runs).

#include <map>
#include <string>
#include <vector>

#include "lists/ListModel.h"
#include "ui/ControlState.h"
#include "ui/ProgressScale.h"
#include "ui/TabAreaState.h"

struct WindowState {
    // Controls not in the map are shown and enabled.
    std::map<int, ControlState> controls;
    ControlState Control(int id) const;
    void Show(int id, bool visible) { controls[id].visible = visible; }
    void Enable(int id, bool enabled) { controls[id].enabled = enabled; }

    TabAreaState area = TabAreaState::Starting;
    std::string notice = kStartingNotice;  // label 1028
    int tab = 0;
    int defaultButton = 0;  // a ControlId; the device combo stands for "none"

    std::vector<std::string> adapterEntries;
    int adapterIndex = -1;
    std::vector<std::string> deviceEntries;
    int deviceIndex = -1;
    std::string capacity;
    std::string blockSize;

    ListModel leftList;
    ListModel rightList;
    std::string leftLabel = "Tape:";
    std::string rightLabel = "Tape:";
    // What a label cut to its limit stands for (the whole path or tape
    // name), for its tooltip; empty when the label is whole.
    std::string leftLabelWhole;
    std::string rightLabelWhole;
    // The tape whose directory file the Utilities tab's right list shows
    // entry by entry; empty while it shows anything else.
    std::string shownCatalog;

    std::string statusText;
    ProgressScale progress = ProgressScale::For(0, 0);
    std::string byteLabel;  // empty at start and on the Utilities tab

    // The folder the browser lists; the start directory and the current
    // tape's texts are the session's.
    std::string browseDirectory = "/";
};
