#pragma once
// The launcher's process-wide paths and profile objects, and every key of the
// settings file with its type and default, defined once here.
#include "Profile.h"

#include <memory>
#include <string>
#include <vector>

extern std::string SettingsFileName;         // full path of the settings file
extern std::unique_ptr<TIniFile> SettingsIni;  // bound to SettingsFileName
extern std::unique_ptr<TIniFile> WhoIsWhoIni;  // ProgramPath + "WHOISWHO.INI", only read
extern std::string ProgramPath;              // folder of the executable, with its delimiter
extern std::string StatsPath;                // statistics folder, used as stored
extern bool QuickStart;                      // started with a settings file argument

// The start-up that runs before any window: settings file from the first argument
// (expanded against the current folder) or from the program's own name with ".ini".
// Arguments after the first are ignored.
void LauncherStartup(int argc, char** argv);
// Releases the profile objects and clears the paths.
void LauncherShutdown();

// Section "Options". Each reader reads the file at the moment of the call.
namespace Options {
inline constexpr const char* Section = "Options";

bool Mode(const TIniFile& ini = *SettingsIni);  // true: knowledge check, false: trainer
bool MixQst(const TIniFile& ini = *SettingsIni);
bool MixAns(const TIniFile& ini = *SettingsIni);
bool ShowRightAnswers(const TIniFile& ini = *SettingsIni);
int TimeLimit(const TIniFile& ini = *SettingsIni);        // seconds per question, 0: none
int GlobalTimeLimit(const TIniFile& ini = *SettingsIni);  // minutes per run, 0: none
int QstLimit(const TIniFile& ini = *SettingsIni);
std::string UsePath(const TIniFile& ini = *SettingsIni);  // default: the temporary folder
std::string Files(const TIniFile& ini = *SettingsIni);

void SetMode(TIniFile& ini, bool value);
void SetMixQst(TIniFile& ini, bool value);
void SetMixAns(TIniFile& ini, bool value);
void SetShowRightAnswers(TIniFile& ini, bool value);
void SetTimeLimit(TIniFile& ini, int value);
void SetGlobalTimeLimit(TIniFile& ini, int value);
void SetQstLimit(TIniFile& ini, int value);
void SetUsePath(TIniFile& ini, const std::string& value);
void SetFiles(TIniFile& ini, const std::string& value);

// The run time limit handed to the test window, in seconds.
inline int RunTimeLimitSeconds(const TIniFile& ini = *SettingsIni) { return GlobalTimeLimit(ini) * 60; }
}  // namespace Options

// Section "Families": the stored student names.
namespace Families {
inline constexpr const char* Section = "Families";
int Count(const TIniFile& ini = *SettingsIni);
// Names "1" to Count, in order.
std::vector<std::string> Names(const TIniFile& ini = *SettingsIni);
// Erases the section and writes the names anew, as one replacement of the file.
void Rewrite(TIniFile& ini, const std::vector<std::string>& names);
}  // namespace Families

// Comma-text of a list: items with a character at or below the space, a quote or a
// comma are quoted, inner quotes doubled; one empty item is written as "".
std::string CommaText(const std::vector<std::string>& items);

// Title of a topic file from "WHOISWHO.INI", section "Files"; the name without its
// extension when the file, section or key is missing.
std::string TopicTitle(const std::string& fileName);
