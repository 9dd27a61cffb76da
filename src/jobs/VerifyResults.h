#pragma once
// The rows of the verify results window, without a toolkit: one per file
// verified, in the order verified. Kept until the next verify run.

#include <cstdint>
#include <string>
#include <vector>

struct VerifyResultRow {
    std::string name;
    std::string status;      // "OK", "Failed", "File not found", or "Damaged" for the catalog's
                             // entry of a record that could not be read
    std::string difference;  // offset of the first difference, "Failed" only
    int image = 0;           // 17 identical, 18 failed or not found
};

class VerifyResults {
public:
    const std::vector<VerifyResultRow>& Rows() const { return rows_; }
    std::uint64_t Revision() const { return revision_; }

    void Clear();
    void Add(VerifyResultRow row);

private:
    std::vector<VerifyResultRow> rows_;
    std::uint64_t revision_ = 0;
};
