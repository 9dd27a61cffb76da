#pragma once
// The records and filemarks of a SIMH .tap image, read and written here
// independently of the virtual drive: u32le length, data, pad byte to an
// even length, the same length again; a zero word is a filemark.

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/FileContents.h"

struct TapObject {
    bool filemark = false;
    std::vector<std::uint8_t> data;
};

namespace TapImage {

inline std::vector<std::uint8_t> FileBytes(const std::string& path) {
    return FileContents<std::vector<std::uint8_t>>(path);
}

inline std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// ok is false when the framing is broken anywhere.
inline std::vector<TapObject> Parse(const std::string& path, bool& ok) {
    const auto b = FileBytes(path);
    std::vector<TapObject> objects;
    std::size_t at = 0;
    ok = true;
    while (at < b.size()) {
        if (at + 4 > b.size()) return ok = false, objects;
        const std::uint32_t n = Word(b, at);
        if (n == 0) {
            objects.push_back({true, {}});
            at += 4;
            continue;
        }
        const std::size_t padded = n + (n & 1);
        if (at + 8 + padded > b.size() || Word(b, at + 4 + padded) != n) return ok = false, objects;
        objects.push_back({false, std::vector<std::uint8_t>(b.begin() + at + 4, b.begin() + at + 4 + n)});
        at += 8 + padded;
    }
    return objects;
}

inline void Put(std::vector<std::uint8_t>& out, std::uint32_t w) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
}

inline void Write(const std::string& path, const std::vector<TapObject>& objects) {
    std::vector<std::uint8_t> out;
    for (const auto& o : objects) {
        if (o.filemark) {
            Put(out, 0);
            continue;
        }
        const auto n = static_cast<std::uint32_t>(o.data.size());
        Put(out, n);
        out.insert(out.end(), o.data.begin(), o.data.end());
        if (n & 1) out.push_back(0);
        Put(out, n);
    }
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()));
}

// Byte offset in the file of object `index`, for damaging it on purpose.
inline std::size_t OffsetOf(const std::vector<TapObject>& objects, std::size_t index) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < index; ++i)
        at += objects[i].filemark ? 4 : 8 + objects[i].data.size() + (objects[i].data.size() & 1);
    return at;
}

}  // namespace TapImage
