#pragma once
// What commands that completed told besides their result: the drive
// corrected errors on its own (RECOVERED ERROR), asks to be cleaned (NO
// SENSE 00/17), or a write reached the early warning near the end of the
// tape (NO SENSE with EOM, 00/02 or 00/07; its data were written). Counted
// per ScsiDevice until the job that shows them takes them.

struct DriveWarnings {
    int recovered = 0;
    int cleaning = 0;
    bool earlyWarning = false;

    bool Any() const { return recovered > 0 || cleaning > 0 || earlyWarning; }
    void Add(const DriveWarnings& other) {
        recovered += other.recovered;
        cleaning += other.cleaning;
        earlyWarning = earlyWarning || other.earlyWarning;
    }
};
