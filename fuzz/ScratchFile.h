#pragma once
// Fuzz inputs reach the readers as files: one scratch folder per process,
// files rewritten for every input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ScratchFile {

// The path of `name` in this process's scratch folder (made on first use,
// removed at exit).
std::string Path(const std::string& name);
// Replaces the file's contents; aborts when it cannot, since every later
// result would be meaningless.
void Put(const std::string& path, const std::uint8_t* data, std::size_t size);
// The file's contents; aborts when it cannot be read.
std::vector<std::uint8_t> Read(const std::string& path);

}  // namespace ScratchFile
