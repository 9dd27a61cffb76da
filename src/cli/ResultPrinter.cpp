#include "cli/ResultPrinter.h"

#include "cli/OutputText.h"

ResultPrinter::ResultPrinter(const VerifyResults& results, std::FILE* out, std::function<void()> beforeOutput,
                             bool json)
    : results_(results), out_(out), beforeOutput_(std::move(beforeOutput)), json_(json) {}

void ResultPrinter::RepaintResults() {
    const auto& rows = results_.Rows();
    if (rows.size() < printed_) printed_ = 0;  // a new run emptied the list
    if (json_ || printed_ == rows.size()) return;
    if (beforeOutput_) beforeOutput_();
    for (; printed_ < rows.size(); ++printed_) {
        const VerifyResultRow& row = rows[printed_];
        std::fprintf(out_, "%s\t%s\t%s\n", TsvField(row.name).c_str(), row.status.c_str(), row.difference.c_str());
    }
    std::fflush(out_);
}

bool ResultPrinter::AllIdentical() const {
    for (const VerifyResultRow& row : results_.Rows())
        if (row.status != "OK") return false;
    return true;
}

void ResultPrinter::PrintJson(const std::string& tapeName) const {
    nlohmann::json files = nlohmann::json::array();
    for (const VerifyResultRow& row : results_.Rows())
        files.push_back({{"name", row.name},
                         {"status", row.status},
                         {"difference", row.difference.empty() ? nlohmann::json(nullptr)
                                                               : nlohmann::json(std::stoll(row.difference))}});
    if (beforeOutput_) beforeOutput_();
    WriteJson(out_, {{"tape", tapeName}, {"completed", completed_}, {"files", files}});
}
