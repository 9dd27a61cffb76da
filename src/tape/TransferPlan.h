#pragma once
// How the data blocks of a record are grouped into transfers: count64
// transfers of 64 blocks, then count10 of 10, then count1 of one. The number
// of data blocks is always size / blockLength + 1, so the last single block
// holds the remainder padded with zeros (all zeros when size is a multiple).

#include <cstdint>

#include "tape/TapeFormat.h"

struct TransferPlan {
    std::int32_t count64 = 0;
    std::int32_t count10 = 0;
    std::int32_t count1 = 0;

    // size >= 0, blockLength >= 1.
    static constexpr TransferPlan For(std::int64_t size, std::int64_t blockLength) {
        TransferPlan plan;
        std::int64_t rest = size;
        plan.count64 = static_cast<std::int32_t>(rest / (TapeFormat::kBigTransfer * blockLength));
        rest -= plan.count64 * TapeFormat::kBigTransfer * blockLength;
        plan.count10 = static_cast<std::int32_t>(rest / (TapeFormat::kMidTransfer * blockLength));
        rest -= plan.count10 * TapeFormat::kMidTransfer * blockLength;
        plan.count1 = static_cast<std::int32_t>(rest / blockLength + 1);
        return plan;
    }

    static constexpr std::int32_t BlockCount(std::int64_t size, std::int64_t blockLength) {
        return static_cast<std::int32_t>(size / blockLength + 1);
    }

    // Blocks per transfer when streaming: as many 64-block groups as a
    // transfer buffer holds (384 blocks of 1024 bytes), so that a drive's
    // buffer is kept full with few commands. The blocks on tape are the
    // same whatever the grouping.
    static constexpr int StreamBlocks(std::int64_t blockLength) {
        return static_cast<int>(static_cast<std::int64_t>(TapeFormat::kBufferSize) /
                                (TapeFormat::kBigTransfer * blockLength) * TapeFormat::kBigTransfer);
    }
};
