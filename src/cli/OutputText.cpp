#include "cli/OutputText.h"

std::string TsvField(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\\': out += "\\\\"; break;
        default: out += c;
        }
    }
    return out;
}

nlohmann::json IsoDate(const std::string& d) {
    if (d.size() != 10 || d[2] != '.' || d[5] != '.') return nullptr;
    for (std::size_t i : {0u, 1u, 3u, 4u, 6u, 7u, 8u, 9u})
        if (d[i] < '0' || d[i] > '9') return nullptr;
    return d.substr(6, 4) + "-" + d.substr(3, 2) + "-" + d.substr(0, 2);
}

void WriteJson(std::FILE* out, const nlohmann::json& document) {
    const std::string text = document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::fprintf(out, "%s\n", text.c_str());
    std::fflush(out);
}
