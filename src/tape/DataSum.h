#pragma once
// A checksum computed over a file's data as it streams past, in the order
// it lies in the file. The hash state is made once per object, so summing
// a file allocates nothing.

#include <cstddef>

#include "tape/FileFacts.h"

class DataSum {
public:
    DataSum();
    ~DataSum();
    DataSum(const DataSum&) = delete;
    DataSum& operator=(const DataSum&) = delete;

    // The kind of the files begun from now on.
    void SetKind(SumKind kind) { kind_ = kind; }
    SumKind Kind() const { return kind_; }
    // Starts a new file. With SumKind::None, Add and End do nothing but
    // give a digest of kind None.
    void Begin();
    void Add(const void* data, std::size_t count);
    void End(Digest& digest);

private:
    struct State;
    SumKind kind_ = SumKind::None;
    State* state_;
};
