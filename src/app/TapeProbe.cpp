#include "app/TapeProbe.h"

#include <vector>

#include "app/Session.h"
#include "aspi/ScsiOpcodes.h"
#include "scsi/TapeStop.h"
#include "tape/TapeFormat.h"

namespace {

// Whether the READ just run on that device stopped as stop.
bool ReadStopped(const CommandFailure& last, TapeStop stop) {
    return last.present && last.opcode == ScsiOp::Read6 &&
           SenseStop(last.status, last.targetStatus, last.sense) == stop;
}

}  // namespace

TapeContents ProbeTape(Session& session) {
    std::string name, date, version;
    const int ident = session.Volume().ReadIdentBlock(name, date, version);
    if (ident == -2) return TapeContents::Foreign;
    if (ident != 0)
        return ReadStopped(session.Volume().LastCommandFailure(), TapeStop::EndOfData) ? TapeContents::Blank
                                                                                        : TapeContents::UnreadableStart;

    // Block by block from the start, so that each stop is where it belongs:
    // spacing over "a" filemark could pass a whole record whose own
    // filemark stands in for the ident block's.
    const DriveAddress& a = session.Selector().Address();
    ScsiDevice& device = session.Device();
    std::vector<BYTE> block(static_cast<std::size_t>(TapeFormat::kMaxBlockLength));
    auto read = [&] { return device.Read(block.data(), 1, a.adapter, a.target, a.lun); };
    if (device.Rewind(a.adapter, a.target, a.lun) != 0 || read() != 0) return TapeContents::Unknown;
    if (read() == 0) return TapeContents::Written;
    if (!ReadStopped(device.LastFailure(), TapeStop::Filemark)) return TapeContents::Unknown;
    if (read() == 0) return TapeContents::Written;
    return ReadStopped(device.LastFailure(), TapeStop::EndOfData) ? TapeContents::Formatted : TapeContents::Unknown;
}
