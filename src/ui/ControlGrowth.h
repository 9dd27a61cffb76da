#pragma once
// How a control of the main window follows the window when the user makes
// it larger than its default size: each edge moves by none, half or all of
// the added width (left and right edges) or height (top and bottom). At the
// default size nothing moves. Half is rounded down for every edge alike, so
// neighbours whose facing edges both move by half keep their distance.

struct ControlRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ControlRect&) const = default;
};

struct ControlGrowth {
    enum Share { None, Half, All };

    Share left = None;
    Share right = None;
    Share top = None;
    Share bottom = None;

    // base: the control's place at the default size; added: how much larger
    // than that the window is (negative counts as 0).
    ControlRect Apply(const ControlRect& base, int addedWidth, int addedHeight) const;

    // Edges that move together, as most controls use them.
    static constexpr ControlGrowth Fixed() { return {}; }
    static constexpr ControlGrowth Move(Share x, Share y) { return {x, x, y, y}; }
};
