#include "cli/HelpText.h"

const char* HelpText() {
    return R"(Usage: tapewren-cli COMMAND [OPTIONS] [OPERANDS]

Backs up files to a SCSI tape drive, restores and verifies them, without a
window. Directory files (catalogs, TAPE.twd) live in the current directory.

Commands:
  adapters                  the host adapters and the devices on each
                            ("*": the drive a command would use)
  status                    the drive's state, capacity and block size;
                            exit status 0 only when it is ready with a tape
  format NAME               write the ident block and create NAME.twd
  check                     what the inserted tape's ident block says
  eject                     unload the tape
  dir                       the inserted tape's catalog, one line per file:
                            name, size, file date, backup date (tab-separated)
  backup FILE...            append files of one folder to the tape, zip
                            archives first
  restore --to DIR [NAME...]
                            restore the named catalog entries into DIR (a
                            name found twice: its last, newest copy); with
                            no name, every record on tape after a question
  restore --to DIR --all    every record on tape, no catalog needed
  verify --in DIR [NAME...] [--report]
                            compare the named entries (no name: all) with
                            the files in DIR; one line per file: name,
                            status, offset of the first difference;
                            --report also writes VerifyResults.txt here
  rebuild                   make the tape's directory file from the tape
  export NAME...            copy directory files to the floppy folder
  import NAME...            copy directory files from the floppy folder

Options:
  --adapter N   use adapter entry N (as "adapters" lists them; default 0)
  --target T    use target T (default: the adapter's highest tape drive)
  --yes, -y     answer every question with yes
  --no, -n      answer every question with no
  --help, -h    this text
  --version     the program's name and version

Questions are asked on the terminal when standard input is one; otherwise,
without --yes or --no, they are answered no. Messages, questions and the
status line go to standard error; listings and results to standard output.

Environment:
  TAPEWREN_VTAPE      image file or folder of cartridges of the virtual drive
  TAPEWREN_ISCSI      iSCSI tape targets, iscsi://host[:port]/target-iqn ...
  TAPEWREN_FLOPPY     the floppy folder (default /media/floppy0)

Exit status: 0 done, 1 failed, refused, a difference found or a question
answered no, 2 wrong command line.
)";
}
