#pragma once
// Profile (INI) files. A profile object is bound to one path and has no other
// state: every call reads or writes the file at the moment it is made.
#include <cstdint>
#include <string>
#include <vector>

class TIniChanges;

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
    // Several changes in one replacement of the file: all of them are made, or none.
    void Write(const TIniChanges& changes);

    static constexpr size_t MaxValueLength = 2047;
    static constexpr size_t KeyBufferSize = 16384;

private:
    std::string fileName_;
};

// Changes gathered for one write of a profile file, applied in order.
class TIniChanges {
public:
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    void EraseSection(const std::string& section);

private:
    friend class TIniFile;
    struct Change {
        bool erase;
        std::string section, key, value;
    };
    std::vector<Change> changes_;
};

// Forgets every parsed file kept between reads (for tests and benchmarks).
void ClearProfileCache();
// How many times this process has replaced a profile file.
uint64_t ProfileReplacements();
