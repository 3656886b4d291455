#pragma once
// Code pages. The model keeps cp1251 bytes; these are the only conversions.
#include <QString>
#include <string>
#include <string_view>

QString AnsiToQString(std::string_view ansi);
std::string QStringToAnsi(const QString& text);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view utf8);
// ANSI (cp1251) to OEM (cp866), for the compile log.
std::string AnsiToOem(std::string_view ansi);

// Upper case of one cp1251 character (Latin and Cyrillic letters).
char AnsiUpperChar(char c);
std::string AnsiUpperCase(std::string_view s);
// Equal without regard to letter case (Latin and Cyrillic).
bool SameTextAnsi(std::string_view a, std::string_view b);

// Leading and trailing spaces and control characters removed.
std::string_view TrimBlanks(std::string_view s);

// Short form for built-in texts written in UTF-8 in the source.
inline std::string A(std::string_view utf8) { return Utf8ToAnsi(utf8); }
