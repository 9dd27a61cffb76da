#pragma once
// The walk over a whole tape that the full restore and the rebuild share:
// from the ident block's filemark to the end of data, one record after the
// other, each found after its own filemark. The job visits each record (a
// restore reads it whole, a rebuild its header only); the walk then spaces
// over what the visit left of the record, tells a complete record from one
// that runs into the end of data, and notices where the tape cannot be
// read on. An empty tape file (a filemark where a header was due) is a
// damaged record when a record follows it; at the very end it is counted
// apart, since a tape may end in such.

#include "scsi/DriveAddress.h"
#include "tape/RecordFault.h"

class ScsiDevice;

class TapeWalk {
public:
    // What a visit did at the record.
    struct Step {
        RecordFault fault = RecordFault::None;  // None: the record was read as the job wanted
        bool pastFilemark = false;               // the visit went over the record's filemark
        bool stop = false;                       // the job ends the walk here (a declined question, a
                                                 // file that cannot be written)
    };

    class Visitor {
    public:
        virtual ~Visitor() = default;
        // Reads record `record` (from 1) at the current position.
        virtual Step Visit(int record) = 0;
        // Record `record` is complete on tape (its filemark found); fault:
        // what its visit met (None, or the damage). False ends the walk.
        virtual bool Take(int record, RecordFault fault) = 0;
    };

    // How the walk ended.
    struct End {
        int stuckAt = -1;     // the record past which the tape cannot be read (0: the ident block)
        bool unfinished = false;  // the last record runs into the end of data
        int emptyAtEnd = 0;   // empty tape files before the end of data
        bool stopped = false; // by the job
        // The drive was reset or its tape changed (at record stuckAt's end,
        // or in the visit of the record after it): the tape's position is lost.
        bool interrupted = false;
    };

    TapeWalk(ScsiDevice& device, const DriveAddress& drive);

    // From just after the ident block (where ReadIdentBlock leaves the tape).
    End Run(Visitor& visitor);

private:
    // Over one filemark: 0, 1 at the end of data, -1 when the tape cannot
    // be read there, -2 when the drive lost the tape's position.
    int SpaceOne();

    ScsiDevice& device_;
    const DriveAddress& drive_;
};
