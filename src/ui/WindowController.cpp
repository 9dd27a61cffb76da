#include "ui/WindowController.h"

#include <filesystem>
#include <system_error>

#include "catalog/FloppyFolder.h"

WindowController::WindowController(MessageSink& messages, MessageSink& browserMessages, std::string mountsFile)
    : session_(messages, status_),
      browser_(browserMessages, std::move(mountsFile)),
      lister_(session_.Catalog(), messages, [this] { driveStatus_.Show(); }),
      dirTape_(session_, messages, status_, views_, driveStatus_),
      maintenance_(session_.MaintenanceFor(host_)),
      utilities_(state_, session_, messages, status_, host_) {}

bool WindowController::Initialise(std::uint32_t seed) {
    bool ok = true;
    std::error_code error;
    const auto start = std::filesystem::current_path(error);
    if (error) ok = false;
    session_.Start(error ? session_.StartDirectory() : start.string());
    std::filesystem::current_path("/", error);
    if (error) ok = false;
    const auto browse = std::filesystem::current_path(error);
    state_.browseDirectory = error ? std::string("/") : browse.string();
    clicks_.Seed(seed);
    if (logic_.Start()) views_.FillForTab();
    return ok;
}

void WindowController::ChooseAdapter(int index) {
    if (logic_.ChooseAdapter(index)) views_.FillForTab();
}

void WindowController::ChooseDevice(int index) {
    if (logic_.ChooseDevice(index)) views_.FillForTab();
}

void WindowController::ChooseTab(int tab) {
    if (logic_.ChooseTab(tab)) views_.FillForTab();
}

std::string WindowController::FloppyFolder() const { return ::FloppyFolder(session_.StartDirectory()); }
