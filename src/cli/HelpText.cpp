#include "cli/HelpText.h"

#include <sstream>
#include <vector>

#include "cli/CommandLine.h"

const char* HelpText() {
    return R"(Usage: tapewren-cli COMMAND [OPTIONS] [OPERANDS]

Backs up files to a SCSI tape drive, restores and verifies them, without a
window. Directory files (catalogs, TAPE.twd) live in the catalog folder: the
current directory unless --catalogs or TAPEWREN_CATALOGS names another.

Commands:
  adapters                  the host adapters and the devices on each
                            ("*": the drive a command would use)
  status                    the drive's state, write protection, capacity
                            and block size; exit status 0 only when it is
                            ready with a tape
  format NAME               write the ident block and create NAME.twd
  check                     what the inserted tape's ident block says
  eject                     unload the tape
  dir                       the inserted tape's catalog, one line per file:
                            name, size, file date, backup date, record
                            number on tape (tab-separated)
  dir --tape NAME           the catalog of tape NAME, without loading it
                            (a catalog cut short, damaged or of more than
                            999 entries: the entries before the damage, a
                            message naming it, exit status 1)
  find PATTERN...           the files whose names match a shell pattern
                            ("*.txt", "report-?"), in every catalog of the
                            catalog folder: tape, name, size, file date,
                            backup date, record; exit status 1 when none matches
                            or a catalog is damaged
  backup FILE...            append files of one folder to the tape, zip
                            archives first; folders and anything else that
                            is not a regular file are left out with a
                            warning (exit status 1 unless --skip-others)
  restore --to DIR [NAME...]
                            restore the named catalog entries into DIR (a
                            name found twice: its last, newest copy); with
                            no name, every record on tape after a question
  restore --to DIR NAME --record N
                            the copy of NAME in file record N (an older one)
  restore --to DIR --all    every record on tape, no catalog needed
  verify --in DIR [NAME...] [--report]
                            compare the named entries (no name: all) with
                            the files in DIR; one line per file: name,
                            status, offset of the first difference;
                            --report also writes VerifyResults.txt into the
                            catalog folder
  rebuild                   make the tape's directory file from the tape
  export NAME...            copy directory files to the floppy folder
  import NAME...            copy directory files from the floppy folder
  scrub                     read every record on the loaded tape and check
                            it against its catalog entry and checksum,
                            without the original files; one line per file:
                            record, name, status (OK, without checksum,
                            checksum differs, damaged at record N, on tape
                            but not listed, listed but not on tape); exit
                            status 1 on anything but OK and without checksum
  sums NAME                 the SHA-256 checksums tape NAME's catalog keeps,
                            as sha256sum writes them (for sha256sum -c in a
                            restore's folder; backup --sha256 takes them);
                            XXH3-128 ones have no such tool and are not
                            printed
  selftest                  check the tape commands the program relies on,
                            on the loaded tape, which is overwritten; one
                            line per check

Options:
  --adapter N   use adapter entry N (as "adapters" lists them; default 0)
  --target T    use target T (default: the adapter's highest tape drive)
  --catalogs DIR
                the catalog folder (default: $TAPEWREN_CATALOGS, else the
                current directory)
  --tape NAME   backup, restore, verify, rebuild, scrub: refuse to work when
                the loaded tape has another name; dir: list NAME's catalog
  --yes, -y     answer every question with yes, except those that destroy
                another tape's data: overwriting an existing catalog, or a
                tape that is not blank or only formatted, or cannot be read
                far enough to tell (format, rebuild, selftest); the answer
                says why
  --force       with --yes, answer those too
  --no, -n      answer every question with no
  --skip-existing
                restore: leave files that exist in DIR as they are
  --overwrite   restore: replace files that exist in DIR without asking
  --keep-dates  restore: date each file with the exact time it had when it
                was backed up (catalogs without sums file: the record's
                day, at noon)
  --keep-modes  restore: give each file the permission bits it had when it
                was backed up (where the catalog's sums file keeps them)
  --exclude PATTERN
                backup: leave out the files whose names match PATTERN
  --skip-others backup: leaving out folders and such is no failure
  --changed     backup: only the files that are new or whose size or
                exact time (the day, for entries without sums record)
                differs from their newest copy on the tape
  --span NAME   backup: when the tape or its catalog fills, go on with the
                next tape: the autoloader's next cartridge (a folder of
                the virtual drive), or after a question one the operator
                loads (--yes does not wait: it stops, naming the command
                that goes on). A blank tape is formatted as NAME, NAME-2,
                NAME-3, ...; a tape of another name is never written on.
                Every file lies whole on one tape ("find" names it); with
                --changed the newest copy on any of NAME's tapes counts
  --sha256      backup: SHA-256 checksums, which "sums" prints for
                sha256sum -c, in place of XXH3-128 (slower)
  --stream      backup, restore, verify: keep the drive streaming: large
                transfers, filemarks that do not wait for the tape, and
                one wait for the tape before the catalog is written (the
                tape holds the same bytes either way)
  --ignore-case, -i
                find: upper and lower case match each other
  --json        dir, find, verify, scrub, status, adapters: one JSON document;
                dates as "2021-03-05", null when the catalog's text is no
                possible date ("31.02.2026"), with that text beside them
                (file_date_text, backup_date_text, formatted_text)
  --quiet, -q   only failures and one line for the result (for cron
                mail): the tape, the files and the bytes; a run that
                fails shows every message, then a last line naming the
                tape and the number of files
  --verbose, -v also the drive's raw diagnostic lines and sense codes
  --help, -h    this text
  --version     the program's name and version

Questions are asked on the terminal when standard input is one; otherwise,
without --yes or --no, they are answered no. Messages, questions and the
status line go to standard error; listings and results to standard output.
In tab-separated lines a tab, line break, carriage return or backslash in a
name is written as \t, \n, \r or \\, any other control character as \xHH;
messages and the status line show control characters as \xHH too.
Catalogs and VerifyResults.txt are written under a temporary name and then
renamed: a symbolic link under their name is replaced, never followed, and
a catalog that is a symbolic link is not appended to. Beside each catalog
NAME.twd its sums file NAME.tws keeps each file's checksum (XXH3-128, taken
as the backup reads the file), exact time, permission bits and size; export
and import copy both. A restored file whose data does not match its
checksum is kept as NAME.tapewren-damaged, never under its name, and the
restore fails; verify says "Tape damaged" for it.

Environment:
  TAPEWREN_CATALOGS   the catalog folder (see --catalogs)
  TAPEWREN_VTAPE      image file or folder of cartridges of the virtual drive
  TAPEWREN_ISCSI      iSCSI tape targets, iscsi://host[:port]/target-iqn ...
  TAPEWREN_FLOPPY     the floppy folder (default /media/floppy0)

Exit status: 0 done, 1 failed, refused, a difference found, nothing found,
a damaged catalog, a question answered no or output that could not be
written, 2 wrong command line.
)";
}

namespace {

// The blocks of a section: a line indented by two, and the lines indented
// deeper that continue it.
std::vector<std::string> Blocks(const std::string& section) {
    std::vector<std::string> blocks;
    std::istringstream in(section);
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 2 && line.compare(0, 2, "  ") == 0 && line[2] != ' ')
            blocks.push_back(line + "\n");
        else if (!blocks.empty() && line.size() > 2 && line.compare(0, 3, "   ") == 0)
            blocks.back() += line + "\n";
    }
    return blocks;
}

// The text between a heading line and the next empty line.
std::string Section(const std::string& text, const std::string& heading) {
    const std::size_t start = text.find("\n" + heading + "\n");
    if (start == std::string::npos) return {};
    const std::size_t from = start + heading.size() + 2;
    return text.substr(from, text.find("\n\n", from) - from);
}

}  // namespace

std::string CommandHelpText(const std::string& command) {
    const std::string text = HelpText();
    std::string commands;
    for (const std::string& block : Blocks(Section(text, "Commands:"))) {
        const std::size_t end = block.find_first_of(" \n", 2);
        if (block.compare(2, end - 2, command) == 0) commands += block;
    }
    if (commands.empty()) return {};
    std::string options;
    for (const std::string& block : Blocks(Section(text, "Options:"))) {
        const std::string option = block.substr(2, block.find_first_of(" ,\n", 2) - 2);
        if (CommandLine::OptionBelongs(option, command)) options += block;
    }
    return "Usage: tapewren-cli " + command + " [OPTIONS] [OPERANDS]\n\n" + commands + "\nOptions:\n" + options;
}
