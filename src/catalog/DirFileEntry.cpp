#include "catalog/DirFileEntry.h"

#include "catalog/DirFileFormat.h"
#include "tape/Field.h"

namespace DF = DirFileFormat;

int EncodeDirFileEntry(const FileHeader& fields, std::uint8_t* entry) {
    if (fields.name.size() > DF::kMaxNameLength || fields.modificationDate.size() >= DF::kDateWidth ||
        fields.backupDate.size() >= DF::kDateWidth)
        return -1;
    entry[DF::kTypeOffset] = DF::kEntry;
    Field::PutTextPadded(entry, DF::kNameOffset, DF::kNameWidth, fields.name);
    Field::PutTextPadded(entry, DF::kFileDateOffset, DF::kDateWidth, fields.modificationDate);
    Field::PutTextPadded(entry, DF::kBackupDateOffset, DF::kDateWidth, fields.backupDate);
    Field::PutInt32(entry, DF::kSizeOffset, fields.size);
    Field::PutInt32(entry, DF::kBlockCountOffset, fields.blockCount);
    return 0;
}

std::uint8_t DecodeDirFileEntry(const std::uint8_t* entry, FileHeader& fields) {
    Field::GetText(entry, DF::kNameOffset, DF::kNameWidth, fields.name);
    Field::GetText(entry, DF::kFileDateOffset, DF::kDateWidth, fields.modificationDate);
    Field::GetText(entry, DF::kBackupDateOffset, DF::kDateWidth, fields.backupDate);
    fields.size = Field::GetInt32(entry, DF::kSizeOffset);
    fields.blockCount = Field::GetInt32(entry, DF::kBlockCountOffset);
    return entry[DF::kTypeOffset];
}
