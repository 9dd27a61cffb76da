#include "jobs/SaveResults.h"

#include "catalog/ReplaceFile.h"
#include "tape/JoinPath.h"

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
    const std::string text = VerifyResultsText(results);
    // The file replaces what stands under its name; a link there is not
    // followed.
    const int replaced = ReplaceFile(path, text.data(), text.size());
    if (replaced == kReplaceNotCreated) {
        messages.ShowMessage(MessageId::ErrorCreatingVerifyResults);
        return -1;
    }
    if (replaced != kReplaced) {
        messages.ShowMessage(MessageId::ErrorWritingVerifyResults);
        return -1;
    }
    messages.ShowMessage(MessageId::VerifyResultsSaved);
    return 0;
}
