#include "ui/qt/CopyFromFloppyDialog.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/qt/Artwork.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/ListViewBinding.h"

CopyFromFloppyDialog::CopyFromFloppyDialog(const std::string& startDirectory, const std::string& floppyFolder,
                                           QWidget* parent)
    : QDialog(parent),
      dirFile_(dirFileMessages_),
      copy_(dirFileMessages_, startDirectory, floppyFolder),
      browser_(browserMessages_),
      logic_(messages_, browser_, dirFile_, copy_) {
    const DialogUnits dlu;
    setObjectName(QStringLiteral("copyFromFloppy"));
    setWindowTitle(QStringLiteral("Copy From Floppy"));
    setFont(DialogUnits::DialogFont());
    setFixedSize(dlu.Size(240, 190));

    auto* caption = new QLabel(QStringLiteral("Select Directory Files you want to copy:"), this);
    caption->setGeometry(dlu.Rect(7, 7, 226, 8));
    pathLabel_ = new QLabel(this);
    pathLabel_->setObjectName(QStringLiteral("ctl1070"));
    pathLabel_->setTextFormat(Qt::PlainText);
    pathLabel_->setGeometry(dlu.Rect(7, 19, 226, 8));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("ctl1069"));
    list_->setGeometry(dlu.Rect(7, 30, 226, 132));
    binding_ = std::make_unique<ListViewBinding>(*list_, Artwork::ImageStrip());

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("ctl1"));
    ok->setGeometry(dlu.Rect(65, 168, 50, 14));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("ctl2"));
    cancel->setGeometry(dlu.Rect(125, 168, 50, 14));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &CopyFromFloppyDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Queued: the new view replaces the item the list is still handling.
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &CopyFromFloppyDialog::OpenFocused, Qt::QueuedConnection);
}

CopyFromFloppyDialog::~CopyFromFloppyDialog() = default;

int CopyFromFloppyDialog::Run() {
    if (!logic_.Initialise()) return QDialog::Rejected;
    Render();
    return exec();
}

void CopyFromFloppyDialog::Render() {
    pathLabel_->setText(QString::fromStdString(logic_.PathLabel()));
    binding_->Render(logic_.List());
}

void CopyFromFloppyDialog::OpenFocused() {
    binding_->WriteBack(logic_.List());
    logic_.OpenFocused();
    Render();
}

void CopyFromFloppyDialog::accept() {
    binding_->WriteBack(logic_.List());
    if (logic_.Accept()) {
        QDialog::accept();
        return;
    }
    Render();
}
