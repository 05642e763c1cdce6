#include "store/ini_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "store/bytes.h"

namespace korvat {

namespace {

// Settings files are small; anything larger is not ours.
constexpr size_t kIniLimit = 1 << 20;

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// A line of the file and the end it had ("\n", "\r\n", or nothing on a
// last line without one).
struct Line {
    std::string text;
    std::string end;
};

// The file's lines, after a UTF-8 byte order mark (which `bom` keeps).
std::vector<Line> splitLines(const std::string& text, std::string* bom = nullptr) {
    std::vector<Line> lines;
    size_t pos = 0;
    if (text.compare(0, 3, kByteOrderMark) == 0) pos = 3;
    if (bom) *bom = text.substr(0, pos);
    while (pos < text.size()) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back({text.substr(pos), ""});
            break;
        }
        size_t end = nl;
        if (end > pos && text[end - 1] == '\r') --end;
        lines.push_back({text.substr(pos, end - pos), text.substr(end, nl + 1 - end)});
        pos = nl + 1;
    }
    return lines;
}

// The section a line opens, or false when it opens none.
bool sectionOf(const std::string& line, std::string& name) {
    std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    size_t close = t.find(']');
    if (close == std::string::npos) return false;
    name = trim(t.substr(1, close - 1));
    return true;
}

// The key and value of a "Key=Value" line.
bool keyOf(const std::string& line, std::string& key, std::string& value) {
    std::string t = trim(line);
    if (t.empty() || t[0] == ';' || t[0] == '#') return false;
    size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    return true;
}

// The name a key is held by: its section's and its own, in small letters.
std::string heldName(const std::string& section, const std::string& key) {
    std::string name = section + "\n" + key;
    for (char& c : name)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return name;
}

bool makeFolders(const std::string& path, std::string& error) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
            error = "Cannot make the folder \"" + folder + "\": " + std::strerror(errno);
            return false;
        }
    }
    return true;
}

}  // namespace

bool iniFindValue(const std::string& text, const std::string& section, const std::string& key, std::string& value) {
    bool inSection = false;
    for (const Line& line : splitLines(text)) {
        std::string name, k, v;
        if (sectionOf(line.text, name)) {
            inSection = sameName(name, section);
        } else if (inSection && keyOf(line.text, k, v) && sameName(k, key)) {
            value = v;
            return true;
        }
    }
    return false;
}

std::string iniSetValue(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value) {
    std::string bom;
    std::vector<Line> lines = splitLines(text, &bom);
    // New lines end as the file's lines do.
    std::string newline = "\n";
    for (const Line& line : lines)
        if (!line.end.empty()) {
            newline = line.end;
            break;
        }
    const std::string entry = key + "=" + value;
    bool inSection = false;
    long sectionEnd = -1;  // index after the last key line of the section
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name, k, v;
        if (sectionOf(lines[i].text, name)) {
            inSection = sameName(name, section);
            if (inSection) sectionEnd = static_cast<long>(i) + 1;
        } else if (inSection) {
            if (keyOf(lines[i].text, k, v) && sameName(k, key)) {
                lines[i].text = entry;
                sectionEnd = -2;
                break;
            }
            if (!trim(lines[i].text).empty()) sectionEnd = static_cast<long>(i) + 1;
        }
    }
    if (sectionEnd >= 0) {
        lines.insert(lines.begin() + sectionEnd, Line{entry, newline});
    } else if (sectionEnd == -1) {
        if (!lines.empty() && !trim(lines.back().text).empty()) lines.push_back({"", newline});
        lines.push_back({"[" + section + "]", newline});
        lines.push_back({entry, newline});
    }
    std::string out = bom;
    for (size_t i = 0; i < lines.size(); ++i) {
        out += lines[i].text;
        // A line that now has another after it needs an end of its own.
        out += lines[i].end.empty() && i + 1 < lines.size() ? newline : lines[i].end;
    }
    return out;
}

int iniParseInt(const std::string& value) {
    size_t i = 0;
    while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
    uint32_t v = 0;
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
        v = v * 10u + static_cast<uint32_t>(value[i] - '0');
    if (negative) v = 0u - v;
    return static_cast<int>(v);
}

int iniFileReadInt(const std::string& path, const char* section, const char* key, int defaultValue) {
    std::vector<uint8_t> bytes;
    std::string error, value;
    if (!readFileBytes(path, kIniLimit, bytes, error)) return defaultValue;
    std::string text(bytes.begin(), bytes.end());
    if (!iniFindValue(text, section, key, value)) return defaultValue;
    return iniParseInt(value);
}

bool iniFileWriteString(const std::string& path, const char* section, const char* key, const char* value,
                        std::string& error) {
    SharedIniFile file;
    return file.write(path, section, {{key, value}}, error);
}

void SharedIniFile::usePath(const std::string& path) {
    if (path == path_) return;
    path_ = path;
    held_.clear();
}

int SharedIniFile::readInt(const std::string& path, const char* section, const char* key, int defaultValue) {
    usePath(path);
    const int value = iniFileReadInt(path, section, key, defaultValue);
    held_.emplace(heldName(section, key), value);
    return value;
}

bool SharedIniFile::write(const std::string& path, const char* section, const IniValues& values,
                          std::string& error) {
    usePath(path);
    // The lock is taken on the file itself, which it makes when missing.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT && !makeFolders(path, error)) return false;
    FileLock lock;
    if (!lock.lock(path, error)) return false;
    std::vector<uint8_t> bytes;
    if (!readFileBytes(path, kIniLimit + 1, bytes, error)) {
        // A file that exists but cannot be read is not replaced by one that
        // would lose its other lines.
        return false;
    }
    if (bytes.size() > kIniLimit) {
        error = "\"" + path + "\" is too large to be a settings file.";
        return false;
    }
    std::string text(bytes.begin(), bytes.end());
    std::map<std::string, int> held = held_;
    for (const auto& [key, value] : values) {
        const std::string name = heldName(section, key);
        const int mine = iniParseInt(value);
        const auto h = held.find(name);
        std::string there;
        if (h != held.end() && h->second == mine && iniFindValue(text, section, key, there) &&
            iniParseInt(there) != mine)
            continue;  // changed by another copy, not by this one
        text = iniSetValue(text, section, key, value);
        held[name] = mine;
    }
    if (!writeFileReplacing(path, std::vector<uint8_t>(text.begin(), text.end()), error)) return false;
    held_ = std::move(held);
    return true;
}

std::string korvatIniPath() {
    if (const char* explicitPath = std::getenv("KORVAT_INI"); explicitPath && *explicitPath) return explicitPath;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/')
        return std::string(config) + "/korvat/korvat.ini";
    if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.config/korvat/korvat.ini";
    return "korvat.ini";
}

}  // namespace korvat
