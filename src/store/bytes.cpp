#include "store/bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvat {

bool ByteReader::u16(uint16_t& out) {
    if (remaining() < 2) return false;
    out = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return true;
}

bool ByteReader::u32(uint32_t& out) {
    if (remaining() < 4) return false;
    out = static_cast<uint32_t>(data_[pos_]) | (static_cast<uint32_t>(data_[pos_ + 1]) << 8) |
          (static_cast<uint32_t>(data_[pos_ + 2]) << 16) | (static_cast<uint32_t>(data_[pos_ + 3]) << 24);
    pos_ += 4;
    return true;
}

bool ByteReader::i32(int32_t& out) {
    uint32_t v;
    if (!u32(v)) return false;
    out = static_cast<int32_t>(v);
    return true;
}

bool ByteReader::bytes(void* out, size_t count) {
    if (remaining() < count) return false;
    if (count > 0) std::memcpy(out, data_ + pos_, count);
    pos_ += count;
    return true;
}

bool ByteReader::skip(size_t count) {
    if (remaining() < count) return false;
    pos_ += count;
    return true;
}

void ByteWriter::u16(uint16_t v) {
    data_.push_back(static_cast<uint8_t>(v & 0xFF));
    data_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::u32(uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) data_.push_back(static_cast<uint8_t>((v >> shift) & 0xFF));
}

void ByteWriter::bytes(const void* data, size_t count) {
    const auto* p = static_cast<const uint8_t*>(data);
    data_.insert(data_.end(), p, p + count);
}

static std::string describe(const std::string& what, const std::string& path, int err) {
    return what + " \"" + path + "\": " + std::strerror(err);
}

bool readFileBytes(const std::string& path, size_t limit, std::vector<uint8_t>& out, std::string& error,
                   bool* missing) {
    if (missing) *missing = false;
    out.clear();
    // Not blocking: a pipe given as a file name must not hang the program
    // (it is refused below, as anything but a plain file is).
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        int err = errno;
        if (missing) *missing = (err == ENOENT);
        error = describe("Cannot open", path, err);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = "\"" + path + "\" is not a file.";
        return false;
    }
    uint8_t chunk[65536];
    while (out.size() < limit) {
        size_t want = limit - out.size();
        if (want > sizeof chunk) want = sizeof chunk;
        ssize_t got = ::read(fd, chunk, want);
        if (got < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            out.clear();
            error = describe("Cannot read", path, err);
            return false;
        }
        if (got == 0) break;
        out.insert(out.end(), chunk, chunk + got);
    }
    ::close(fd);
    return true;
}

static std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool writeFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    std::string pattern = path + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = describe("Cannot create a file beside", path, errno);
        return false;
    }
    std::string temp(name.data());
    // The new file gets the old one's permissions, or the usual ones.
    struct stat old {};
    mode_t mode = 0666;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    auto fail = [&](const char* what) {
        int err = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        error = describe(what, path, err);
        return false;
    };
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            return fail("Cannot write");
        }
        done += static_cast<size_t>(put);
    }
    if (::fsync(fd) != 0) return fail("Cannot write");
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        error = describe("Cannot write", path, err);
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        error = describe("Cannot replace", path, err);
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace korvat
