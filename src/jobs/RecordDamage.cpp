#include "jobs/RecordDamage.h"

std::string RecordDamageText(int record, RecordFault fault, const std::string& name) {
    std::string text = "Error: file record " + std::to_string(record) + " on tape skipped: ";
    switch (fault) {
    case RecordFault::NoHeader:
        return text + "no file header";
    case RecordFault::BadHeader:
        return text + "its header is damaged";
    case RecordFault::BadName:
        return text + "its name cannot be used as a file name: '" + name + "'";
    case RecordFault::ShortRecord:
        return text + "fewer blocks than its header says";
    case RecordFault::LongRecord:
        return text + "more blocks than its header says";
    default:
        return text + "it cannot be read";
    }
}

std::string RecordCountText(int count) {
    return std::to_string(count) + (count == 1 ? " file record" : " file records");
}
