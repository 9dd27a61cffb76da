#include "tape/FileHeader.h"

#include <cstring>

#include "tape/Field.h"
#include "tape/TapeFormat.h"

namespace TF = TapeFormat;

void EncodeFileHeader(const FileHeader& header, std::uint8_t* block, std::size_t blockLength) {
    std::memset(block, 0, blockLength);
    block[TF::kTypeOffset] = TF::kFileRecord;
    Field::PutText(block, TF::kFileNameOffset, header.name);
    Field::PutText(block, TF::kModDateOffset, header.modificationDate);
    Field::PutText(block, TF::kBackupDateOffset, header.backupDate);
    Field::PutInt32(block, TF::kSizeOffset, header.size);
    Field::PutInt32(block, TF::kBlockCountOffset, header.blockCount);
}

std::uint8_t DecodeFileHeader(const std::uint8_t* block, FileHeader& header) {
    Field::GetText(block, TF::kFileNameOffset, TF::kFileNameWidth, header.name);
    Field::GetText(block, TF::kModDateOffset, TF::kDateWidth, header.modificationDate);
    Field::GetText(block, TF::kBackupDateOffset, TF::kDateWidth, header.backupDate);
    header.size = Field::GetInt32(block, TF::kSizeOffset);
    header.blockCount = Field::GetInt32(block, TF::kBlockCountOffset);
    return block[TF::kTypeOffset];
}
