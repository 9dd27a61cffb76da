#include "ui/qt/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QTabWidget>
#include <QTreeWidget>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "ui/WindowController.h"
#include "ui/qt/AboutBox.h"
#include "ui/qt/Artwork.h"
#include "ui/qt/ClickBox.h"
#include "ui/qt/CopyFromFloppyDialog.h"
#include "ui/qt/DialogUnits.h"
#include "ui/qt/ListInput.h"
#include "ui/qt/ListViewBinding.h"
#include "ui/qt/RememberedSize.h"
#include "ui/qt/VerifyResultsDialog.h"

namespace {

const DialogUnits& Units() {
    static const DialogUnits units;
    return units;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

// A label cut to its limit (whole: what it stands for) or too narrow for
// its text shows all of it as a tooltip.
void TipWhenCut(QLabel* label, const std::string& whole = {}) {
    if (!whole.empty()) {
        label->setToolTip(QString::fromStdString(whole));
        return;
    }
    const bool cut = label->fontMetrics().horizontalAdvance(label->text()) > label->contentsRect().width();
    label->setToolTip(cut ? label->text() : QString());
}

// The drive's streaming mode, kept in the user's settings beside the
// window's size; off unless the user chose it.
constexpr char kStreamingKey[] = "drive/streaming";
QSettings Settings() { return QSettings(QStringLiteral("tapewren"), QStringLiteral("tapewren")); }

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QDialog(parent), controller_(std::make_unique<WindowController>(messages_, browserMessages_)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Wren File Backup"));
    setWindowIcon(Artwork::ProgramIcon());
    setFont(DialogUnits::DialogFont());
    // The dialog units give the smallest size; the user may make it larger.
    defaultSize_ = Units().Size(388, 270);
    setMinimumSize(defaultSize_);
    resize(defaultSize_);
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
    controller_->Shared().Volume().SetStreaming(Settings().value(QLatin1String(kStreamingKey), false).toBool());
    // The size of the last run, as far as this screen holds it.
    openedSize_ = RememberedSize::Load(defaultSize_);
    if (const QScreen* shown = screen()) {
        // The frame and title bar come on top of the size; a screen smaller
        // than the default (a large display scale) gets a smaller window
        // rather than one whose bottom row is out of reach.
        const QSize frame(16, 48);
        const QSize room = shown->availableSize() - frame;
        setMinimumSize(defaultSize_.boundedTo(room));
        openedSize_ = openedSize_.boundedTo(room).expandedTo(minimumSize());
    }
    resize(openedSize_);
    if (!controller_->Initialise(static_cast<std::uint32_t>(std::time(nullptr))))
        std::fprintf(stderr, "tapewren: the current directory cannot be read or / cannot be entered\n");
    Render();
}

MainWindow::~MainWindow() {
    controller_->SetView(nullptr);
    controller_->SetResultsWindow(nullptr);
}

template <typename W>
W* MainWindow::Add(int id, int x, int y, int w, int h, ControlGrowth growth) {
    auto* widget = new W(this);
    widget->setGeometry(Units().Rect(x, y, w, h));
    if (id != 0) {
        widget->setObjectName(QStringLiteral("ctl%1").arg(id));
        controls_.insert(id, widget);
    }
    placed_.push_back({widget, {}, growth});
    return widget;
}

QLabel* MainWindow::AddLabel(int id, const char* text, int x, int y, int w, int h, ControlGrowth growth) {
    auto* label = Add<QLabel>(id, x, y, w, h, growth);
    label->setText(QString::fromUtf8(text));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton* MainWindow::AddButton(int id, const char* text, int x, int y, int w, int h, ControlGrowth growth) {
    auto* button = Add<QPushButton>(id, x, y, w, h, growth);
    button->setText(QString::fromUtf8(text));
    // Enter presses the window's default button only, whichever button has
    // the focus.
    button->setAutoDefault(false);
    return button;
}

QLabel* MainWindow::AddPicture(int id, int resource, int x, int y, ControlGrowth growth) {
    auto* picture = Add<QLabel>(id, x, y, 20, 20, growth);
    // An icon picture takes the icon's own size at its top-left corner.
    picture->resize(32, 32);
    picture->setPixmap(Artwork::Picture(resource, 32));
    return picture;
}

void MainWindow::BuildControls() {
    // How each control follows a window larger than its default size: the
    // two lists share the added width and take all the added height; what
    // stands beside an edge moves with it.
    using G = ControlGrowth;
    constexpr G kRight = G::Move(G::All, G::None);
    constexpr G kLeftColumn{G::None, G::Half, G::None, G::None};
    constexpr G kRightColumn{G::Half, G::All, G::None, G::None};
    constexpr G kBetweenLists = G::Move(G::Half, G::None);
    constexpr G kBottom = G::Move(G::None, G::All);

    // The tab control first: everything inside its pane lies above it.
    tabs_ = Add<QTabWidget>(kTabControl, 7, 50, 374, 188, {G::None, G::All, G::None, G::All});
    for (const char* title : {"Backup", "Restore", "Verify", "Utilities"})
        tabs_->addTab(new QWidget(tabs_), QString::fromUtf8(title));

    AddLabel(0, "Select SCSI Adapter:", 7, 6, 113, 9);
    adapters_ = Add<QComboBox>(kAdapterCombo, 7, 15, 106, 12);
    AddLabel(0, "Select Backup Device:", 123, 6, 80, 8);
    devices_ = Add<QComboBox>(kDeviceCombo, 123, 15, 174, 12, {G::None, G::All, G::None, G::None});
    for (QComboBox* combo : {adapters_, devices_}) combo->resize(combo->width(), combo->sizeHint().height());
    devices_->setMaxVisibleItems(8);
    AddLabel(0, "Capacity:", 124, 35, 29, 8);
    Add<QLineEdit>(kCapacityField, 155, 33, 30, 12)->setReadOnly(true);
    AddLabel(0, "MB", 187, 35, 16, 8);
    AddLabel(0, "Block Size:", 210, 35, 35, 8);
    Add<QLineEdit>(kBlockSizeField, 247, 33, 30, 12)->setReadOnly(true);
    AddLabel(0, "Bytes", 279, 35, 22, 8);
    AddButton(kClick, "Click!", 309, 6, 30, 12, kRight);
    AddButton(kAbout, "About", 309, 32, 30, 12, kRight);
    auto* reel = Add<QLabel>(kReelPicture, 339, 6, 42, 38, kRight);
    reel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    reel->setPixmap(Artwork::ReelPicture(reel->contentsRect().size()));

    AddLabel(kLeftListLabel, "Tape:", 15, 71, 163, 8, kLeftColumn);
    AddLabel(kFormatHint, "Before you can use a new tape, format it!", 15, 71, 163, 8, kLeftColumn);
    AddButton(kMarkAll, "All", 100, 68, 21, 13, kBetweenLists);
    AddButton(kMarkNone, "None", 121, 68, 22, 13, kBetweenLists);
    AddButton(kLeftDirTape, "Dir Tape", 143, 68, 35, 13, kBetweenLists);
    AddLabel(kRightListLabel, "Tape:", 210, 71, 163, 8, kRightColumn);
    AddButton(kRightDirTape, "Dir Tape", 336, 68, 37, 13, kRight);
    leftList_ = Add<QTreeWidget>(kLeftList, 15, 82, 163, 149, {G::None, G::Half, G::None, G::All});
    rightList_ = Add<QTreeWidget>(kRightList, 210, 82, 163, 149, {G::Half, G::All, G::None, G::All});
    AddLabel(kTapeNameLabel, "Name of new tape:", 15, 81, 62, 8);
    Add<QLineEdit>(kTapeNameField, 15, 92, 90, 12, kLeftColumn);
    AddButton(kFormatTape, "FORMAT Tape", 112, 89, 66, 19, kBetweenLists);
    AddButton(kCheckTape, "Check Currently Inserted Tape", 15, 114, 163, 18, kLeftColumn);
    AddButton(kEjectTape, "Eject Tape", 15, 134, 163, 18, kLeftColumn);
    AddButton(kCreateDirFile, "Create Directory File from Tape Contents", 15, 158, 163, 18, kLeftColumn);
    AddButton(kImportFromFloppy, "Import Directory File from Floppy", 15, 178, 163, 18, kLeftColumn);
    AddButton(kExportToFloppy, "Export Directory File to Floppy", 15, 198, 163, 18, kLeftColumn);
    AddLabel(kDeviceStateLabel, kStartingNotice, 82, 135, 224, 8, {G::None, G::All, G::Half, G::Half})
        ->setAlignment(Qt::AlignCenter);
    // Between the lists, at the height of their middle.
    constexpr G kMiddle = G::Move(G::Half, G::Half);
    AddPicture(kBackupArrow, 141, 184, 130, kMiddle);
    AddPicture(kRestoreArrow, 133, 184, 130, kMiddle);
    AddPicture(kVerifyArrow, 158, 184, 130, kMiddle);
    AddButton(kStart, "START", 180, 150, 29, 18, kMiddle);
    // Beside the buttons they stand for.
    AddPicture(kRebuildArrow, 153, 184, 156, kBetweenLists);
    AddPicture(kImportArrow, 153, 184, 177, kBetweenLists);
    AddPicture(kExportArrow, 154, 184, 196, kBetweenLists);

    AddLabel(0, "Progress:", 7, 240, 33, 8, kBottom);
    // Widens with the progress bar below it: sizes of many digits need it.
    byteLabel_ = AddLabel(kByteLabel, "0/0KB", 44, 240, 102, 8, {G::None, G::Half, G::All, G::All});
    progress_ = Add<QProgressBar>(kProgressBar, 7, 251, 145, 12, {G::None, G::Half, G::All, G::All});
    progress_->setTextVisible(false);
    AddLabel(0, "Status:", 162, 240, 23, 8, G::Move(G::Half, G::All));
    status_ = Add<QLineEdit>(kStatusLine, 162, 251, 154, 12, {G::Half, G::All, G::All, G::All});
    status_->setReadOnly(true);
    AddButton(kExit, "EXIT", 326, 246, 55, 17, G::Move(G::All, G::All));

    for (Placed& placed : placed_) {
        const QRect r = placed.widget->geometry();
        placed.base = {r.x(), r.y(), r.width(), r.height()};
    }
}

QRect MainWindow::Grown(const Placed& placed) const {
    const QSize added = size() - defaultSize_;
    const ControlRect r = placed.growth.Apply(placed.base, added.width(), added.height());
    return QRect(r.x, r.y, r.width, r.height);
}

QRect MainWindow::Grown(int id) const {
    for (const Placed& placed : placed_)
        if (placed.widget == Control(id)) return Grown(placed);
    return {};
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    for (const Placed& placed : placed_) placed.widget->setGeometry(Grown(placed));
    if (!leftBinding_ || !rightBinding_) return;  // still being built
    // The extra width of a list goes to its names.
    leftBinding_->SetExtraWidth(leftList_->width() - Units().X(163));
    rightBinding_->SetExtraWidth(rightList_->width() - Units().X(163));
    FitListLabels();
}

void MainWindow::FitListLabels() {
    const int gap = Units().X(2);
    auto textWidth = [](QWidget* label) {
        return label->fontMetrics().horizontalAdvance(static_cast<QLabel*>(label)->text());
    };
    // "All", "None" and "Dir Tape" stand beside the left label, moved right
    // into the room between the lists as far as its text needs; the label
    // ends where they begin.
    QRect left = Grown(kLeftListLabel);
    int shift = 0;
    const bool buttons = !Control(kMarkAll)->isHidden() || !Control(kLeftDirTape)->isHidden();
    const QRect first = Grown(kMarkAll);
    if (buttons) {
        const QRect last = Grown(kLeftDirTape);
        const int room = Grown(kRightList).x() - Units().X(4) - (last.x() + last.width());
        shift = std::clamp(left.x() + textWidth(Control(kLeftListLabel)) + gap - first.x(), 0, std::max(room, 0));
        left.setRight(std::min(left.right(), first.x() + shift - gap));
    }
    for (int id : {kMarkAll, kMarkNone, kLeftDirTape}) Control(id)->setGeometry(Grown(id).translated(shift, 0));
    Control(kLeftListLabel)->setGeometry(left);
    // The right label ends where its "Dir Tape" begins.
    QRect right = Grown(kRightListLabel);
    if (!Control(kRightDirTape)->isHidden()) right.setRight(std::min(right.right(), Grown(kRightDirTape).x() - gap));
    Control(kRightListLabel)->setGeometry(right);
    const WindowState& state = controller_->State();
    TipWhenCut(static_cast<QLabel*>(Control(kLeftListLabel)), state.leftLabelWhole);
    TipWhenCut(static_cast<QLabel*>(Control(kRightListLabel)), state.rightLabelWhole);
}

void MainWindow::Connect() {
    auto clicked = [this](int id, auto handler) {
        connect(static_cast<QPushButton*>(Control(id)), &QPushButton::clicked, this, handler);
    };
    clicked(kExit, [this] {
        if (Busy())
            AskStop(false);
        else
            done(kExit);
    });
    clicked(kAbout, [this] { ShowAbout(); });
    clicked(kClick, [this] { ClickBox::ShowNext(controller_->Clicks()); });
    // The window manager's menu has no place for an About entry here: F1
    // and a menu on the tape reel picture offer it instead.
    auto* about = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(about, &QShortcut::activated, this, [this] { ShowAbout(); });
    QWidget* reel = Control(kReelPicture);
    reel->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(reel, &QWidget::customContextMenuRequested, this, [this, reel](const QPoint& at) {
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(QStringLiteral("&About Tapewren..."), this, [this] { ShowAbout(); });
        // Large transfers and one wait for the tape per job, for drives
        // that stop and back up whenever their buffer runs dry.
        QAction* streaming = menu->addAction(QStringLiteral("&Streaming (keep the drive moving)"));
        streaming->setCheckable(true);
        streaming->setChecked(controller_->Shared().Volume().Streaming());
        connect(streaming, &QAction::toggled, this, [this](bool on) {
            controller_->Shared().Volume().SetStreaming(on);
            Settings().setValue(QLatin1String(kStreamingKey), on);
        });
        menu->popup(reel->mapToGlobal(at));
    });

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
    RunBusy(handler, false);
    Render();
}

template <typename F>
void MainWindow::RunBusy(F command, bool stoppable) {
    if (Busy()) return;  // cannot happen: input is blocked meanwhile
    auto* exit = static_cast<QPushButton*>(Control(kExit));
    controller_->Shared().Stop().Clear();
    stoppable_ = stoppable;
    closeWhenDone_ = false;
    if (stoppable) {
        exit->setText(QStringLiteral("Stop"));
        exit->setEnabled(true);
    }
    pump_.Begin(stoppable ? exit : nullptr);
    command();
    pump_.End();
    stoppable_ = false;
    exit->setText(QStringLiteral("EXIT"));
    controller_->Shared().Stop().Clear();
    // The user closed the window and agreed to stop the job.
    if (closeWhenDone_) QTimer::singleShot(0, this, [this] { done(kExit); });
}

void MainWindow::AskStop(bool closing) {
    StopRequest& stop = controller_->Shared().Stop();
    if (!stoppable_ || stop.Requested() || QApplication::activeModalWidget() != nullptr) return;
    const int answer = stopQuestion_.ShowText(
        "Stop after the current file?\nWhat is finished by then stays on the tape and in its catalog.", Question);
    // The job may have ended while the question was open: it then ran to its end.
    if (answer != kMessageOk || !stoppable_) return;
    stop.Request();
    closeWhenDone_ = closing;
    auto* exit = static_cast<QPushButton*>(Control(kExit));
    exit->setText(QStringLiteral("Stopping"));
    exit->setEnabled(false);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!Busy()) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    AskStop(true);
}

void MainWindow::ConnectCommands() {
    // Each handler sees the user's selection and focus, and the window shows
    // what it changed.
    auto run = [this](auto command) {
        return [this, command] {
            WriteBackLists();
            RunBusy(command, false);
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
    // Enter opens what a double click would; the window shows the result
    // only when something was opened.
    auto open = [this](auto command) {
        return [this, command] {
            WriteBackLists();
            const bool opened = command();
            if (opened) Render();
            return opened;
        };
    };
    new ListInput(*leftList_, {run([&c] { c.ClickLeft(); }), run([&c] { c.DoubleClickLeft(); }),
                               open([&c] { return c.OpenLeft(); }), run([&c] { c.UpLeft(); })});
    new ListInput(*rightList_, {run([&c] { c.ClickRight(); }), run([&c] { c.DoubleClickRight(); }),
                                open([&c] { return c.OpenRight(); }), run([&c] { c.UpRight(); })});
    clicked(kCreateDirFile, run([&c] { c.CreateDirFileFromTape(); }));
    clicked(kExportToFloppy, run([&c] { c.ExportToFloppy(); }));
    clicked(kImportFromFloppy, run([this, &c] {
        const std::string folder = c.FloppyFolder();
        CopyFromFloppyDialog dialog(c.Shared().StartDirectory(), folder, this);
        dialog.Run();
        c.ImportFinished(folder, dialog.Logic().Copied());
    }));
}

void MainWindow::ConnectJobs() {
    controller_->SetListRepaint([this] {
        rightBinding_->Render(controller_->State().rightList);
        rightList_->repaint();
    });
    connect(static_cast<QPushButton*>(Control(kStart)), &QPushButton::clicked, this,
            [this] {
                WriteBackLists();
                RunBusy([this] { controller_->Start(); }, true);
                Render();
            });
}

void MainWindow::done(int result) {
    if (size() != openedSize_) RememberedSize::Save(size());
    QDialog::done(result);
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
    FitListLabels();

    status_->setText(Text(state.statusText));
    ProgressChanged();
}

void MainWindow::StatusChanged() {
    status_->setText(Text(controller_->State().statusText));
    // A job holds the event loop: paint now, and let the rest of the
    // window and the desktop have their turn.
    status_->repaint();
    pump_.Pump();
}

void MainWindow::ProgressChanged() {
    const WindowState& state = controller_->State();
    // A bar of range 0..0 would show Qt's busy animation; it must show empty.
    const int maximum = state.progress.Maximum() > 0 ? state.progress.Maximum() : 1;
    const int position = state.progress.Maximum() > 0 ? state.progress.Position() : 0;
    progress_->setRange(0, maximum);
    progress_->setValue(position < 0 ? 0 : (position > maximum ? maximum : position));
    byteLabel_->setText(Text(state.byteLabel));
    TipWhenCut(byteLabel_);
    pump_.Pump();
}
