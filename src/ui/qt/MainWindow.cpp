#include "ui/qt/MainWindow.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdio>
#include <ctime>

#include "ui/WindowController.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/ClickBox.h"
#include "ui/qt/CopyFromFloppyDialog.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/ListViewBinding.h"
#include "ui/qt/VerifyResultsDialog.h"

namespace {

const DialogUnits& Units() {
    static const DialogUnits units;
    return units;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QDialog(parent), controller_(std::make_unique<WindowController>(messages_, browserMessages_)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Wren File Backup"));
    setWindowIcon(Artwork::ProgramIcon());
    setFont(DialogUnits::DialogFont());
    setFixedSize(Units().Size(388, 270));
    BuildControls();
    leftBinding_ = std::make_unique<ListViewBinding>(*leftList_, Artwork::ImageStrip());
    rightBinding_ = std::make_unique<ListViewBinding>(*rightList_, Artwork::ImageStrip());
    Connect();
    ConnectCommands();
    // Hidden until a verify run shows it.
    verifyResults_ = std::make_unique<VerifyResultsDialog>(this, controller_->Results(),
                                                           controller_->Shared().StartDirectory());
    controller_->SetResultsWindow(verifyResults_.get());
    ConnectJobs();
    controller_->SetView(this);
    if (!controller_->Initialise(static_cast<std::uint32_t>(std::time(nullptr))))
        std::fprintf(stderr, "tapewren: the current directory cannot be read or / cannot be entered\n");
    Render();
}

MainWindow::~MainWindow() {
    controller_->SetView(nullptr);
    controller_->SetResultsWindow(nullptr);
}

template <typename W>
W* MainWindow::Add(int id, int x, int y, int w, int h) {
    auto* widget = new W(this);
    widget->setGeometry(Units().Rect(x, y, w, h));
    if (id != 0) {
        widget->setObjectName(QStringLiteral("ctl%1").arg(id));
        controls_.insert(id, widget);
    }
    return widget;
}

QLabel* MainWindow::AddLabel(int id, const char* text, int x, int y, int w, int h) {
    auto* label = Add<QLabel>(id, x, y, w, h);
    label->setText(QString::fromUtf8(text));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* MainWindow::AddButton(int id, const char* text, int x, int y, int w, int h) {
    auto* button = Add<QPushButton>(id, x, y, w, h);
    button->setText(QString::fromUtf8(text));
    // Enter presses the window's default button only, whichever button has
    // the focus.
    button->setAutoDefault(false);
    return button;
}

QLabel* MainWindow::AddPicture(int id, int resource, int x, int y, int w, int h) {
    auto* picture = Add<QLabel>(id, x, y, w, h);
    // An icon picture takes the icon's own size at its top-left corner.
    picture->resize(32, 32);
    picture->setPixmap(Artwork::Picture(resource, 32));
    return picture;
}

void MainWindow::BuildControls() {
    // The tab control first: everything inside its pane lies above it.
    tabs_ = Add<QTabWidget>(kTabControl, 7, 50, 374, 188);
    for (const char* title : {"Backup", "Restore", "Verify", "Utilities"})
        tabs_->addTab(new QWidget(tabs_), QString::fromUtf8(title));

    AddLabel(0, "Select SCSI Adapter:", 7, 6, 113, 9);
    adapters_ = Add<QComboBox>(kAdapterCombo, 7, 15, 106, 12);
    AddLabel(0, "Select Backup Device:", 123, 6, 80, 8);
    devices_ = Add<QComboBox>(kDeviceCombo, 123, 15, 174, 12);
    for (QComboBox* combo : {adapters_, devices_}) combo->resize(combo->width(), combo->sizeHint().height());
    devices_->setMaxVisibleItems(8);
    AddLabel(0, "Capacity:", 124, 35, 29, 8);
    Add<QLineEdit>(kCapacityField, 155, 33, 30, 12)->setReadOnly(true);
    AddLabel(0, "MB", 187, 35, 16, 8);
    AddLabel(0, "Block Size:", 210, 35, 35, 8);
    Add<QLineEdit>(kBlockSizeField, 247, 33, 30, 12)->setReadOnly(true);
    AddLabel(0, "Bytes", 279, 35, 22, 8);
    AddButton(kClick, "Click!", 309, 6, 30, 12);
    AddButton(kAbout, "About", 309, 32, 30, 12);
    auto* reel = Add<QLabel>(kReelPicture, 339, 6, 42, 38);
    reel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    reel->setPixmap(Artwork::ReelPicture(reel->contentsRect().size()));

    AddLabel(kLeftListLabel, "Tape:", 15, 71, 163, 8);
    AddLabel(kFormatHint, "Before you can use a new tape, format it!", 15, 71, 163, 8);
    AddButton(kMarkAll, "All", 100, 68, 21, 13);
    AddButton(kMarkNone, "None", 121, 68, 22, 13);
    AddButton(kLeftDirTape, "Dir Tape", 143, 68, 35, 13);
    AddLabel(kRightListLabel, "Tape:", 210, 71, 163, 8);
    AddButton(kRightDirTape, "Dir Tape", 336, 68, 37, 13);
    leftList_ = Add<QTreeWidget>(kLeftList, 15, 82, 163, 149);
    rightList_ = Add<QTreeWidget>(kRightList, 210, 82, 163, 149);
    AddLabel(kTapeNameLabel, "Name of new tape:", 15, 81, 62, 8);
    Add<QLineEdit>(kTapeNameField, 15, 92, 90, 12);
    AddButton(kFormatTape, "FORMAT Tape", 112, 89, 66, 19);
    AddButton(kCheckTape, "Check Currently Inserted Tape", 15, 114, 163, 18);
    AddButton(kEjectTape, "Eject Tape", 15, 134, 163, 18);
    AddButton(kCreateDirFile, "Create Directory File from Tape Contents", 15, 158, 163, 18);
    AddButton(kImportFromFloppy, "Import Directory File from Floppy", 15, 178, 163, 18);
    AddButton(kExportToFloppy, "Export Directory File to Floppy", 15, 198, 163, 18);
    AddLabel(kDeviceStateLabel, kStartingNotice, 82, 135, 224, 8)->setAlignment(Qt::AlignCenter);
    AddPicture(kBackupArrow, 141, 184, 130, 20, 20);
    AddPicture(kRestoreArrow, 133, 184, 130, 20, 20);
    AddPicture(kVerifyArrow, 158, 184, 130, 20, 20);
    AddButton(kStart, "START", 180, 150, 29, 18);
    AddPicture(kRebuildArrow, 153, 184, 156, 20, 20);
    AddPicture(kImportArrow, 153, 184, 177, 20, 20);
    AddPicture(kExportArrow, 154, 184, 196, 20, 20);

    AddLabel(0, "Progress:", 7, 240, 33, 8);
    byteLabel_ = AddLabel(kByteLabel, "0/0KB", 44, 240, 102, 8);
    progress_ = Add<QProgressBar>(kProgressBar, 7, 251, 145, 12);
    progress_->setTextVisible(false);
    AddLabel(0, "Status:", 162, 240, 23, 8);
    status_ = Add<QLineEdit>(kStatusLine, 162, 251, 154, 12);
    status_->setReadOnly(true);
    AddButton(kExit, "EXIT", 326, 246, 55, 17);
}

void MainWindow::Connect() {
    auto clicked = [this](int id, auto handler) {
        connect(static_cast<QPushButton*>(Control(id)), &QPushButton::clicked, this, handler);
    };
    clicked(kExit, [this] { done(kExit); });
    clicked(kAbout, [this] { ShowAbout(); });
    clicked(kClick, [this] { ClickBox::ShowNext(controller_->Clicks()); });
    // The window manager's menu has no place for an About entry here.
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, [this] { ShowAbout(); });

    connect(adapters_, &QComboBox::activated, this,
            [this](int index) { Handle([this, index] { controller_->ChooseAdapter(index); }); });
    connect(devices_, &QComboBox::activated, this,
            [this](int index) { Handle([this, index] { controller_->ChooseDevice(index); }); });
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this](int index) { Handle([this, index] { controller_->ChooseTab(index); }); });
}

template <typename F>
void MainWindow::Handle(F handler) {
    WriteBackLists();
    handler();
    Render();
}

void MainWindow::ConnectCommands() {
    // Each handler sees the user's selection and focus, and the window shows
    // what it changed.
    auto run = [this](auto command) {
        return [this, command] {
            WriteBackLists();
            command();
            Render();
        };
    };
    auto clicked = [this](int id, auto handler) {
        connect(static_cast<QPushButton*>(Control(id)), &QPushButton::clicked, this, handler);
    };
    WindowController& c = *controller_;
    clicked(kLeftDirTape, run([&c] { c.DirTapeLeft(); }));
    clicked(kRightDirTape, run([&c] { c.DirTapeRight(); }));
    clicked(kFormatTape, run([this, &c] {
        c.FormatTape(static_cast<QLineEdit*>(Control(kTapeNameField))->text().toStdString());
    }));
    clicked(kCheckTape, run([&c] { c.CheckTape(); }));
    clicked(kEjectTape, run([&c] { c.EjectTape(); }));
    clicked(kMarkAll, run([&c] { c.MarkAll(); }));
    clicked(kMarkNone, run([&c] { c.MarkNone(); }));
    connect(leftList_, &QTreeWidget::itemClicked, this, run([&c] { c.ClickLeft(); }));
    connect(rightList_, &QTreeWidget::itemClicked, this, run([&c] { c.ClickRight(); }));
    // Later, from the event loop: the refill deletes the item the view is
    // still handling. (The signal's item pointer cannot be queued itself.)
    auto later = [this](auto handler) {
        return [this, handler] { QMetaObject::invokeMethod(this, handler, Qt::QueuedConnection); };
    };
    connect(leftList_, &QTreeWidget::itemDoubleClicked, this, later(run([&c] { c.DoubleClickLeft(); })));
    connect(rightList_, &QTreeWidget::itemDoubleClicked, this, later(run([&c] { c.DoubleClickRight(); })));
    clicked(kCreateDirFile, run([&c] { c.CreateDirFileFromTape(); }));
    clicked(kExportToFloppy, run([&c] { c.ExportToFloppy(); }));
    clicked(kImportFromFloppy, run([this, &c] {
        CopyFromFloppyDialog dialog(c.Shared().StartDirectory(), c.FloppyFolder(), this);
        dialog.Run();
        c.ImportFinished();
    }));
}

void MainWindow::ConnectJobs() {
    controller_->SetListRepaint([this] {
        rightBinding_->Render(controller_->State().rightList);
        rightList_->repaint();
    });
    connect(static_cast<QPushButton*>(Control(kStart)), &QPushButton::clicked, this,
            [this] { Handle([this] { controller_->Start(); }); });
}

void MainWindow::ShowAbout() {
    AboutBox box(this);
    box.exec();
}

void MainWindow::WriteBackLists() {
    leftBinding_->WriteBack(controller_->State().leftList);
    rightBinding_->WriteBack(controller_->State().rightList);
}

void MainWindow::RenderDefaultButton(int id) {
    for (auto* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        button->setDefault(button == Control(id));
}

void MainWindow::Render() {
    const WindowState& state = controller_->State();
    for (auto it = controls_.cbegin(); it != controls_.cend(); ++it) {
        const ControlState control = state.Control(it.key());
        it.value()->setVisible(control.visible);
        it.value()->setEnabled(control.enabled);
    }
    {
        const QSignalBlocker blocker(tabs_);
        tabs_->setCurrentIndex(state.tab);
    }
    static_cast<QLabel*>(Control(kDeviceStateLabel))->setText(Text(state.notice));
    RenderDefaultButton(state.defaultButton);

    auto fillCombo = [](QComboBox* combo, const std::vector<std::string>& entries, int index) {
        const QSignalBlocker blocker(combo);
        QStringList texts;
        for (const auto& entry : entries) texts << Text(entry);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
        if (shown != texts) {
            combo->clear();
            combo->addItems(texts);
        }
        combo->setCurrentIndex(index);
    };
    fillCombo(adapters_, state.adapterEntries, state.adapterIndex);
    fillCombo(devices_, state.deviceEntries, state.deviceIndex);
    static_cast<QLineEdit*>(Control(kCapacityField))->setText(Text(state.capacity));
    static_cast<QLineEdit*>(Control(kBlockSizeField))->setText(Text(state.blockSize));

    leftBinding_->Render(state.leftList);
    rightBinding_->Render(state.rightList);
    static_cast<QLabel*>(Control(kLeftListLabel))->setText(Text(state.leftLabel));
    static_cast<QLabel*>(Control(kRightListLabel))->setText(Text(state.rightLabel));

    status_->setText(Text(state.statusText));
    ProgressChanged();
}

void MainWindow::StatusChanged() {
    status_->setText(Text(controller_->State().statusText));
    // A job holds the event loop: paint now or the user sees nothing.
    status_->repaint();
}

void MainWindow::ProgressChanged() {
    const WindowState& state = controller_->State();
    // A bar of range 0..0 would show Qt's busy animation; it must show empty.
    const int maximum = state.progress.Maximum() > 0 ? state.progress.Maximum() : 1;
    const int position = state.progress.Maximum() > 0 ? state.progress.Position() : 0;
    progress_->setRange(0, maximum);
    progress_->setValue(position < 0 ? 0 : (position > maximum ? maximum : position));
    byteLabel_->setText(Text(state.byteLabel));
}
