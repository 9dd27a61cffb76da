#pragma once
// The one buffer through which a cartridge reads and writes its image file.
// Reads fill it with an aligned megabyte of the file, so scanning framing
// words and copying out the records of transfers cost one system call per
// megabyte, and a record scanned is already in memory when it is read.
// Writes frame a transfer in it and put it on disk with one call.
//
// What the window holds is trusted only until the next write or rewind:
// a reader checks framing against the very bytes it delivers.

#include <cstddef>
#include <cstdint>

class ImageWindow {
public:
    enum class Result { Ok, PastEnd, IoError, NotBuffered };
    static constexpr std::size_t kSize = 1 << 20;

    ImageWindow(int fd, std::uint64_t fileSize);
    ~ImageWindow();
    ImageWindow(const ImageWindow&) = delete;
    ImageWindow& operator=(const ImageWindow&) = delete;

    // The file's length as far as the cartridge knows it.
    std::uint64_t FileSize() const { return fileSize_; }
    void SetFileSize(std::uint64_t size);

    // Copies `length` bytes at `offset` into `out`; PastEnd when the file
    // ends before them. Large pieces go straight to `out`. Without `fill`,
    // only from what the buffer holds already (NotBuffered otherwise).
    Result Read(std::uint64_t offset, void* out, std::size_t length, bool fill = true);
    // Like Read, but without moving the buffer: bytes it does not hold are
    // read straight into `out`. For looks far ahead of a search that goes on
    // where the buffer is.
    Result ReadAside(std::uint64_t offset, void* out, std::size_t length);
    // True when the bytes are in the buffer already (no system call).
    bool Holds(std::uint64_t offset, std::size_t length) const;
    void Forget() { filled_ = 0; }
    // A fill within half a window after `offset` starts there instead, so
    // that a transfer whose records the scan has to reach ahead for is read
    // with them in one call.
    void KeepFrom(std::uint64_t offset) { keep_ = offset; }

    // Writing at `offset`: Put appends bytes, putting the buffer on disk
    // when they do not fit (a piece larger than the buffer goes straight to
    // the file); EndWrite puts the rest. False after any failure.
    void BeginWrite(std::uint64_t offset);
    void Put(const void* data, std::size_t length);
    void PutZeros(std::size_t length);
    bool EndWrite();

private:
    bool Fill(std::uint64_t offset);
    void Flush();

    int fd_;
    std::uint64_t fileSize_;
    std::uint8_t* buffer_;
    std::uint64_t start_ = 0;  // file offset of buffer_[0]
    std::size_t filled_ = 0;   // bytes valid for reading
    std::size_t staged_ = 0;   // bytes waiting to be written at start_
    std::uint64_t keep_ = 0;
    bool writeFailed_ = false;
};
