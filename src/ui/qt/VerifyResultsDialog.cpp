#include "ui/qt/VerifyResultsDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "jobs/SaveResults.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/ListViewBinding.h"

namespace {

QPushButton* AddButton(QDialog* dialog, int id, const char* text, QRect rect) {
    auto* button = new QPushButton(QString::fromUtf8(text), dialog);
    button->setObjectName(QStringLiteral("ctl%1").arg(id));
    button->setGeometry(rect);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

VerifyResultsDialog::VerifyResultsDialog(QWidget* parent, const VerifyResults& results,
                                         const std::string& startDirectory)
    : QDialog(parent), results_(results), startDirectory_(startDirectory) {
    setObjectName(QStringLiteral("verifyResults"));
    setWindowTitle(QStringLiteral("Verify"));
    setModal(false);
    setFont(DialogUnits::DialogFont());
    setFixedSize(484, 300);

    auto* caption = new QLabel(QStringLiteral("Results of file verification:"), this);
    caption->setGeometry(10, 8, 300, 16);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ctl1069"));
    list_->setGeometry(10, 28, 464, 222);
    ok_ = AddButton(this, 1, "OK", QRect(394, 260, 80, 26));
    save_ = AddButton(this, 1080, "Save Results", QRect(294, 260, 90, 26));
    ok_->setDefault(true);

    binding_ = std::make_unique<ListViewBinding>(*list_, Artwork::ImageStrip());
    model_.SetColumns({{"Filename", 240, ColumnAlign::Left},
                       {"Verify Status", 83, ColumnAlign::Left},
                       {"Difference starts at byte", 125, ColumnAlign::Left}});
    RepaintResults();

    connect(ok_, &QPushButton::clicked, this, [this] { hide(); });
    connect(save_, &QPushButton::clicked, this, [this] { SaveResults(); });
}

VerifyResultsDialog::~VerifyResultsDialog() = default;

void VerifyResultsDialog::ShowResults() {
    show();
    raise();
}

void VerifyResultsDialog::HideResults() { hide(); }

void VerifyResultsDialog::EnableButtons(bool enabled) {
    ok_->setEnabled(enabled);
    save_->setEnabled(enabled);
}

void VerifyResultsDialog::RepaintResults() {
    if (shownRevision_ != results_.Revision()) {
        shownRevision_ = results_.Revision();
        model_.ClearRows();
        for (const VerifyResultRow& row : results_.Rows()) {
            ListRow item;
            item.texts = {row.name, row.status, row.difference};
            item.image = row.image;
            model_.AddRow(std::move(item));
        }
        binding_->Render(model_);
    }
    // The job holds the event loop: paint now or nothing shows until it ends.
    if (isVisible()) repaint();
}

void VerifyResultsDialog::SaveResults() {
    ::SaveResults(startDirectory_, results_, messages_);
    raise();
    activateWindow();
}
