#include "app/Session.h"

Session::Session(MessageSink& messages, StatusSink& status, AdapterSetup setup)
    : messages_(messages),
      status_(status),
      setup_(setup),
      dirFile_(messages),
      volume_(messages, status, counters_, selector_.Address()) {}

void Session::Start(std::string startDirectory) {
    startDirectory_ = std::move(startDirectory);
    tapeName_.clear();
    dirFilePath_.clear();
}

void Session::InstallAdapters() {
    if (setup_ != nullptr) {
        setup_();
        setup_ = nullptr;
    }
}

AdapterListing Session::ListAdapters() {
    InstallAdapters();
    return selector_.ListAdapters(messages_, status_);
}

AdapterListing Session::ListAdapterEntries() {
    InstallAdapters();
    return selector_.ListAdapterEntries();
}

JobContext Session::ContextFor(JobEvents& events) {
    return {volume_,   device_, dirFile_,         selector_.Selection(), messages_, status_,
            counters_, events,  startDirectory_, tapeName_,             dirFilePath_,
            CalendarSeconds, &stop_};
}

TapeMaintenance Session::MaintenanceFor(MaintenanceHost& host) {
    return TapeMaintenance(messages_, status_, host, volume_, dirFile_, device_, selector_.Address());
}

RebuildDirFile Session::Rebuild() {
    return RebuildDirFile(messages_, status_, device_, selector_.Address(), volume_, dirFile_);
}
