#include "store_test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace korvat::test {

namespace {

void removeAll(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
        ::chmod(path.c_str(), 0700);
        if (DIR* d = ::opendir(path.c_str())) {
            std::vector<std::string> children;
            while (dirent* e = ::readdir(d)) {
                std::string name = e->d_name;
                if (name != "." && name != "..") children.push_back(path + "/" + name);
            }
            ::closedir(d);
            for (const std::string& c : children) removeAll(c);
        }
        ::rmdir(path.c_str());
    } else {
        ::unlink(path.c_str());
    }
}

}  // namespace

ScratchFolder::ScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/korvat-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!::mkdtemp(name.data())) std::abort();
    path_ = name.data();
}

ScratchFolder::~ScratchFolder() { removeAll(path_); }

std::vector<std::string> ScratchFolder::names() const { return namesIn(path_); }

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> out;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string name = e->d_name;
            if (name != "." && name != "..") out.push_back(name);
        }
        ::closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<uint8_t> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void putFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace korvat::test
