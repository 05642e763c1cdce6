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
// Only plain files are read: opening never waits (a pipe or a device given
// as a file name is refused at once).
bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out,
                   std::string& error, bool* missing = nullptr);

// Writes `bytes` to a temporary file beside the file that `path` names and
// renames it over that file. When `path` is a symbolic link, the file it
// leads to is replaced and the link kept. A file that exists and may not be
// written (no write permission, or not a plain file) is left as it is and
// the write fails. Before writing, temporary files of the same name that a
// killed write left behind (NAME.XXXXXX, older than a minute) are removed.
// On failure the old file is untouched, the temporary file is removed and
// `error` says what went wrong.
bool writeFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes,
                        std::string& error);

// The file a name finally leads to when its symbolic links are followed
// (the name itself when it is no link, or when a link leads nowhere).
std::string followLinks(const std::string& path);

// Whether `name` is a temporary file name that writeFileReplacing makes for
// the file named `target` (both without a folder), in a folder whose names
// are at most `longestName` bytes long.
bool isTemporaryNameOf(const std::string& name, const std::string& target, size_t longestName = 255);

// An advisory lock on a file for one read-modify-write, shared by every
// copy of the program that updates the same file. The file is created
// (empty) when it does not exist. The lock follows the file when another
// copy replaces it by a rename while this one waits.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { unlock(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Waits at most `waitMilliseconds` for the lock. False with a reason in
    // `error` when the file cannot be opened or stays locked. `created` is
    // set when the file did not exist before.
    bool lock(const std::string& path, std::string& error, int waitMilliseconds = 5000, bool* created = nullptr);
    void unlock();
    bool locked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace korvat
