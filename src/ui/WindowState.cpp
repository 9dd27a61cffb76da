#include "ui/WindowState.h"

ControlState WindowState::Control(int id) const {
    const auto found = controls.find(id);
    return found == controls.end() ? ControlState{} : found->second;
}
