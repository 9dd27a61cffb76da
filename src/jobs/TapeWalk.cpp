#include "jobs/TapeWalk.h"

#include "scsi/ScsiDevice.h"
#include "scsi/TapeStop.h"

TapeWalk::TapeWalk(ScsiDevice& device, const DriveAddress& drive) : device_(device), drive_(drive) {}

int TapeWalk::SpaceOne() {
    if (device_.SpaceFilemarks(1, drive_.adapter, drive_.target, drive_.lun) == 0) return 0;
    const TapeStop stop = LastTapeStop(device_);
    return stop == TapeStop::EndOfData ? 1 : stop == TapeStop::PositionLost ? -2 : -1;
}

TapeWalk::End TapeWalk::Run(Visitor& visitor) {
    End end;
    const int first = SpaceOne();
    if (first != 0) {
        if (first < 0) end.stuckAt = 0;
        end.interrupted = first == -2;
        return end;
    }
    int emptyFirst = 0;
    for (int record = 1;; ++record) {
        const Step step = visitor.Visit(record);
        // Nothing can be trusted to stand where it should: no spacing on.
        if (step.fault == RecordFault::Interrupted) {
            end.stuckAt = record - 1;
            end.interrupted = true;
            return end;
        }
        if (step.stop) {
            end.stopped = true;
            return end;
        }
        if (step.fault == RecordFault::EndOfData) return end;
        // The drive's block length cannot carry a header: nothing can be read.
        if (step.fault == RecordFault::Drive) {
            end.stuckAt = record - 1;
            return end;
        }
        if (step.fault == RecordFault::NoHeader && step.pastFilemark) {
            if (end.emptyAtEnd++ == 0) emptyFirst = record;
            continue;
        }
        // Over what the visit left of the record, without reading it.
        bool stuck = false;
        if (!step.pastFilemark) {
            const int spaced = SpaceOne();
            if (spaced > 0) {
                // A header that cannot be read and no filemark after it is
                // how some drives report the end of data.
                end.unfinished = step.fault != RecordFault::HeaderUnreadable;
                return end;
            }
            // Whether its filemark followed is not known.
            if (spaced == -2) {
                end.stuckAt = record - 1;
                end.interrupted = true;
                return end;
            }
            stuck = spaced < 0;
        }
        for (int empty = emptyFirst; empty < emptyFirst + end.emptyAtEnd; ++empty)
            if (!visitor.Take(empty, RecordFault::NoHeader)) {
                end.stopped = true;
                return end;
            }
        end.emptyAtEnd = 0;
        if (!visitor.Take(record, step.fault)) {
            end.stopped = true;
            return end;
        }
        if (stuck) {
            end.stuckAt = record;
            return end;
        }
    }
}
