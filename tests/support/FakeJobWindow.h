#pragma once
// What the jobs tell a face, for tests: left-list rows of name and image
// (from which the tests build the jobs' requests, as the window does from
// its marks), a folder, and a record of what the jobs said.

#include <string>
#include <utility>
#include <vector>

#include "jobs/JobEvents.h"
#include "jobs/JobRequests.h"
#include "jobs/VerifyResultsSink.h"

class FakeJobWindow : public JobEvents, public VerifyResultsSink {
public:
    struct Row {
        std::string name;
        int image;
    };

    void CatalogChanged(const std::string& path) override { listed.push_back(path); }
    void TargetFolderChanged() override { ++refills; }
    void ShowDriveStatus() override { ++driveStatus; }
    void ClearByteLabel() override { ++labelCleared; }

    void ShowResults() override { resultsShown = true; }
    void HideResults() override { resultsShown = false; }
    void EnableButtons(bool enabled) override { buttonsEnabled = enabled; }
    void RepaintResults() override { ++resultRepaints; }

    // The requests of the rows' marks: 12/16 backup, 11/15 restore, 19/20
    // verify (archives apart for the backup).
    BackupRequest Backup() const {
        BackupRequest request{folder, {}, {}};
        for (const Row& row : rows) {
            if (row.image == 16) request.archives.push_back(row.name);
            if (row.image == 12) request.files.push_back(row.name);
        }
        return request;
    }
    std::vector<int> Marked(int file, int archive) const {
        std::vector<int> entries;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].image == file || rows[i].image == archive) entries.push_back(static_cast<int>(i));
        return entries;
    }

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
