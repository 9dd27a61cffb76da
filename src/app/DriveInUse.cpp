#include "app/DriveInUse.h"

#include "app/CartridgeFacts.h"
#include "app/Session.h"

std::string DriveInUse(Session& session) {
    DeviceSelector& selector = session.Selector();
    const DriveAddress& a = selector.Address();
    std::string text = "Drive: adapter " + std::to_string(selector.SelectedEntry()) + " (" +
                       session.Device().GetAdapterName(a.adapter) + "), target " + std::to_string(a.target);
    char product[24] = {};
    if (session.Device().Inquiry(product, a.adapter, a.target, a.lun) == 0) {
        // Vendor and product, each padded with blanks: one blank between.
        std::string name;
        for (const char* c = product; *c != '\0'; ++c)
            if (*c != ' ' || (!name.empty() && name.back() != ' ')) name += *c;
        while (!name.empty() && name.back() == ' ') name.pop_back();
        text += ": " + name;
    }
    const std::string image = VirtualImage(a.adapter);
    if (!image.empty()) text += ", image " + image;
    return text;
}
