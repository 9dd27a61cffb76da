#pragma once
// The main window without a toolkit: owns the session, the window's state
// and the objects behind its controls, and runs the handler of each control.
// The window writes the user's selection and focus into the state's lists
// before a handler and renders the state afterwards. Handlers that run a job
// or a tape command return what it returns, for the window to act on.

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>

#include "app/DriveBrowser.h"
#include "app/Session.h"
#include "catalog/DirFileLister.h"
#include "jobs/TapeMaintenance.h"
#include "jobs/VerifyResults.h"
#include "report/MessageSink.h"
#include "ui/ClickGenerator.h"
#include "ui/ControlId.h"
#include "ui/DirTapeCommand.h"
#include "ui/DriveStatusLine.h"
#include "ui/ExplainedMessages.h"
#include "ui/ListHandlers.h"
#include "ui/ListViews.h"
#include "ui/MainWindowLogic.h"
#include "ui/ResultsWindowLink.h"
#include "ui/UtilityCommands.h"
#include "ui/WindowHost.h"
#include "ui/WindowJobs.h"
#include "ui/WindowState.h"
#include "ui/WindowStatus.h"

class StatusView;
class VerifyResultsSink;

class WindowController {
public:
    // messages: the window's message dialog, through which the tape, the
    // catalog and the device choice report too; browserMessages: the
    // browser's own. mountsFile: the kernel's mount table; tests pass their
    // own. Both sinks must outlive this object.
    WindowController(MessageSink& messages, MessageSink& browserMessages,
                     std::string mountsFile = "/proc/self/mounts");
    WindowController(const WindowController&) = delete;
    WindowController& operator=(const WindowController&) = delete;

    WindowState& State() { return state_; }
    const WindowState& State() const { return state_; }
    Session& Shared() { return session_; }
    StatusSink& Status() { return status_; }
    MainWindowLogic& Logic() { return logic_; }
    ClickGenerator& Clicks() { return clicks_; }
    // The rows the verify job fills and the results window shows.
    VerifyResults& Results() { return results_; }
    // The folder the browser listed last, ending in "/".
    const std::string& BrowsedFolder() const { return browser_.CurrentPath(); }
    // Where catalogs are copied to and from: the user's stick, else the
    // floppy folder.
    std::string FloppyFolder() const;

    // Each may be null (or empty): then nothing is drawn before the next
    // render. view: the status line and progress display; window: the
    // verify results window; repaint: draws the right list at once.
    void SetView(StatusView* view) { status_.SetView(view); }
    void SetResultsWindow(VerifyResultsSink* window) { resultsWindow_.Link(window); }
    void SetListRepaint(std::function<void()> repaint) { jobs_.SetListRepaint(std::move(repaint)); }

    // Start-up: remembers the current directory as the start directory,
    // makes the home folder the current and the browse directory, seeds the "Click!"
    // texts, then lists the adapters and selects the first adapter's
    // highest tape drive. Returns false when the current directory cannot
    // be read or "/" cannot be entered (the window still opens).
    bool Initialise(std::uint32_t seed);

    // The adapter and device combo boxes and the tabs.
    void ChooseAdapter(int index);
    void ChooseDevice(int index);
    void ChooseTab(int tab);
    // The drive's state into the status line.
    void ShowDriveStatus() { driveStatus_.Show(); }

    // "Dir Tape" on either side, and the Utilities tab's tape commands;
    // newName: the text of "Name of new tape:".
    void DirTapeLeft() { Ended([this] { dirTape_.Run(true); return 0; }); }
    void DirTapeRight() { Ended([this] { dirTape_.Run(false); return 0; }); }
    auto FormatTape(const std::string& newName) {
        return Ended([&] { return maintenance_.FormatTape(newName, session_.Tape()); });
    }
    auto CheckTape() { return Ended([this] { return maintenance_.CheckTape(); }); }
    // An ejected tape's catalog is no longer the inserted tape's.
    JobResult EjectTape();

    // Clicks and double clicks in the lists, "All" and "None".
    void ClickLeft() { lists_.ClickLeft(); }
    void ClickRight() { lists_.ClickRight(); }
    void DoubleClickLeft() { lists_.DoubleClickLeft(); }
    void DoubleClickRight() { lists_.DoubleClickRight(); }
    void MarkAll() { lists_.MarkAll(); }
    void MarkNone() { lists_.MarkNone(); }
    // Enter and Backspace in a list (see ListHandlers).
    bool OpenLeft() { return lists_.Open(true); }
    bool OpenRight() { return lists_.Open(false); }
    void UpLeft() { lists_.Up(true); }
    void UpRight() { lists_.Up(false); }

    // The Utilities tab's catalog commands; the import's dialog belongs to
    // the window, ImportFinished follows it.
    JobResult CreateDirFileFromTape() { return Ended([this] { return utilities_.CreateDirFileFromTape(); }); }
    JobResult ExportToFloppy() { return Ended([this] { return utilities_.ExportToFloppy(); }); }
    void ImportFinished(const std::string& folder, const std::vector<std::string>& names) {
        utilities_.ImportFinished(folder, names);
    }

    // START: the job of the selected tab.
    auto Start() { return Ended([this] { return jobs_.StartCommand(); }); }

private:
    // The tape in the drive in words, read from it without a message.
    std::string DescribeLoadedTape();
    // Runs a tape command; the status line then shows the drive's state.
    template <typename F>
    std::invoke_result_t<F> Ended(F command) {
        auto result = command();
        driveStatus_.ShowUnlessShown();
        return result;
    }

    WindowState state_;
    WindowStatus status_{state_};
    // What the session, the lister and the commands report through.
    ExplainedMessages messages_;
    Session session_;
    DriveStatusLine driveStatus_{state_, session_.Selector(), status_};
    DriveBrowser browser_;
    DirFileLister lister_;
    ListViews views_{state_, session_, browser_, lister_};
    WindowHost host_{driveStatus_, views_};
    MainWindowLogic logic_{state_, status_, driveStatus_, session_};
    ListHandlers lists_{state_, status_, session_.Counters(), browser_, views_};
    DirTapeCommand dirTape_;
    TapeMaintenance maintenance_;
    UtilityCommands utilities_;
    VerifyResults results_;
    ResultsWindowLink resultsWindow_;
    WindowJobs jobs_{state_, session_, browser_, lister_, driveStatus_, results_, resultsWindow_};
    ClickGenerator clicks_{0};
};
