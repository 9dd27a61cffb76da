#pragma once
// A backup that goes on from a full tape to the next. The tapes of a set
// are named NAME, NAME-2, NAME-3, ...; a blank tape is formatted with the
// set's next free name, and a tape of another name is never written on. The
// next tape comes from the virtual drive's autoloader (an eject loads it),
// or from the operator, who is asked on a terminal; --yes cannot wait for
// one, so it stops there.

#include <string>
#include <vector>

class CliSession;
class CommandLine;

class TapeSpan {
public:
    TapeSpan(CliSession& session, const CommandLine& line);

    // Makes the loaded tape one of the set. 0, or -1 after an Error message
    // that ends with command (what backs up the files left).
    int TakeLoaded(const std::string& command);
    // Ejects the full tape and takes the next. As TakeLoaded.
    int Next(const std::string& command);
    // The run stops: why, and the command that goes on. -1.
    int Stop(const std::string& why, const std::string& command);

    // The catalogs of the set in the catalog folder, oldest first.
    std::vector<std::string> Catalogs() const;
    // The tapes this run wrote on or looked at, in order.
    const std::vector<std::string>& Tapes() const { return tapes_; }
    // The loaded tape was formatted by this run.
    bool Fresh() const { return fresh_; }

    // The set a tape belongs to: NAME for "NAME-k" (k of 2 or more) when
    // the catalog folder has NAME's catalog, else the tape's own name.
    static std::string SetOf(const std::string& tape, const std::string& startDirectory);
    // The words of one shell argument.
    static std::string Quoted(const std::string& text);

private:
    bool InSet(const std::string& tape) const;
    // NAME when its catalog does not exist, else the first NAME-k free.
    std::string FreeName() const;
    bool CatalogExists(const std::string& tape) const;
    // Polls the drive until it reports ready; false after the time allowed.
    bool WaitReady();

    CliSession& session_;
    const CommandLine& line_;
    std::vector<std::string> tapes_;
    bool fresh_ = false;
};
