#include "cli/ResultPrinter.h"

ResultPrinter::ResultPrinter(const VerifyResults& results, std::FILE* out, std::function<void()> beforeOutput)
    : results_(results), out_(out), beforeOutput_(std::move(beforeOutput)) {}

void ResultPrinter::RepaintResults() {
    const auto& rows = results_.Rows();
    if (rows.size() < printed_) printed_ = 0;  // a new run emptied the list
    if (printed_ == rows.size()) return;
    if (beforeOutput_) beforeOutput_();
    for (; printed_ < rows.size(); ++printed_) {
        const VerifyResultRow& row = rows[printed_];
        std::fprintf(out_, "%s\t%s\t%s\n", row.name.c_str(), row.status.c_str(), row.difference.c_str());
    }
    std::fflush(out_);
}

bool ResultPrinter::AllIdentical() const {
    for (const VerifyResultRow& row : results_.Rows())
        if (row.status != "OK") return false;
    return true;
}
