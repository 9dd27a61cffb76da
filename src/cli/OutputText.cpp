#include "cli/OutputText.h"

namespace {

constexpr char kHex[] = "0123456789abcdef";

void PutHex(std::string& out, unsigned char c) {
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

bool IsControl(unsigned char c) { return c < 0x20 || c == 0x7F; }

// The two bytes of a C1 control character (U+0080 to U+009F) in UTF-8.
bool IsC1At(const std::string& text, std::size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

// Appends text with its control characters escaped; keepLineBreaks: line
// feeds and tabs stay as they are.
void Escape(std::string& out, const std::string& text, bool escapeBackslash, bool keepLineBreaks) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (IsC1At(text, i)) {
            PutHex(out, byte);
            PutHex(out, static_cast<unsigned char>(text[++i]));
            continue;
        }
        if (c == '\\' && escapeBackslash) {
            out += "\\\\";
            continue;
        }
        if (!IsControl(byte) || (keepLineBreaks && (c == '\n' || c == '\t'))) {
            out += c;
            continue;
        }
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: PutHex(out, byte);
        }
    }
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysIn(int month, int year) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

}  // namespace

std::string TsvField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    Escape(out, text, true, false);
    return out;
}

std::string TerminalText(const std::string& text, bool lineBreaks) {
    std::string out;
    out.reserve(text.size());
    Escape(out, text, false, lineBreaks);
    return out;
}

void AppendTerminalText(std::string& out, const std::string& text, bool lineBreaks) {
    Escape(out, text, false, lineBreaks);
}

nlohmann::json IsoDate(const std::string& d) {
    if (d.size() != 10 || d[2] != '.' || d[5] != '.') return nullptr;
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u})
        if (d[i] < '0' || d[i] > '9') return nullptr;
    const int day = (d[0] - '0') * 10 + (d[1] - '0');
    const int month = (d[3] - '0') * 10 + (d[4] - '0');
    const int year = std::stoi(d.substr(6, 4));
    if (month < 1 || month > 12 || day < 1 || day > DaysIn(month, year)) return nullptr;
    return d.substr(6, 4) + "-" + d.substr(3, 2) + "-" + d.substr(0, 2);
}

void WriteJson(std::FILE* out, const nlohmann::json& document) {
    const std::string text = document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::fprintf(out, "%s\n", text.c_str());
    std::fflush(out);
}
