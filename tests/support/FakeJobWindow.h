#pragma once
// The window as the jobs see it, for tests: left-list rows of name and
// image, a browsed folder, and a record of what the jobs asked the window
// to do.

#include <string>
#include <utility>
#include <vector>

#include "jobs/JobWindow.h"
#include "jobs/VerifyResultsView.h"

class FakeJobWindow : public JobWindow, public VerifyResultsView {
public:
    struct Row {
        std::string name;
        int image;
    };

    int RowCount() override { return static_cast<int>(rows.size()); }
    int CountMarked(int image) override {
        int n = 0;
        for (const Row& row : rows) n += row.image == image;
        return n;
    }
    void NthMarkedName(int image, int k, std::string& name) override {
        name.clear();
        for (const Row& row : rows)
            if (row.image == image && --k == 0) {
                name = row.name;
                return;
            }
    }
    int IsMarkedAt(int image, int row) override {
        if (row < 0 || row >= RowCount()) return -1;
        return rows[static_cast<std::size_t>(row)].image == image ? 1 : 0;
    }
    std::string CurrentPath() override { return folder; }
    void ListTapeDirectory(const std::string& path) override { listed.push_back(path); }
    void RefillTargetFolder() override { ++refills; }
    void ShowDriveStatus() override { ++driveStatus; }
    void ClearByteLabel() override { ++labelCleared; }

    void ShowResults() override { resultsShown = true; }
    void HideResults() override { resultsShown = false; }
    void EnableButtons(bool enabled) override { buttonsEnabled = enabled; }
    void RepaintResults() override { ++resultRepaints; }

    std::vector<Row> rows;
    std::string folder;
    std::vector<std::string> listed;
    int refills = 0;
    int driveStatus = 0;
    int labelCleared = 0;
    bool resultsShown = false;
    bool buttonsEnabled = true;
    int resultRepaints = 0;
};
