#pragma once
// The progress bar counts in percent: the scale is 100 / total rounded to
// single precision, so the upper bound is 100 for some totals and 99 for
// others, and done == total always fills the bar.

#include <cstdint>
#include <string>

class ProgressScale {
public:
    // Label "done / total Bytes"; range 0..Maximum(), position Position().
    // A total of 0 gives an empty bar (0..0, position 0).
    static ProgressScale For(std::int64_t done, std::int64_t total);

    const std::string& Label() const { return label_; }
    int Maximum() const { return maximum_; }
    int Position() const { return position_; }

private:
    std::string label_;
    int maximum_ = 0;
    int position_ = 0;
};
