#include "cli/HelpText.h"

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
                            name, size, file date, backup date (tab-separated)
  dir --tape NAME           the catalog of tape NAME, without loading it
  find PATTERN...           the files whose names match a shell pattern
                            ("*.txt", "report-?"), in every catalog of the
                            catalog folder: tape, name, size, file date,
                            backup date; exit status 1 when none matches
  backup FILE...            append files of one folder to the tape, zip
                            archives first; folders and anything else that
                            is not a regular file are left out with a
                            warning (exit status 1 unless --skip-others)
  restore --to DIR [NAME...]
                            restore the named catalog entries into DIR (a
                            name found twice: its last, newest copy); with
                            no name, every record on tape after a question
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
  selftest                  check the tape commands the program relies on,
                            on the loaded tape, which is overwritten; one
                            line per check

Options:
  --adapter N   use adapter entry N (as "adapters" lists them; default 0)
  --target T    use target T (default: the adapter's highest tape drive)
  --catalogs DIR
                the catalog folder (default: $TAPEWREN_CATALOGS, else the
                current directory)
  --tape NAME   backup, restore, verify, rebuild: refuse to work when the
                loaded tape has another name; dir: list NAME's catalog
  --yes, -y     answer every question with yes, except those that destroy
                another tape's data: overwriting an existing catalog or a
                tape that holds records (format, rebuild, selftest)
  --force       with --yes, answer those too
  --no, -n      answer every question with no
  --skip-existing
                restore: leave files that exist in DIR as they are
  --overwrite   restore: replace files that exist in DIR without asking
  --keep-dates  restore: date each file from its record (the day, at noon)
  --exclude PATTERN
                backup: leave out the files whose names match PATTERN
  --skip-others backup: leaving out folders and such is no failure
  --ignore-case, -i
                find: upper and lower case match each other
  --json        dir, find, verify, status, adapters: one JSON document
  --quiet, -q   only failures and the final result (for cron mail)
  --verbose, -v also the drive's raw diagnostic lines and sense codes
  --help, -h    this text
  --version     the program's name and version

Questions are asked on the terminal when standard input is one; otherwise,
without --yes or --no, they are answered no. Messages, questions and the
status line go to standard error; listings and results to standard output.
In tab-separated lines a tab, line break, carriage return or backslash in a
name is written as \t, \n, \r or \\.

Environment:
  TAPEWREN_CATALOGS   the catalog folder (see --catalogs)
  TAPEWREN_VTAPE      image file or folder of cartridges of the virtual drive
  TAPEWREN_ISCSI      iSCSI tape targets, iscsi://host[:port]/target-iqn ...
  TAPEWREN_FLOPPY     the floppy folder (default /media/floppy0)

Exit status: 0 done, 1 failed, refused, a difference found, nothing found
or a question answered no, 2 wrong command line.
)";
}
