#pragma once
// The autoloader's magazine: the *.tap and *.aws files of a folder in name
// order, or a single image that is the only cartridge. Blank cartridges are
// made as needed: in an empty folder, and after the last one is ejected.
// Like a real autoloader, the magazine keeps its place between runs: the
// cartridge loaded by an eject is named in the folder's ".loaded" file and
// is loaded first next time.

#include <string>
#include <vector>

class CartridgeFolder {
public:
    CartridgeFolder(std::string source, bool isFolder, bool createFolder);

    // The cartridge to load first; empty when there is none (missing or
    // unreadable folder, an image whose folder does not exist).
    std::string First();
    // The cartridge after `current` in name order; a new blank one when
    // `current` is the last. Empty for a single image (nothing follows it).
    std::string After(const std::string& current);
    bool IsFolder() const { return isFolder_; }

private:
    bool List(std::vector<std::string>& names) const;
    // Best effort: without the note the magazine starts at its first
    // cartridge, which loses nothing.
    void RememberLoaded(const std::string& path) const;
    std::string RememberedLoaded(const std::vector<std::string>& names) const;
    std::string MakeBlank(const std::string& after);

    std::string source_;
    bool isFolder_;
    bool createFolder_;
};
