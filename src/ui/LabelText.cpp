#include "ui/LabelText.h"

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Length of a prefix of at most n bytes that ends on a character boundary.
std::size_t PrefixLength(const std::string& text, std::size_t n) {
    while (n > 0 && n < text.size() && IsContinuationByte(text[n])) --n;
    return n;
}

// Start of a suffix of at most n bytes that begins on a character boundary.
std::size_t SuffixStart(const std::string& text, std::size_t n) {
    std::size_t start = text.size() - n;
    while (start < text.size() && IsContinuationByte(text[start])) ++start;
    return start;
}

}  // namespace

std::string LabelText::TapeLabel(const std::string& tapeName, std::size_t limit) {
    std::string label = "Tape: '" + tapeName + "'";
    if (limit == 0 || label.size() <= limit) return label;
    label.resize(PrefixLength(label, limit - 1));
    return label + "...'";
}

std::string LabelText::BrowsePath(const std::string& path) {
    if (path.size() <= kBrowsePathLimit) return path;
    return path.substr(0, PrefixLength(path, 3)) + "..." + path.substr(SuffixStart(path, 40));
}
