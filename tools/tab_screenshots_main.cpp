// Makes the screenshots of the four tabs in docs/: a sample folder on the
// virtual drive, a tape "Daily" formatted and backed up through the window's
// own commands, then each tab with marks and its catalog. Every message box
// is answered with OK. Usage: tapewren-screenshots OUTPUT_FOLDER
// (QT_QPA_PLATFORM=offscreen or under xvfb-run).
#include <stdlib.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/DefaultAdapters.h"
#include "aspi/HostAdapterList.h"
#include "lists/Tab.h"
#include "ui/ControlId.h"
#include "ui/WindowController.h"
#include "ui/qt/MainWindow.h"

namespace {

void WriteFile(const std::filesystem::path& path, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    std::string chunk(4096, 'x');
    for (std::size_t done = 0; done < size; done += chunk.size())
        out.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), size - done)));
}

// Presses OK (or the lone OK) of every message box that comes up.
void AnswerEveryDialog(QWidget* mainWindow) {
    QTimer::singleShot(20, [mainWindow] {
        if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()); modal && modal != mainWindow) {
            auto* lone = modal->findChild<QPushButton*>(QStringLiteral("loneOk"));
            auto* ok = modal->findChild<QPushButton*>(QStringLiteral("ok"));
            std::fprintf(stderr, "answered a message box\n");
            if (lone && lone->isVisible())
                lone->click();
            else if (ok)
                ok->click();
            else
                modal->accept();
        }
        AnswerEveryDialog(mainWindow);
    });
}

void Click(MainWindow& window, int id) { static_cast<QPushButton*>(window.Control(id))->click(); }

// Selects rows as the user would and runs the left list's click handler.
void ClickLeft(MainWindow& window, const std::string& name, const std::vector<std::string>& alsoSelected = {}) {
    ListModel& list = window.Controller().State().leftList;
    std::vector<bool> selected(list.RowCount(), false);
    std::ptrdiff_t focused = -1;
    for (std::size_t i = 0; i < list.RowCount(); ++i) {
        const std::string& text = list.Row(i).Text(0);
        if (text == name) focused = static_cast<std::ptrdiff_t>(i);
        for (const auto& other : alsoSelected)
            if (text == other) selected[i] = true;
    }
    if (focused < 0) return;
    selected[static_cast<std::size_t>(focused)] = true;
    list.SetSelection(selected, focused);
    window.Controller().ClickLeft();
    window.Render();
}

void ChooseTab(MainWindow& window, int tab) { static_cast<QTabWidget*>(window.Control(kTabControl))->setCurrentIndex(tab); }

bool Save(MainWindow& window, const std::string& path) {
    QApplication::processEvents();
    const bool saved = window.grab().save(QString::fromStdString(path));
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", path.c_str());
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tapewren-screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path output = std::filesystem::absolute(argv[1]);
    const std::filesystem::path root = std::filesystem::temp_directory_path() / "tw-shots";
    std::filesystem::remove_all(root);
    const auto documents = root / "home" / "anna" / "Documents";
    for (const char* folder : {"Letters", "Photos 2026", "Taxes"}) std::filesystem::create_directories(documents / folder);
    WriteFile(documents / "budget-2026.xls", 48213);
    WriteFile(documents / "invoice-0412.pdf", 91520);
    WriteFile(documents / "notes.txt", 1532);
    WriteFile(documents / "project.zip", 230144);
    WriteFile(documents / "report.doc", 88064);
    WriteFile(documents / "thesis.ZIP", 120331);
    std::filesystem::create_directories(root / "restore" / "2025");
    WriteFile(root / "restore" / "readme.txt", 212);
    std::filesystem::create_directories(root / "start");
    std::filesystem::create_directories(root / "tapes");
    setenv("TAPEWREN_VTAPE", (root / "tapes").c_str(), 1);

    QApplication app(argc, argv);
    InstallDefaultAdapters();
    std::filesystem::current_path(root / "start");
    MainWindow window;
    window.show();
    AnswerEveryDialog(&window);

    // Two tapes, Weekly first, so the Utilities tab lists two catalogs.
    ChooseTab(window, kUtilitiesTab);
    auto* name = static_cast<QLineEdit*>(window.Control(kTapeNameField));
    name->setText(QStringLiteral("Weekly"));
    Click(window, kFormatTape);
    Click(window, kEjectTape);
    name->setText(QStringLiteral("Daily"));
    Click(window, kFormatTape);

    // Back up four files to Daily.
    window.Controller().State().browseDirectory = documents.string() + "/";
    ChooseTab(window, kBackupTab);
    ClickLeft(window, "report.doc", {"budget-2026.xls", "notes.txt", "project.zip"});
    Click(window, kStart);
    // New marks for the picture, and the catalog on the right.
    ChooseTab(window, kRestoreTab);
    ChooseTab(window, kBackupTab);
    ClickLeft(window, "invoice-0412.pdf");
    ClickLeft(window, "thesis.ZIP");
    Click(window, kRightDirTape);
    bool ok = Save(window, (output / "tab-backup.png").string());

    window.Controller().State().browseDirectory = (root / "restore").string() + "/";
    ChooseTab(window, kRestoreTab);
    Click(window, kLeftDirTape);
    ClickLeft(window, "project.zip");
    ClickLeft(window, "notes.txt");
    ok = Save(window, (output / "tab-restore.png").string()) && ok;

    ChooseTab(window, kVerifyTab);
    Click(window, kLeftDirTape);
    Click(window, kMarkAll);
    ok = Save(window, (output / "tab-verify.png").string()) && ok;

    ChooseTab(window, kUtilitiesTab);
    name->setText(QStringLiteral("Monthly"));
    ok = Save(window, (output / "tab-utilities.png").string()) && ok;

    std::filesystem::remove_all(root);
    return ok ? 0 : 1;
}
