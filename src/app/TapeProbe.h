#pragma once
// What the loaded tape holds, read from its start without a message: so that
// a front end can tell a question that erases a blank or only formatted tape
// from one that would destroy recorded data.

class Session;

enum class TapeContents {
    Blank,      // nothing recorded
    Formatted,  // an ident block and nothing after it
    Written,    // file records after the ident block, or data of another program
    Unknown,    // the tape cannot be read far enough to tell
};

TapeContents ProbeTape(Session& session);
