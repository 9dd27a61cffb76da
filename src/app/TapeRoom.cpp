#include "app/TapeRoom.h"

#include "app/CartridgeFacts.h"
#include "app/Session.h"
#include "catalog/DirFileFormat.h"

int TapeRoom::EntriesLeft() const {
    return entries < 0 ? -1 : entries >= DirFileFormat::kMaxEntries ? 0 : DirFileFormat::kMaxEntries - entries;
}

std::string TapeRoom::Shortage() const {
    std::string text;
    const int left = EntriesLeft();
    if (left >= 0 && left * 10 < DirFileFormat::kMaxEntries)
        text = std::to_string(left) + " of " + std::to_string(DirFileFormat::kMaxEntries) + " catalog entries left";
    const long long bytes = BytesLeft();
    if (bytes >= 0 && bytes * 10 < capacity)
        text += (text.empty() ? "" : ", ") + std::to_string(bytes) + " of " + std::to_string(capacity) +
                " bytes left on the cartridge";
    return text;
}

TapeRoom RoomOf(Session& session, const std::string& catalogPath) {
    TapeRoom room;
    if (!catalogPath.empty()) {
        DirFile& catalog = session.Catalog();
        std::string name, modified, backedUp;
        std::int32_t size = 0, blocks = 0;
        if (catalog.OpenForReading(catalogPath) == 0 && catalog.SkipIdent() == 0) {
            room.entries = 0;
            while (catalog.ReadNextEntry(name, modified, backedUp, size, blocks) == 0) {
                ++room.entries;
                room.fileBytes += size;
            }
        }
        catalog.Close();
    }
    // A drive that reports its room (to the MiB) is believed; the virtual
    // drive without that page is asked through its cartridge.
    const DriveAddress& a = session.Selector().Address();
    long long remaining = -1, maximum = -1;
    if (session.Device().ReadTapeCapacity(remaining, maximum, a.adapter, a.target, a.lun) == 0 && maximum > 0) {
        room.capacity = maximum;
        room.used = maximum > remaining ? maximum - remaining : 0;
        return room;
    }
    const CartridgeFacts facts = FactsFor(a.adapter, a.target);
    room.capacity = facts.capacity;
    room.used = facts.used;
    return room;
}
