#include "Startup.h"

#include "Files.h"

std::string SettingsFileName;
std::unique_ptr<TIniFile> SettingsIni;
std::unique_ptr<TIniFile> WhoIsWhoIni;
std::string ProgramPath;
std::string StatsPath;
bool QuickStart = false;

namespace {
// The temporary folder as the start-up found it: the default of UsePath.
std::string& TempFolder() {
    static std::string folder;
    return folder;
}
}  // namespace

void LauncherStartup(int argc, char** argv) {
    const std::string exe = ProgramFileName();
    QuickStart = argc > 1 && argv[1] != nullptr;
    if (QuickStart) SettingsFileName = ExpandFileName(FromNativePath(argv[1]));
    else SettingsFileName = ChangeFileExt(exe, ".ini");
    SettingsIni = std::make_unique<TIniFile>(SettingsFileName);
    std::string temp = TempPath();
    if (temp.size() > 255) temp.resize(255);
    TempFolder() = temp;
    StatsPath = Options::UsePath();
    ProgramPath = ExtractFilePath(ExpandFileName(exe));
    WhoIsWhoIni = std::make_unique<TIniFile>(ProgramPath + "WHOISWHO.INI");
}

void LauncherShutdown() {
    SettingsIni.reset();
    WhoIsWhoIni.reset();
    ProgramPath.clear();
    StatsPath.clear();
    QuickStart = false;
}

namespace Options {
namespace {
// The one table of keys and defaults.
struct BoolKey { const char* key; bool def; };
struct IntKey { const char* key; int def; };
constexpr BoolKey kMode{"Mode", false};
constexpr BoolKey kMixQst{"MixQst", true};
constexpr BoolKey kMixAns{"MixAns", true};
constexpr BoolKey kShowRightAnswers{"ShowRightAnswers", true};
constexpr IntKey kTimeLimit{"TimeLimit", 0};
constexpr IntKey kGlobalTimeLimit{"GlobalTimeLimit", 0};
constexpr IntKey kQstLimit{"QstLimit", 5};
constexpr const char* kUsePath = "UsePath";
constexpr const char* kFiles = "Files";

bool Read(const TIniFile& ini, const BoolKey& k) { return ini.ReadBool(Section, k.key, k.def); }
int Read(const TIniFile& ini, const IntKey& k) { return ini.ReadInteger(Section, k.key, k.def); }
}  // namespace

bool Mode(const TIniFile& ini) { return Read(ini, kMode); }
bool MixQst(const TIniFile& ini) { return Read(ini, kMixQst); }
bool MixAns(const TIniFile& ini) { return Read(ini, kMixAns); }
bool ShowRightAnswers(const TIniFile& ini) { return Read(ini, kShowRightAnswers); }
int TimeLimit(const TIniFile& ini) { return Read(ini, kTimeLimit); }
int GlobalTimeLimit(const TIniFile& ini) { return Read(ini, kGlobalTimeLimit); }
int QstLimit(const TIniFile& ini) { return Read(ini, kQstLimit); }
std::string UsePath(const TIniFile& ini) { return ini.ReadString(Section, kUsePath, TempFolder()); }
std::string Files(const TIniFile& ini) { return ini.ReadString(Section, kFiles, ""); }

void SetMode(TIniFile& ini, bool v) { ini.WriteBool(Section, kMode.key, v); }
void SetMixQst(TIniFile& ini, bool v) { ini.WriteBool(Section, kMixQst.key, v); }
void SetMixAns(TIniFile& ini, bool v) { ini.WriteBool(Section, kMixAns.key, v); }
void SetShowRightAnswers(TIniFile& ini, bool v) { ini.WriteBool(Section, kShowRightAnswers.key, v); }
void SetTimeLimit(TIniFile& ini, int v) { ini.WriteInteger(Section, kTimeLimit.key, v); }
void SetGlobalTimeLimit(TIniFile& ini, int v) { ini.WriteInteger(Section, kGlobalTimeLimit.key, v); }
void SetQstLimit(TIniFile& ini, int v) { ini.WriteInteger(Section, kQstLimit.key, v); }
void SetUsePath(TIniFile& ini, const std::string& v) { ini.WriteString(Section, kUsePath, v); }
void SetFiles(TIniFile& ini, const std::string& v) { ini.WriteString(Section, kFiles, v); }
}  // namespace Options

namespace Families {
int Count(const TIniFile& ini) { return ini.ReadInteger(Section, "Count", 0); }

std::vector<std::string> Names(const TIniFile& ini) {
    std::vector<std::string> names;
    int n = Count(ini);
    for (int i = 1; i <= n; ++i) names.push_back(ini.ReadString(Section, std::to_string(i), ""));
    return names;
}

void Rewrite(TIniFile& ini, const std::vector<std::string>& names) {
    // One replacement of the file: the list is never left half written.
    std::vector<TIniChange> changes;
    changes.reserve(names.size() + 2);
    changes.push_back(TIniChange::EraseSection(Section));
    changes.push_back(TIniChange::Write(Section, "Count", std::to_string(names.size())));
    for (size_t i = 0; i < names.size(); ++i) changes.push_back(TIniChange::Write(Section, std::to_string(i + 1), names[i]));
    ini.Update(changes);
}
}  // namespace Families

std::string CommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        const std::string& s = items[i];
        bool quote = false;
        for (char c : s)
            if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',') quote = true;
        if (!quote) {
            out += s;
            continue;
        }
        out += '"';
        for (char c : s) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

std::string TopicTitle(const std::string& fileName) {
    std::string name = ExtractFileName(fileName);
    std::string bare = ChangeFileExt(name, "");
    if (!WhoIsWhoIni) return bare;
    return WhoIsWhoIni->ReadString("Files", name, bare);
}
