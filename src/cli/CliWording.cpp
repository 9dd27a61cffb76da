#include "cli/CliWording.h"

#include <cstdio>
#include <cstdlib>

namespace {

void Replace(std::string& text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
}

// "Total transfer rate: 4096. KByte/min" -> "Total transfer rate: 0.1 MB/s".
void ConvertRates(std::string& text) {
    static const std::string kUnit = " KByte/min";
    for (std::size_t end = text.find(kUnit); end != std::string::npos; end = text.find(kUnit, end)) {
        const std::size_t start = text.rfind(": ", end);
        if (start == std::string::npos) break;
        const std::string rate = CliWording::MegabytesPerSecond(text.substr(start + 2, end - start - 2));
        text.replace(start + 2, end + kUnit.size() - start - 2, rate);
        end = start + 2 + rate.size();
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

std::string CliWording::Reword(const std::string& given, const std::string& tapeName) {
    std::string text = given;
    const std::string name = tapeName.empty() ? "NAME" : tapeName;
    const std::string rebuild = "make it anew from the tape with \"tapewren-cli rebuild\"";
    const std::string import = "copy it from the floppy folder with \"tapewren-cli import " + name + "\"";
    Replace(text, "\nYou can make or import a DirFile on the Utilities tab.",
            "\nThe catalog folder holds no " + name + ".twd: " + rebuild + ", or " + import + ".");
    Replace(text, "\nCheck that on the Utilities tab.",
            "\n\"tapewren-cli check\" shows the tape's name and date of formatting; \"tapewren-cli rebuild\" "
            "makes its catalog anew from the tape.");
    Replace(text, "Create the Directory File from tape contents, or import a good copy, on the Utilities tab.",
            "Make the catalog anew from the tape with \"tapewren-cli rebuild\", or " + import + ".");
    Replace(text, "Create the Directory File from tape contents, or import the newer copy, on the Utilities tab.",
            "Make the catalog anew from the tape with \"tapewren-cli rebuild\", or copy the newer one from the "
            "floppy folder with \"tapewren-cli import " + name + "\".");
    if (text.find(" KByte/min") != std::string::npos) ConvertRates(text);
    return text;
}
