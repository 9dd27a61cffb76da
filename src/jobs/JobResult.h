#pragma once
// How a job ended, for the front end that started it (the command line turns
// anything but Done into a failing exit status). The messages the job showed
// say the details.

enum class JobResult {
    Done,      // everything asked for was done
    Failed,    // an error stopped the job, or damage cost some of the work
    Refused,   // a check said no before anything was changed
    Declined,  // a question was answered with Cancel
};
