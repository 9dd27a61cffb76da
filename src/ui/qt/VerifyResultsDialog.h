#pragma once
// The verify results window (dialog 157, "Verify"): modeless, made hidden
// with the main window and kept for its life. The verify job shows, fills
// and hides it; "OK" and the close box hide it; "Save Results" writes
// VerifyResults.txt into the start directory. Controls carry objectName
// "ctl" + their number: "ctl1069" the list, "ctl1" OK, "ctl1080" Save.

#include <QDialog>
#include <memory>
#include <string>

#include "jobs/VerifyResults.h"
#include "jobs/VerifyResultsSink.h"
#include "lists/ListModel.h"
#include "ui/qt/MessageDialog.h"

class ListViewBinding;
class QPushButton;
class QTreeWidget;

class VerifyResultsDialog : public QDialog, public VerifyResultsSink {
    Q_OBJECT
public:
    // results: the rows the verify job fills and the list shows; both must
    // outlive the dialog.
    VerifyResultsDialog(QWidget* parent, const VerifyResults& results, const std::string& startDirectory);
    ~VerifyResultsDialog() override;

    void ShowResults() override;
    void HideResults() override;
    void EnableButtons(bool enabled) override;
    void RepaintResults() override;

    // The handler of "Save Results".
    void SaveResults();

private:
    const VerifyResults& results_;
    const std::string& startDirectory_;
    MessageDialog messages_;
    ListModel model_;
    std::uint64_t shownRevision_ = ~std::uint64_t{0};
    QTreeWidget* list_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* save_ = nullptr;
    std::unique_ptr<ListViewBinding> binding_;
};
