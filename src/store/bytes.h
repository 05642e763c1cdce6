// Little-endian fields and whole-file I/O for the player's files.
//
// Readers take a file whole into memory and walk it with a ByteReader that
// never reads past its end; writers build the whole file in memory with a
// ByteWriter and hand it to writeFileReplacing, which writes a temporary
// file beside the target and renames it over the old one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvat {

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t remaining() const { return size_ - pos_; }
    size_t position() const { return pos_; }
    bool atEnd() const { return pos_ == size_; }

    // Each returns false, and leaves the position and `out` alone, when the
    // field does not fit in what is left.
    bool u16(uint16_t& out);
    bool u32(uint32_t& out);
    bool i32(int32_t& out);
    bool bytes(void* out, size_t count);
    bool skip(size_t count);

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class ByteWriter {
public:
    void u16(uint16_t v);
    void u32(uint32_t v);
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void bytes(const void* data, size_t count);

    const std::vector<uint8_t>& data() const { return data_; }

private:
    std::vector<uint8_t> data_;
};

// Reads at most `limit` bytes of the file. False, with a reason in `error`,
// when the file cannot be opened or read; a missing file sets `missing`.
bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out,
                   std::string& error, bool* missing = nullptr);

// Writes `bytes` to a temporary file in the target's folder, flushes it to
// the disk and renames it over `path`. On failure the old file is untouched,
// the temporary file is removed and `error` says what went wrong.
bool writeFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes,
                        std::string& error);

}  // namespace korvat
