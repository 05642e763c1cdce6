// A small reader and writer of INI files ("[Section]" lines and "Key=Value"
// lines), as the settings file korvat.ini uses them. Section and key names
// are compared without regard to case; every other line of the file is kept
// as it stands when a value is written.
#pragma once

#include <string>

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

// Where korvat.ini lives: $KORVAT_INI when set; else
// $XDG_CONFIG_HOME/korvat/korvat.ini; else ~/.config/korvat/korvat.ini.
std::string korvatIniPath();

}  // namespace korvat
