#include "aspi/iscsi/IscsiHostAdapters.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "aspi/iscsi/IscsiHostAdapter.h"
#include "aspi/iscsi/IscsiPortalUrl.h"

int IscsiTimeoutSeconds(const char* text) {
    if (text == nullptr || *text == '\0') return kIscsiDefaultTimeoutSeconds;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value <= 0 || value > 7 * 24 * 3600) return kIscsiDefaultTimeoutSeconds;
    return static_cast<int>(value);
}

std::vector<std::unique_ptr<HostAdapter>> CreateIscsiHostAdapters(const char* urlList, const char* timeoutSeconds) {
    const int timeout = IscsiTimeoutSeconds(timeoutSeconds);
    const int login = std::min(timeout, kIscsiLoginTimeoutSeconds);
    std::vector<std::unique_ptr<HostAdapter>> adapters;
    for (const std::string& entry : IscsiPortalUrl::SplitList(urlList)) {
        IscsiPortalUrl url;
        if (!IscsiPortalUrl::Parse(entry, url)) {
            std::fprintf(stderr, "TAPEWREN_ISCSI: not an iscsi://host[:port]/target-iqn URL, left out: %s\n",
                         entry.c_str());
            continue;
        }
        adapters.push_back(std::make_unique<IscsiHostAdapter>(url, timeout, login));
    }
    return adapters;
}

std::vector<std::unique_ptr<HostAdapter>> CreateIscsiHostAdapters() {
    return CreateIscsiHostAdapters(std::getenv("TAPEWREN_ISCSI"), std::getenv("TAPEWREN_ISCSI_TIMEOUT"));
}
