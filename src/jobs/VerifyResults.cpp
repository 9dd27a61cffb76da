#include "jobs/VerifyResults.h"

void VerifyResults::Clear() {
    rows_.clear();
    ++revision_;
}

void VerifyResults::Add(VerifyResultRow row) {
    rows_.push_back(std::move(row));
    ++revision_;
}
