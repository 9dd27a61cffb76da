#include "app/TapeProbe.h"

#include <vector>

#include "app/Session.h"
#include "scsi/TapeCommandLog.h"
#include "scsi/TapeStop.h"

namespace {

bool AtEndOfData() {
    const TapeCommandOutcome& last = TapeCommandLog::Last();
    return last.failed && SenseStop(last.status, last.targetStatus, last.sense) == TapeStop::EndOfData;
}

}  // namespace

TapeContents ProbeTape(Session& session) {
    std::string name, date, version;
    const int ident = session.Volume().ReadIdentBlock(name, date, version);
    if (ident == -2) return TapeContents::Written;
    if (ident != 0) return AtEndOfData() ? TapeContents::Blank : TapeContents::Unknown;

    const DriveAddress& a = session.Selector().Address();
    ScsiDevice& device = session.Device();
    if (device.Rewind(a.adapter, a.target, a.lun) != 0 || device.SpaceFilemarks(1, a.adapter, a.target, a.lun) != 0)
        return TapeContents::Unknown;
    const int blockLength = session.Selector().Selection().blockLength;
    if (blockLength <= 0) return TapeContents::Unknown;
    std::vector<BYTE> block(static_cast<std::size_t>(blockLength));
    if (device.Read(block.data(), 1, a.adapter, a.target, a.lun) == 0) return TapeContents::Written;
    return AtEndOfData() ? TapeContents::Formatted : TapeContents::Unknown;
}
