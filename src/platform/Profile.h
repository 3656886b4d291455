#pragma once
// Profile (INI) files. A profile object is bound to one path and has no other
// state: every call reads or writes the file at the moment it is made.
#include <string>
#include <vector>

#include <cstdint>

// One change of a profile file: a key written, or a section erased.
struct TIniChange {
    bool Erase = false;
    std::string Section, Key, Value;
    static TIniChange Write(std::string section, std::string key, std::string value) {
        return {false, std::move(section), std::move(key), std::move(value)};
    }
    static TIniChange EraseSection(std::string section) { return {true, std::move(section), {}, {}}; }
};

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // Reads never fail: a missing file, section or key gives the default.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& key, int def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    // The section's key names in file order; a missing section gives an empty list.
    void ReadSection(const std::string& section, std::vector<std::string>& keys) const;
    bool SectionExists(const std::string& section) const;

    // Writes raise "Unable to write to <path>" on failure and leave the old file intact.
    // A write replaces the file atomically. A value reads back exactly as written (one
    // with leading or trailing blanks, or enclosed in quotes, is stored in quotes). A
    // section name holding "]", a key holding "=" or beginning with "[" or ";", and any
    // text holding a line break cannot be stored: such a write fails.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    void EraseSection(const std::string& section);
    // Several changes, applied in order as the single calls would apply them, and
    // written as one replacement of the file: all of them or, on failure, none.
    void Update(const std::vector<TIniChange>& changes);

    static constexpr size_t MaxValueLength = 2047;
    static constexpr size_t KeyBufferSize = 16384;

private:
    std::string fileName_;
};

// Forgets every parsed file kept between reads (for tests and benchmarks).
void ClearProfileCache();
// How many times a profile file has been replaced by this process.
uint64_t ProfileReplacements();
