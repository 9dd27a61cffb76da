#pragma once
// The verify results as they come: each new row as one line on the output,
// "name<TAB>status<TAB>difference" (a tab or line break in a name escaped),
// or nothing while they come when the output is one JSON document. Tells whether the run got to its end
// (the window enables its buttons only then).

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

#include "jobs/VerifyResults.h"
#include "jobs/VerifyResultsSink.h"

class ResultPrinter : public VerifyResultsSink {
public:
    // beforeOutput: runs before rows are written (may be empty).
    ResultPrinter(const VerifyResults& results, std::FILE* out, std::function<void()> beforeOutput = {},
                  bool json = false);

    void ShowResults() override { completed_ = false; }
    void HideResults() override {}
    void EnableButtons(bool enabled) override { completed_ = enabled; }
    void RepaintResults() override;

    bool Completed() const { return completed_; }
    // Every row says "OK".
    bool AllIdentical() const;
    // The JSON document of the rows, once the run has ended.
    void PrintJson(const std::string& tapeName) const;

private:
    const VerifyResults& results_;
    std::FILE* out_;
    std::function<void()> beforeOutput_;
    bool json_;
    std::size_t printed_ = 0;
    bool completed_ = false;
};
