#pragma once
// Reads a test file whole.

#include <fstream>
#include <iterator>
#include <string>

// The file's bytes in any container of byte-sized values; empty when it cannot
// be opened.
template <class Container>
Container FileContents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Container(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
