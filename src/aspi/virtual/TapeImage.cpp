#include "aspi/virtual/TapeImage.h"

#include "aspi/virtual/AwsTapeImage.h"
#include "aspi/virtual/SimhTapeImage.h"

namespace {

bool EndsWith(const std::string& text, const char* suffix) {
    const std::string tail(suffix);
    return text.size() > tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::unique_ptr<TapeImage> TapeImage::ForPath(const std::string& path) {
    if (EndsWith(path, ".tap")) return std::make_unique<SimhTapeImage>();
    if (EndsWith(path, ".aws")) return std::make_unique<AwsTapeImage>();
    return nullptr;
}
