#include "jobs/RecordDamage.h"

std::string RecordDamageText(RecordFault fault, const std::string& name) {
    const char* reason = RecordFaultReason(fault);
    if (fault == RecordFault::BadName) return std::string(reason) + ": '" + name + "'";
    return *reason != '\0' ? reason : "it cannot be read";
}

std::string RecordCountText(int count) {
    return std::to_string(count) + (count == 1 ? " file record" : " file records");
}

std::string RecordListText(const std::vector<int>& records, int total) {
    std::string text;
    const std::size_t shown = records.size();
    for (std::size_t i = 0; i < shown; ++i) {
        if (i > 0) text += (i + 1 == shown && static_cast<int>(shown) == total) ? " and " : ", ";
        text += std::to_string(records[i]);
    }
    if (total > static_cast<int>(shown)) text += " and " + std::to_string(total - static_cast<int>(shown)) + " more";
    return text;
}
