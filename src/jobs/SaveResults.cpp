#include "jobs/SaveResults.h"

#include "tape/JoinPath.h"
#include "tape/LocalFile.h"

namespace {

// Each column was read into a buffer of 254 bytes.
constexpr std::size_t kColumnLimit = 253;
constexpr std::size_t kLongName = 40;
constexpr std::size_t kShortName = 17;

void Padded(std::string& out, const std::string& text, std::size_t width) {
    const std::string cut = text.substr(0, kColumnLimit);
    out += cut;
    if (cut.size() < width) out.append(width - cut.size(), ' ');
}

}  // namespace

std::string VerifyResultsText(const VerifyResults& results) {
    const std::string rule(73, '-');
    std::string text;
    text += rule + "\n";
    text += std::string(29, ' ') + "Verify Results" + std::string(30, ' ') + "\n";
    text += rule + "\n";
    text += "\n";
    Padded(text, "Filename", 36);
    Padded(text, "Verify", 17);
    Padded(text, "Error starts at byte", 20);
    text += "\n";
    Padded(text, std::string(8, '-'), 36);
    Padded(text, std::string(6, '-'), 17);
    Padded(text, std::string(20, '-'), 20);
    text += "\n";
    for (const VerifyResultRow& row : results.Rows()) {
        std::string name = row.name.substr(0, kColumnLimit);
        if (name.size() > kLongName) name = name.substr(0, kShortName) + "...";
        Padded(text, name, 36);
        Padded(text, row.status, 17);
        Padded(text, row.difference, 20);
        text += "\n";
    }
    return text;
}

int SaveResults(const std::string& startDirectory, const VerifyResults& results, MessageSink& messages) {
    std::string path;
    JoinPath(startDirectory, kVerifyResultsFileName, path);
    LocalFile file;
    if (file.CreateForWriting(path, false) != 0) {
        messages.ShowMessage("Error creating verify result file", Error);
        return -1;
    }
    const std::string text = VerifyResultsText(results);
    const bool written = file.Write(text.data(), text.size()) == 0 && file.Sync() == 0;
    if (file.Close() != 0 || !written) {
        messages.ShowMessage("Error writing verify result file", Error);
        return -1;
    }
    messages.ShowMessage("Saved verify results to: 'VerifyResults.txt'", Info);
    return 0;
}
