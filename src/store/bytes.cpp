#include "store/bytes.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

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

namespace {

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr char kTemporaryLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kTemporarySuffix = 6;  // NAME.XXXXXX
constexpr time_t kStaleSeconds = 60;

// The part of a file's name that its temporary files begin with: the whole
// name, or as much of it as leaves room for ".XXXXXX" within the longest
// name the folder allows.
std::string temporaryStem(const std::string& target, size_t longestName) {
    const size_t room = longestName > kTemporarySuffix + 1 ? longestName - kTemporarySuffix - 1 : 1;
    return target.size() <= room ? target : target.substr(0, room);
}

size_t longestNameIn(const std::string& folder) {
    long n = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return n > 0 ? static_cast<size_t>(n) : 255;
}

// Our suffixes always mix a capital, a small letter and a digit, so that a
// name like "LOG.DAT.backup" is never taken for one of ours.
bool isTemporarySuffix(const char* s) {
    bool upper = false, lower = false, digit = false;
    for (size_t i = 0; i < kTemporarySuffix; ++i) {
        const char c = s[i];
        if (c >= 'A' && c <= 'Z') upper = true;
        else if (c >= 'a' && c <= 'z') lower = true;
        else if (c >= '0' && c <= '9') digit = true;
        else return false;
    }
    return upper && lower && digit;
}

void randomSuffix(char* out) {
    do {
        uint8_t noise[kTemporarySuffix];
        if (::getrandom(noise, sizeof noise, 0) != static_cast<ssize_t>(sizeof noise)) {
            // No random source: the clock and the process still make a name
            // that O_EXCL checks.
            struct timespec now {};
            ::clock_gettime(CLOCK_REALTIME, &now);
            uint64_t x = static_cast<uint64_t>(now.tv_nsec) * 2654435761u ^ static_cast<uint64_t>(::getpid());
            for (uint8_t& b : noise) b = static_cast<uint8_t>(x >>= 7);
        }
        for (size_t i = 0; i < kTemporarySuffix; ++i) out[i] = kTemporaryLetters[noise[i] % 62];
    } while (!isTemporarySuffix(out));
}

// Removes what killed writes of `target` left in `folder`: our temporary
// names only, plain files only, and only when older than a minute (a write
// in progress in another copy of the program is never that old).
void removeStaleTemporaries(const std::string& folder, const std::string& target) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const size_t longest = longestNameIn(folder);
    const time_t now = ::time(nullptr);
    while (const struct dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isTemporaryNameOf(name, target, longest)) continue;
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (now - st.st_mtime < kStaleSeconds) continue;
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// A new temporary file for `target` in `folder`, open for writing.
int createTemporary(const std::string& folder, const std::string& target, std::string& name) {
    const std::string stem = folder + "/" + temporaryStem(target, longestNameIn(folder)) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[kTemporarySuffix];
        randomSuffix(suffix);
        name = stem + std::string(suffix, kTemporarySuffix);
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    errno = EEXIST;
    return -1;
}

}  // namespace

bool isTemporaryNameOf(const std::string& name, const std::string& target, size_t longestName) {
    if (target.empty() || name.size() < kTemporarySuffix + 2) return false;
    // The stem is the target's whole name, or its leading part when the
    // whole name left no room for the suffix.
    const size_t stem = name.size() - kTemporarySuffix - 1;
    if (stem != temporaryStem(target, longestName).size()) return false;
    if (name[stem] != '.' || name.compare(0, stem, target, 0, stem) != 0) return false;
    return isTemporarySuffix(name.c_str() + stem + 1);
}

std::string followLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> buffer(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 2);
        const ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size() - 1);
        if (n <= 0) return current;
        std::string link(buffer.data(), static_cast<size_t>(n));
        if (link[0] != '/') link = folderOf(current) + "/" + link;
        current = link;
    }
    return current;
}

bool writeFileReplacing(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
    if (path.empty()) {
        error = "No file name was given.";
        return false;
    }
    // A link is kept: its file is the one replaced.
    const std::string target = followLinks(path);
    const std::string folder = folderOf(target);

    // The new file gets the old one's permissions and owner, or the usual
    // permissions for a new file.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    mode_t mode = 0666;
    if (exists) {
        if (!S_ISREG(old.st_mode)) {
            error = "\"" + path + "\" is not a file.";
            return false;
        }
        // A file its owner made read-only stays as it is, even where the
        // folder would allow replacing it.
        if ((old.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            error = describe("Cannot write", path, EACCES);
            return false;
        }
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    removeStaleTemporaries(folder, nameOf(target));
    std::string temp;
    int fd = createTemporary(folder, nameOf(target), temp);
    if (fd < 0) {
        error = describe("Cannot create a file beside", path, errno);
        return false;
    }
    ::fchmod(fd, mode);
    if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) ::fchmod(fd, mode);
    }

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
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        error = describe("Cannot replace", path, err);
        return false;
    }
    // Make the rename itself durable.
    int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool FileLock::lock(const std::string& path, std::string& error, int waitMilliseconds, bool* created) {
    unlock();
    if (created) *created = false;
    int waited = 0;
    while (true) {
        // Not blocking on open: a pipe of that name is refused below.
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0 && errno == ENOENT) {
            fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0666);
            if (fd >= 0 && created) *created = true;
            if (fd < 0 && errno == EEXIST) continue;  // another copy made it first
        }
        if (fd < 0) {
            error = describe("Cannot open", path, errno);
            return false;
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            ::close(fd);
            error = "\"" + path + "\" is not a file.";
            return false;
        }
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK && errno != EINTR) {
                error = describe("Cannot lock", path, errno);
                ::close(fd);
                return false;
            }
            if (waited >= waitMilliseconds) {
                ::close(fd);
                error = "\"" + path + "\" is kept busy by another program.";
                return false;
            }
            ::usleep(2000);
            waited += 2;
        }
        // Another copy may have renamed a new file over the one locked here
        // while this one waited: then lock the new one.
        struct stat now {};
        if (::stat(path.c_str(), &now) == 0 && now.st_dev == held.st_dev && now.st_ino == held.st_ino) {
            fd_ = fd;
            return true;
        }
        ::close(fd);
    }
}

void FileLock::unlock() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
    fd_ = -1;
}

}  // namespace korvat
