#pragma once
// Why a file record could not be read, restored or verified whole. Damage
// costs its record only: the callers that walk a whole tape go on after the
// record's filemark.

enum class RecordFault {
    None,
    EndOfData,         // the end of data where a header was due: nothing more on tape
    Unfinished,        // the end of data inside the record: a backup that did not end
    NoHeader,          // the first block is no file header, or a filemark stands there
    HeaderUnreadable,  // the drive cannot read the header block
    BadHeader,         // the header contradicts itself (a negative size, or a block
                       // count other than size / block length + 1)
    BadName,           // the header's name cannot be used as a file name
    Mismatch,          // the header differs from the catalog entry
    ShortRecord,       // a filemark before the blocks the header announces
    LongRecord,        // more blocks than the header announces before the filemark
    Unreadable,        // the drive cannot read a data block, or the filemark after them
    OtherBlockSize,    // its blocks are of another length than the drive's (incorrect length)
    // The drive was reset or its tape changed (a unit attention, NOT READY)
    // while the record was read: where the tape stands is not known.
    Interrupted,
    Disk,              // the file on hard drive cannot be created or written whole
    Declined,          // the overwrite question was answered with Cancel
    Skipped,           // a file exists under the name and the restore policy leaves it
    Drive,             // the drive refused the operation (its block length)
    SumDiffers,        // the record was read whole, but its data does not match the checksum
                       // taken when it was written
};

// What is wrong with a damaged record, as the end of a sentence ("no file
// header"); empty for the faults that are no damage of the record.
inline const char* RecordFaultReason(RecordFault fault) {
    switch (fault) {
    case RecordFault::NoHeader:
        return "no file header";
    case RecordFault::HeaderUnreadable:
        return "its header cannot be read";
    case RecordFault::BadHeader:
        return "its header is damaged";
    case RecordFault::BadName:
        return "its name cannot be used as a file name";
    case RecordFault::ShortRecord:
        return "fewer blocks than its header says";
    case RecordFault::LongRecord:
        return "more blocks than its header says";
    case RecordFault::Unfinished:
        return "it is unfinished: the end of data follows without its filemark";
    case RecordFault::Unreadable:
        return "it cannot be read";
    case RecordFault::OtherBlockSize:
        return "it was written with another block size";
    case RecordFault::Interrupted:
        return "the drive was reset or its tape was changed while it was read";
    case RecordFault::SumDiffers:
        return "its data does not match the checksum taken when it was backed up";
    default:
        return "";
    }
}
