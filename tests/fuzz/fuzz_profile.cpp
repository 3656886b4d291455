// The profile facility: arbitrary bytes as a profile file, then a script of reads
// and writes taken from the rest of the input. Reads never fail; every section's
// keys read back their values; a write is either refused with an error that leaves
// the file as it was, or read back exactly as written without disturbing any other
// key; what is kept between reads always agrees with a fresh reading of the file.
#include "CodePage.h"
#include "Error.h"
#include "FuzzSupport.h"
#include "Profile.h"

#include <vector>

namespace {
const char* const kNames[] = {"Options", "Families", "Mode", "Count", "1", "s", " S ", "", "-Messages-", "k"};

std::string Name(FuzzInput& in) {
    uint8_t b = in.Byte();
    if (b < 160) return kNames[b % (sizeof kNames / sizeof kNames[0])];
    return in.Short();
}

// A default that no stored value can equal: values never hold a line break.
const std::string kNone = "\r\nnone\r\n";

bool HasLineBreak(const std::string& s) { return s.find_first_of("\r\n") != std::string::npos; }

// Whether a write of this section and key can be stored at all (see Profile.h).
bool Storable(const std::string& section, const std::string& key, const std::string& value) {
    std::string_view k = TrimBlanks(key);
    if (HasLineBreak(section) || section.find(']') != std::string::npos) return false;
    if (HasLineBreak(key) || k.find('=') != std::string_view::npos) return false;
    if (!k.empty() && (k[0] == '[' || k[0] == ';')) return false;
    return !HasLineBreak(value);
}

struct Snapshot {
    std::vector<std::pair<std::string, std::string>> values;
};

Snapshot Take(const TIniFile& ini, const std::string& section) {
    Snapshot s;
    std::vector<std::string> keys;
    ini.ReadSection(section, keys);
    for (const std::string& k : keys) {
        std::string v = ini.ReadString(section, k, kNone);
        FUZZ_CHECK(v != kNone, "a listed key reads its value: " + k);
        FUZZ_CHECK(v.size() <= TIniFile::MaxValueLength, k);
        s.values.emplace_back(k, v);
    }
    return s;
}

void Unchanged(const TIniFile& ini, const std::string& section, const Snapshot& before, const std::string& written) {
    for (const auto& [k, v] : before.values) {
        if (SameTextAnsi(TrimBlanks(k), TrimBlanks(written))) continue;
        FUZZ_CHECK(ini.ReadString(section, k, kNone) == v, "a write leaves other keys alone: " + k);
    }
}

// What is kept between reads agrees with a fresh reading of the file.
void SameAfterFreshRead(const TIniFile& ini, const std::vector<std::string>& sections) {
    std::vector<Snapshot> kept;
    for (const std::string& s : sections) kept.push_back(Take(ini, s));
    ClearProfileCache();
    for (size_t i = 0; i < sections.size(); ++i) {
        Snapshot fresh = Take(ini, sections[i]);
        FUZZ_CHECK(fresh.values == kept[i].values, "kept and fresh readings agree in " + sections[i]);
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const std::string path = FuzzFolder() + "p.ini";
    WriteFuzzFile(path, in.Long());
    ClearProfileCache();
    TIniFile ini(path);
    std::vector<std::string> touched{"Options", "Families"};
    try {
        for (int step = 0; step < 16 && !in.Empty(); ++step) {
            const int op = in.Byte() % 6;
            const std::string section = Name(in);
            touched.push_back(section);
            if (op == 0) {  // every read
                Take(ini, section);
                const std::string key = Name(in);
                int i = ini.ReadInteger(section, key, 12345);
                bool b = ini.ReadBool(section, key, true);
                (void)i, (void)b;
                ini.SectionExists(section);
                continue;
            }
            if (op == 4) {
                ini.EraseSection(section);
                FUZZ_CHECK(!ini.SectionExists(section), section);
                std::vector<std::string> keys{"x"};
                ini.ReadSection(section, keys);
                FUZZ_CHECK(keys.empty(), section);
                continue;
            }
            if (op == 5) {
                SameAfterFreshRead(ini, touched);
                continue;
            }
            const std::string key = Name(in);
            std::string value = op == 1 ? in.Long() : "";
            const int number = in.Raw<int32_t>();
            if (op == 2) value = std::to_string(number);
            if (op == 3) value = number & 1 ? "1" : "0";
            const Snapshot before = Take(ini, section);
            const Snapshot other = Take(ini, "Other");
            const std::string bytesBefore = ReadFuzzFile(path);
            bool refused = false;
            try {
                if (op == 1) ini.WriteString(section, key, value);
                if (op == 2) ini.WriteInteger(section, key, number);
                if (op == 3) ini.WriteBool(section, key, number & 1);
            } catch (const Error& e) {
                refused = true;
                FUZZ_CHECK(e.Text() == "Unable to write to " + path, e.Text());
            }
            FUZZ_CHECK(refused != Storable(section, key, value), "refused exactly what cannot be stored: [" +
                                                                     section + "] " + key + "=" + value);
            if (refused) {
                FUZZ_CHECK(ReadFuzzFile(path) == bytesBefore, "a refused write leaves the file as it was");
                continue;
            }
            FUZZ_CHECK(ini.ReadString(section, key, kNone) == value.substr(0, TIniFile::MaxValueLength),
                       "a write reads back: [" + section + "] " + key + "=" + value + " gives " +
                           ini.ReadString(section, key, kNone));
            if (op == 2) FUZZ_CHECK(ini.ReadInteger(section, key, ~number) == number, value);
            if (op == 3) FUZZ_CHECK(ini.ReadBool(section, key, !(number & 1)) == bool(number & 1), value);
            Unchanged(ini, section, before, key);
            if (!SameTextAnsi(TrimBlanks(section), "Other")) Unchanged(ini, "Other", other, "");
        }
        SameAfterFreshRead(ini, touched);
    } catch (const Error& e) {
        FuzzFail("reads and storable writes do not fail", e.Text());
    }
    return 0;
}
