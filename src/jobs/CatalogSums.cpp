#include "jobs/CatalogSums.h"

#include "catalog/DirFile.h"
#include "catalog/SumFile.h"

int CatalogSums::Load(DirFile& dirFile, const std::string& catalogPath) {
    names_.clear();
    sizes_.clear();
    if (dirFile.OpenForReading(catalogPath) == 0 && dirFile.SkipIdent() == 0) {
        std::string name, fileDate, backupDate;
        std::int32_t size = 0, blocks = 0;
        while (dirFile.ReadNextEntry(name, fileDate, backupDate, size, blocks) == 0) {
            names_.push_back(name);
            sizes_.push_back(size);
        }
    }
    dirFile.Close();
    return SumFile::Load(catalogPath, records_);
}

const FileFacts* CatalogSums::Facts(int index) const {
    if (index < 0 || index >= Entries() || static_cast<std::size_t>(index) >= records_.size()) return nullptr;
    const SumRecord& r = records_[static_cast<std::size_t>(index)];
    if (r.nameHash != SumNameHash(Name(index))) return nullptr;
    if (r.facts.known && r.facts.size != Size(index)) return nullptr;
    return &r.facts;
}

const FileFacts* CatalogSums::Summed(int index) const {
    const FileFacts* facts = Facts(index);
    return facts != nullptr && facts->digest.Present() ? facts : nullptr;
}
