#include "ui/ControlGrowth.h"

namespace {

int Moved(ControlGrowth::Share share, int added) {
    switch (share) {
    case ControlGrowth::Half:
        return added / 2;
    case ControlGrowth::All:
        return added;
    case ControlGrowth::None:
        break;
    }
    return 0;
}

}  // namespace

ControlRect ControlGrowth::Apply(const ControlRect& base, int addedWidth, int addedHeight) const {
    const int dw = addedWidth > 0 ? addedWidth : 0;
    const int dh = addedHeight > 0 ? addedHeight : 0;
    const int x = base.x + Moved(left, dw);
    const int y = base.y + Moved(top, dh);
    return {x, y, base.x + base.width + Moved(right, dw) - x, base.y + base.height + Moved(bottom, dh) - y};
}
