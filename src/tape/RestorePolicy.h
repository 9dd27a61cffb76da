#pragma once
// What a restore does about a file that exists already under a record's
// name, and which date a restored file gets. The window asks each time and
// leaves a restored file dated the time of the restore.

struct RestorePolicy {
    enum class Existing {
        Ask,        // "File exist: PATH. Overwrite?"
        Skip,       // leave the file as it is and go on with the next record
        Overwrite,  // replace it without asking
    };
    Existing existing = Existing::Ask;
    // Date a restored file from its record: the day kept there, at noon
    // local time (clear of a daylight saving change at midnight).
    // When the catalog keeps the file's exact time, that time instead.
    bool keepDates = false;
    // Give a restored file the permission bits it had when it was backed
    // up, where the catalog keeps them.
    bool keepModes = false;
};
