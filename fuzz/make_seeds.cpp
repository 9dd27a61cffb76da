// Writes the seed corpora of the fuzz targets with the program's own
// writers: small tapes in both image formats (whole, cut short, with one
// byte flipped), each with a few command scripts, and directory files.
// Usage: make_seeds OUTDIR  (makes OUTDIR/fuzz_tape_image, OUTDIR/fuzz_dir_file)

#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ScratchFile.h"
#include "aspi/virtual/Cartridge.h"
#include "catalog/DirFile.h"
#include "report/MessageKind.h"

namespace {

class NoQuestions : public MessageSink {
public:
    int Show(const Message&) override { return kMessageCancel; }
};

void Save(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A label record, a file of five fixed 64-byte blocks and odd records,
// each file closed by a filemark.
bool WriteTape(const std::string& path) {
    ScratchFile::Put(path, nullptr, 0);
    std::unique_ptr<Cartridge> c;
    if (Cartridge::Open(path, 1 << 20, 0, c) != Cartridge::OpenResult::Loaded) return false;
    std::vector<std::uint8_t> data(320);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 13 + 1);
    return c->Write(data.data(), 1, 80).event == TapeEvent::Done && c->WriteFilemarks(1).event == TapeEvent::Done &&
           c->Write(data.data(), 5, 64).event == TapeEvent::Done && c->Write(data.data(), 1, 3).event == TapeEvent::Done &&
           c->Write(data.data(), 1, 1).event == TapeEvent::Done && c->WriteFilemarks(2).event == TapeEvent::Done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    const std::string tapes = out + "/fuzz_tape_image";
    const std::string dirs = out + "/fuzz_dir_file";
    mkdir(out.c_str(), 0755);
    mkdir(tapes.c_str(), 0755);
    mkdir(dirs.c_str(), 0755);

    // (operation, argument) pairs as fuzz_tape_image reads them.
    const std::vector<std::vector<std::uint8_t>> scripts = {
        {0, 255, 3, 1, 1, 0x3F, 2, 0xFE, 0, 1, 5, 0, 4, 0, 3, 0xFF, 0, 255, 6, 9, 7, 1, 0, 255},
        {3, 2, 2, 0xFF, 0, 255, 8, 0, 5, 0, 3, 1, 1, 0x0C, 4, 0, 2, 0xFC, 0, 255, 3, 0xFE, 0, 255},
        {4, 0, 3, 0xFD, 0, 255, 2, 3, 6, 0x20, 5, 0, 1, 0x04, 3, 1, 0, 255, 0, 255, 7, 2, 4, 0},
    };
    int seed = 0;
    for (const char* extension : {".tap", ".aws"}) {
        const std::string image = ScratchFile::Path(std::string("seed") + extension);
        if (!WriteTape(image)) {
            std::fprintf(stderr, "cannot write %s\n", image.c_str());
            return 1;
        }
        const std::vector<std::uint8_t> whole = ScratchFile::Read(image);
        std::vector<std::uint8_t> flipped = whole;
        flipped[flipped.size() / 2] ^= 0x40;
        const std::vector<std::uint8_t> bodies[] = {whole, {whole.begin(), whole.end() - 5}, flipped};
        for (const auto& body : bodies) {
            for (const auto& script : scripts) {
                std::vector<std::uint8_t> input{static_cast<std::uint8_t>(extension[1] == 'a' ? 1 : 0)};
                input.insert(input.end(), script.begin(), script.end());
                input.insert(input.end(), body.begin(), body.end());
                Save(tapes + "/seed" + std::to_string(seed++), input);
            }
        }
    }

    NoQuestions messages;
    DirFile dir(messages);
    const std::string file = ScratchFile::Path("seed.twd");
    if (dir.CreateForNewTape("TAPE01", file) != 0 ||
        dir.AppendEntry(file, "notes.txt", "01.02.2003", "04.05.2006", 1234, 2) != 0 ||
        dir.AppendEntry(file, "empty", "", "04.05.2006", 0, 1) != 0) {
        std::fprintf(stderr, "cannot write %s\n", file.c_str());
        return 1;
    }
    const std::vector<std::uint8_t> whole = ScratchFile::Read(file);
    Save(dirs + "/whole", whole);
    Save(dirs + "/cut", std::vector<std::uint8_t>(whole.begin(), whole.end() - 100));
    Save(dirs + "/ident", std::vector<std::uint8_t>(whole.begin(), whole.begin() + 78));
    // More entries than a tape holds: the count stops at 999.
    for (int i = 0; i < 1000; ++i) {
        if (dir.AppendEntry(file, "f" + std::to_string(i), "01.02.2003", "04.05.2006", i, 1) != 0) return 1;
    }
    Save(dirs + "/full", ScratchFile::Read(file));
    return 0;
}
