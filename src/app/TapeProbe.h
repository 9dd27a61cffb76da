#pragma once
// What the loaded tape holds, read from its start without a message: so that
// a front end can tell a question that erases a blank or only formatted tape
// from one that would destroy recorded data. A tape counts as blank or
// formatted only when the drive reports the end of data exactly where the
// first block, or the first file record after the ident block and its
// filemark, would start.

class Session;

enum class TapeContents {
    Blank,            // the end of data where the first block would start
    Formatted,        // an ident block, its filemark, then the end of data
    Written,          // anything recorded after the ident block
    Foreign,          // a first block that is not an ident block
    UnreadableStart,  // the first block cannot be read
    Unknown,          // the tape cannot be read after the ident block
};

TapeContents ProbeTape(Session& session);
