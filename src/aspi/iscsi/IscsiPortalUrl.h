#pragma once
// One entry of TAPEWREN_ISCSI: iscsi://host[:port]/target-iqn. IPv6 hosts are
// written in brackets, as in any URL.

#include <string>
#include <vector>

struct IscsiPortalUrl {
    std::string host;  // without brackets
    int port = 3260;
    std::string targetName;

    // "host:port", or "[v6]:port", as libiscsi expects a portal.
    std::string Portal() const;

    // False for anything that is not exactly one such URL.
    static bool Parse(const std::string& text, IscsiPortalUrl& url);
    // The entries of a list separated by blanks and/or commas; null gives none.
    static std::vector<std::string> SplitList(const char* list);
};
