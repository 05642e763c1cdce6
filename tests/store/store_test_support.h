// Helpers of the tests of the player's files: a scratch folder, whole files
// as bytes, and little-endian fields written by hand.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace korvat::test {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder, sorted.
    std::vector<std::string> names() const;

private:
    std::string path_;
};

// The names in a folder, sorted.
std::vector<std::string> namesIn(const std::string& folder);

std::vector<uint8_t> fileBytes(const std::string& path);
void putFile(const std::string& path, const std::vector<uint8_t>& bytes);
bool fileExists(const std::string& path);

// Appends fields to a byte array, least significant byte first.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u16(unsigned v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
        return *this;
    }
    Bytes& u32(uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
    Bytes& text(const char* s, size_t n) {
        for (size_t i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(s[i]));
        return *this;
    }
};

}  // namespace korvat::test
