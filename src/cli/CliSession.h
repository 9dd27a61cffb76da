#pragma once
// One run of tapewren-cli: the program's session (the same objects the
// window works with), what the jobs tell the command line, and the choice
// of a drive by the --adapter and --target options.
// Directory files live in the start directory: the catalog folder of the
// run.

#include <functional>
#include <string>
#include <vector>

#include "app/Session.h"
#include "cli/CliJobEvents.h"
#include "cli/CliMessages.h"
#include "jobs/JobContext.h"
#include "jobs/JobReport.h"
#include "scsi/DeviceSelection.h"

class CliSession : public Session {
public:
    // setup: installs the host adapters, run before the first listing, so
    // that a command that needs no drive touches none.
    CliSession(CliMessages& messages, StatusSink& status, std::string startDirectory, AdapterSetup setup = nullptr);

    // Lists the adapters and chooses a drive: adapter (an entry index, -1:
    // the first) and its target (an ID, -1: its highest tape drive). No other
    // drive gets a command. 0 when
    // the drive may be used for the tape functions; -1 after an Error
    // message naming why not.
    int SelectDrive(int adapter, int target);
    // SelectDrive for a job that writes on the tape, which first names the
    // drive: adapter, product, and the virtual drive's image.
    int SelectDriveToWrite(int adapter, int target);
    // The same choice without the message; available is false when the
    // adapters cannot be listed (the selection then says nothing).
    DeviceSelection ChooseDrive(int adapter, int target, bool& available);

    // name empty: 0. Otherwise reads the loaded tape's ident block and
    // refuses a tape with another name: 0 when it is that tape, -1 after an
    // Error message.
    int RequireTape(const std::string& name);

    // Runs before a listing or result goes to standard output, so that a
    // status line on the same terminal makes room.
    void SetBeforeOutput(std::function<void()> beforeOutput) { beforeOutput_ = std::move(beforeOutput); }
    void BeforeOutput() {
        if (beforeOutput_) beforeOutput_();
    }

    CliJobEvents& Events() { return events_; }
    // The report of the run's job, for its last line.
    const JobReport& Keep(JobReport report) { return report_ = std::move(report); }
    const JobReport& Report() const { return report_; }
    // The tapes a spanning backup went over, for its last line.
    void SetTapesUsed(std::vector<std::string> tapes) { tapesUsed_ = std::move(tapes); }
    const std::vector<std::string>& TapesUsed() const { return tapesUsed_; }
    // What the tape a backup ended on runs short of, for its last line.
    void SetShortage(std::string shortage) { shortage_ = std::move(shortage); }
    const std::string& Shortage() const { return shortage_; }
    // The messages with the command line's own means: guarded questions.
    CliMessages& Answers() { return answers_; }
    JobContext& Context() { return context_; }

private:
    std::function<void()> beforeOutput_;
    CliMessages& answers_;
    CliJobEvents events_;
    JobReport report_;
    std::vector<std::string> tapesUsed_;
    std::string shortage_;
    JobContext context_;
};
