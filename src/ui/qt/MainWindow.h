#pragma once
// The program's only top-level window (dialog 102): adapter and device
// selectors, the tab area, the two lists, progress and status. Draws the
// WindowController's state and forwards clicks and keys to it. Controls carry
// objectName "ctl" + their template number ("ctl1018" is START).

#include <QDialog>
#include <QHash>
#include <memory>

#include "ui/StatusView.h"
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

private:
    template <typename W>
    W* Add(int id, int x, int y, int w, int h);
    QLabel* AddLabel(int id, const char* text, int x, int y, int w, int h);
    QPushButton* AddButton(int id, const char* text, int x, int y, int w, int h);
    QLabel* AddPicture(int id, int resource, int x, int y, int w, int h);
    void BuildControls();
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
    void WriteBackLists();

    MessageDialog messages_;
    MessageDialog browserMessages_;
    std::unique_ptr<WindowController> controller_;
    std::unique_ptr<VerifyResultsDialog> verifyResults_;
    QHash<int, QWidget*> controls_;
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
