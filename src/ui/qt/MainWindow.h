#pragma once
// The program's only top-level window (dialog 102): adapter and device
// selectors, the tab area, the two lists, progress and status. Draws the
// WindowController's state and forwards clicks and keys to it. Controls carry
// objectName "ctl" + their template number ("ctl1018" is START).

#include <QDialog>
#include <QHash>
#include <memory>
#include <vector>

#include "ui/ControlGrowth.h"
#include "ui/StatusView.h"
#include "ui/qt/JobPump.h"
#include "ui/qt/MessageDialog.h"

class ListViewBinding;
class VerifyResultsDialog;
class WindowController;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTreeWidget;

class MainWindow : public QDialog, public StatusView {
    Q_OBJECT
public:
    // Lists the host adapters already installed and selects a drive.
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    WindowController& Controller() { return *controller_; }
    VerifyResultsDialog& ResultsWindow() { return *verifyResults_; }
    // nullptr for an id the window does not have.
    QWidget* Control(int id) const { return controls_.value(id, nullptr); }

    // Shows the whole state.
    void Render();

    void StatusChanged() override;
    void ProgressChanged() override;

    // Opens the About box modally.
    void ShowAbout();
    // Remembers a size the user chose for the next run.
    void done(int result) override;

    // While a job runs: asks whether to stop it after the current file
    // (at most once, never over another of its messages). closing: the
    // window closes once the job has stopped.
    void AskStop(bool closing);
    bool Busy() const { return pump_.Active(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // A control placed by dialog units at the default size (id 0: a label
    // without a number), and how it follows a larger window.
    struct Placed {
        QWidget* widget;
        ControlRect base;
        ControlGrowth growth;
    };
    template <typename W>
    W* Add(int id, int x, int y, int w, int h, ControlGrowth growth = {});
    QLabel* AddLabel(int id, const char* text, int x, int y, int w, int h, ControlGrowth growth = {});
    QPushButton* AddButton(int id, const char* text, int x, int y, int w, int h, ControlGrowth growth = {});
    QLabel* AddPicture(int id, int resource, int x, int y, ControlGrowth growth);
    void BuildControls();
    // Where a control stands at the window's present size.
    QRect Grown(const Placed& placed) const;
    QRect Grown(int id) const;
    // The list labels end before the buttons beside them, which move aside
    // as far as there is room when a tape label needs it.
    void FitListLabels();
    void Connect();
    // Buttons and lists of the tab area.
    void ConnectCommands();
    // START and the results window.
    void ConnectJobs();
    void RenderDefaultButton(int id);
    // Every handler: the lists' selection into the models, the logic, then
    // the new state on screen.
    template <typename F>
    void Handle(F handler);
    // A handler that runs a command on the drive: the window stays alive
    // meanwhile; stoppable: EXIT turns into Stop.
    template <typename F>
    void RunBusy(F command, bool stoppable);
    void WriteBackLists();

    MessageDialog messages_;
    MessageDialog browserMessages_;
    MessageDialog stopQuestion_;
    JobPump pump_;
    bool stoppable_ = false;
    bool closeWhenDone_ = false;
    std::unique_ptr<WindowController> controller_;
    std::unique_ptr<VerifyResultsDialog> verifyResults_;
    QHash<int, QWidget*> controls_;
    std::vector<Placed> placed_;
    QSize defaultSize_;
    QSize openedSize_;
    QTabWidget* tabs_ = nullptr;
    QComboBox* adapters_ = nullptr;
    QComboBox* devices_ = nullptr;
    QLineEdit* status_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* byteLabel_ = nullptr;
    QTreeWidget* leftList_ = nullptr;
    QTreeWidget* rightList_ = nullptr;
    std::unique_ptr<ListViewBinding> leftBinding_;
    std::unique_ptr<ListViewBinding> rightBinding_;
};
