#include "aspi/iscsi/IscsiPortalUrl.h"

#include <cctype>

namespace {

constexpr char kScheme[] = "iscsi://";

bool AllDigits(const std::string& s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool ValidTargetName(const std::string& name) {
    if (name.empty() || name.size() > 223) return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u <= ' ' || u >= 0x7f || c == '/') return false;
    }
    return true;
}

}  // namespace

std::string IscsiPortalUrl::Portal() const {
    const std::string h = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return h + ":" + std::to_string(port);
}

bool IscsiPortalUrl::Parse(const std::string& text, IscsiPortalUrl& url) {
    const std::string scheme = kScheme;
    if (text.size() <= scheme.size()) return false;
    for (std::size_t i = 0; i < scheme.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != scheme[i]) return false;
    const std::string rest = text.substr(scheme.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string::npos) return false;
    const std::string authority = rest.substr(0, slash);
    IscsiPortalUrl parsed;
    parsed.targetName = rest.substr(slash + 1);
    if (!ValidTargetName(parsed.targetName)) return false;

    std::string portText;
    if (!authority.empty() && authority[0] == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        parsed.host = authority.substr(1, close - 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') return false;
            portText = after.substr(1);
            if (!AllDigits(portText)) return false;
        }
    } else {
        const std::size_t colon = authority.find(':');
        parsed.host = authority.substr(0, colon);
        if (colon != std::string::npos) {
            portText = authority.substr(colon + 1);
            if (!AllDigits(portText)) return false;
        }
        if (parsed.host.find(':') != std::string::npos) return false;
    }
    if (parsed.host.empty()) return false;
    for (char c : parsed.host)
        if (static_cast<unsigned char>(c) <= ' ' || c == '@' || c == '/') return false;
    if (!portText.empty()) {
        if (portText.size() > 5) return false;
        parsed.port = std::stoi(portText);
        if (parsed.port < 1 || parsed.port > 65535) return false;
    }
    url = parsed;
    return true;
}

std::vector<std::string> IscsiPortalUrl::SplitList(const char* list) {
    std::vector<std::string> entries;
    if (list == nullptr) return entries;
    std::string current;
    for (const char* p = list;; ++p) {
        const char c = *p;
        if (c == '\0' || c == ',' || std::isspace(static_cast<unsigned char>(c))) {
            if (!current.empty()) entries.push_back(current);
            current.clear();
            if (c == '\0') break;
        } else {
            current += c;
        }
    }
    return entries;
}
