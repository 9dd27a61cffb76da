#pragma once
// The Copy From Floppy dialog (156): the directory files in the floppy
// folder, or the contents of one of them, in a sorted list; OK copies the
// chosen ones into the start directory. Its logic is CopyFromFloppyLogic;
// this class only draws it and forwards double clicks and OK. Owns its own
// message dialogs, DirFile and DriveBrowser, which live only while it does.
// objectNames: "ctl1070" path label, "ctl1069" list, "ctl1" OK, "ctl2" Cancel.

#include <QDialog>
#include <memory>
#include <string>

#include "app/CopyFromFloppyLogic.h"
#include "app/DriveBrowser.h"
#include "catalog/DirFile.h"
#include "catalog/DirFileCopy.h"
#include "ui/qt/MessageDialog.h"

class ListViewBinding;
class QLabel;
class QTreeWidget;

class CopyFromFloppyDialog : public QDialog {
    Q_OBJECT
public:
    // startDirectory: where the copies go; floppyFolder: the folder that
    // stands for the floppy drive.
    CopyFromFloppyDialog(const std::string& startDirectory, const std::string& floppyFolder,
                         QWidget* parent = nullptr);
    ~CopyFromFloppyDialog() override;

    // Lists the floppy folder and runs the dialog modally. When the folder
    // cannot be listed ("Change Dir Error!" has been shown) the dialog does
    // not open and the result is Rejected, as if cancelled.
    int Run();

    CopyFromFloppyLogic& Logic() { return logic_; }

    void accept() override;

private:
    void Render();
    void OpenFocused();

    MessageDialog messages_;
    MessageDialog dirFileMessages_;
    MessageDialog browserMessages_;
    DirFile dirFile_;
    DirFileCopy copy_;
    DriveBrowser browser_;
    CopyFromFloppyLogic logic_;
    QLabel* pathLabel_ = nullptr;
    QTreeWidget* list_ = nullptr;
    std::unique_ptr<ListViewBinding> binding_;
};
