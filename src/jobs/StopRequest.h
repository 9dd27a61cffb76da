#pragma once
// The user's wish that a running job stop after the file it is working on:
// set by a face (the window's Stop, or its close box) while the job runs,
// read by the job between files. The job ends at a record boundary, with
// the catalog in step with the tape, and says in its summary that it was
// stopped.

class StopRequest {
public:
    void Request() { requested_ = true; }
    void Clear() { requested_ = false; }
    bool Requested() const { return requested_; }

private:
    bool requested_ = false;
};
