// A small reader and writer of INI files ("[Section]" lines and "Key=Value"
// lines), as the settings file korvat.ini uses them. Section and key names
// are compared without regard to case; every other line of the file is kept
// as it stands when a value is written. Every copy of the program may write
// the same korvat.ini: each write is made under the lock LOG.DAT's writes
// take, onto the file as it is then.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace korvat {

// The value of a key in INI text, or false when the section or key is missing.
bool iniFindValue(const std::string& text, const std::string& section, const std::string& key, std::string& value);

// INI text with the key set to the value: replaced where it stands, added
// at the end of its section, or added with a new section at the end.
std::string iniSetValue(const std::string& text, const std::string& section, const std::string& key,
                        const std::string& value);

// A value read as a whole number the way the settings are read: leading
// blanks, an optional minus sign, then decimal digits, taken modulo 2^32
// (so "4294967295" gives -1). A value without digits gives 0.
int iniParseInt(const std::string& value);

// The integer value of a key in the file, or defaultValue when the file,
// the section or the key is missing.
int iniFileReadInt(const std::string& path, const char* section, const char* key, int defaultValue);

// Writes one key into the file, creating the file and its folder when
// needed. The file is replaced through a temporary file. False with a reason
// in `error` when it could not be written.
bool iniFileWriteString(const std::string& path, const char* section, const char* key, const char* value,
                        std::string& error);

// Keys of one section and their values, in the order they are written.
using IniValues = std::vector<std::pair<std::string, std::string>>;

// The settings file as one copy of the program holds it while other copies
// write it too. The first value read of each key (the default when the key
// is missing) is the one this program started from. A write changes the
// file once, whole, under the file's lock: a key whose value is still the
// one this program started from (or last wrote) keeps what another copy
// wrote there meanwhile; every other key takes this program's value. Alone,
// a program's writes give the file exactly as writing each key in turn does.
class SharedIniFile {
public:
    int readInt(const std::string& path, const char* section, const char* key, int defaultValue);
    bool write(const std::string& path, const char* section, const IniValues& values, std::string& error);

private:
    void usePath(const std::string& path);

    std::string path_;
    std::map<std::string, int> held_;  // by section and key, in small letters
};

// Where korvat.ini lives: $KORVAT_INI when set; else
// $XDG_CONFIG_HOME/korvat/korvat.ini; else ~/.config/korvat/korvat.ini.
std::string korvatIniPath();

}  // namespace korvat
