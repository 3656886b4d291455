#pragma once
// Paths, files and facts about the machine. Every path here is cp1251 text, as the
// model keeps it; conversion to the file system's names happens inside.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
inline constexpr char PathDelim = '\\';
#else
inline constexpr char PathDelim = '/';
#endif

// The file system's name of a cp1251 path, and back.
std::string NativePath(std::string_view ansiPath);
std::string FromNativePath(std::string_view nativePath);

// Full path of the running executable (its real path), and a replacement for tests.
std::string ProgramFileName();
void SetProgramFileName(const std::string& path);  // empty: the real one again

// The temporary folder, ending in the delimiter.
std::string TempPath();
// Appends the delimiter unless the path already ends with it; empty stays empty.
std::string AddPathDelimiter(const std::string& path);
// A path made absolute against the current folder.
std::string ExpandFileName(const std::string& path);
std::string ExtractFilePath(const std::string& path);  // folder, delimiter included
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path);   // from the last dot of the name
// The extension (from the last dot of the name) replaced; a name without one gets it appended.
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// The path of an existing file whose name matches the last component of `path`
// without regard to letter case, in the folder `path` names; empty when none.
std::string FindFileNoCase(const std::string& path);
// True when a file of this name exists, its name compared without regard to case.
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
bool DeleteFileAnsi(const std::string& path);
bool SetCurrentDir(const std::string& path);
std::string GetCurrentDir();

// Files of `folder` whose names match `mask` ("*.QST", "?" and "*" wildcards)
// without regard to case; hidden files and folders are skipped; sorted by name.
std::vector<std::string> ScanFolder(const std::string& folder, const std::string& mask);
bool MatchesMask(std::string_view name, std::string_view mask);

// Whole file as bytes; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes);

// The abbreviated language name of the user's locale ("RUS"; "ENU" for US English).
std::string LanguageAbbreviation();
std::string ComputerName();
std::string UserName();

// Milliseconds of a steady clock, wrapping at 2^32.
uint32_t TickCount();

// The language file beside the program: the program's file name with ".lng", then
// with "." and the locale's abbreviated language name, then with the dot and its
// first two letters; the first that exists wins. Empty when none exists.
std::string FindLanguageFileName();
