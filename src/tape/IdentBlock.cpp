#include "tape/IdentBlock.h"

#include <cstring>

#include "tape/Field.h"
#include "tape/TapeFormat.h"

namespace TF = TapeFormat;

void EncodeIdentBlock(const IdentBlock& ident, std::uint8_t* block, std::size_t length) {
    std::memset(block, 0, length);
    Field::PutText(block, TF::kMagicOffset, TF::kMagic);
    Field::PutText(block, TF::kTapeNameOffset, ident.tapeName);
    Field::PutText(block, TF::kFormatDateOffset, ident.formatDate);
    Field::PutText(block, TF::kVersionOffset, ident.version);
}

bool HasIdentMagic(const std::uint8_t* block) {
    return std::memcmp(block + TF::kMagicOffset, TF::kMagic, TF::kMagicWidth) == 0;
}

bool DecodeIdentBlock(const std::uint8_t* block, IdentBlock& ident) {
    if (!HasIdentMagic(block)) return false;
    Field::GetText(block, TF::kTapeNameOffset, TF::kTapeNameWidth, ident.tapeName);
    Field::GetText(block, TF::kFormatDateOffset, TF::kDateWidth, ident.formatDate);
    Field::GetText(block, TF::kVersionOffset, TF::kVersionWidth, ident.version);
    return true;
}
