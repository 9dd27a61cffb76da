#include "cli/CliWording.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The command line's texts: "%s" takes the message's next argument, "%T"
// the tape's name, "%R" the next argument as a rate in MB/s.
const char* CliText(MessageId id) {
    switch (id) {
    case MessageId::CatalogMissing:
        return "Error: DirFile not found on hard drive.%s\nThe catalog folder holds no %T.twd: make it anew from the "
               "tape with \"tapewren-cli rebuild\", or copy it from the floppy folder with \"tapewren-cli import "
               "%T\".";
    case MessageId::CatalogDiffers:
        return "Error: DirFile on hard drive and tape contents do not match.%s\n\"tapewren-cli check\" shows the "
               "tape's name and date of formatting; \"tapewren-cli rebuild\" makes its catalog anew from the tape.";
    case MessageId::CatalogDamaged:
        return "Error: DirFile on hard drive is damaged after entry %s.\nNothing was written. Make the catalog anew "
               "from the tape with \"tapewren-cli rebuild\", or copy it from the floppy folder with \"tapewren-cli "
               "import %T\".";
    case MessageId::UnlistedRecords:
        return "Error: the tape holds %s that the DirFile on hard drive does not list.\nNothing was written. Make "
               "the catalog anew from the tape with \"tapewren-cli rebuild\", or copy the newer one from the floppy "
               "folder with \"tapewren-cli import %T\".";
    case MessageId::BackupSummary:
        return "%s\nTotal size: %s Bytes\nTotal time: %s\nTotal transfer rate: %R\nDisk->tape rate: %R";
    case MessageId::RestoreSummary:
        return "%s\nTotal size: %s Bytes\nTotal time: %s\nTotal transfer rate: %R\nTape->disk rate: %R%s";
    default:
        return nullptr;
    }
}

}  // namespace

std::string CliWording::MegabytesPerSecond(const std::string& kilobytesPerMinute) {
    char* end = nullptr;
    const double rate = std::strtod(kilobytesPerMinute.c_str(), &end);
    if (end == kilobytesPerMinute.c_str()) return kilobytesPerMinute;
    const double mbs = rate * 1024.0 / 60.0 / 1e6;
    char text[48];
    std::snprintf(text, sizeof text, mbs >= 100 ? "%.0f MB/s" : mbs >= 10 ? "%.1f MB/s" : "%.2f MB/s", mbs);
    return text;
}

std::string CliWording::Reword(const Message& message, const std::string& tapeName) {
    const char* format = CliText(message.id);
    if (format == nullptr) return message.text;
    const std::string name = tapeName.empty() ? "NAME" : tapeName;
    std::string text;
    std::size_t next = 0;
    auto arg = [&]() -> std::string { return next < message.args.size() ? message.args[next++] : std::string(); };
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p == '%' && (p[1] == 's' || p[1] == 'T' || p[1] == 'R')) {
            ++p;
            text += *p == 'T' ? name : *p == 'R' ? MegabytesPerSecond(arg()) : arg();
            continue;
        }
        text += *p;
    }
    return text;
}
