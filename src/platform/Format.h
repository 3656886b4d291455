#pragma once
// printf-like formatting with typed arguments, and date-time formatting.
// Patterns and results are cp1251 bytes.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

// One typed argument of Format.
class FormatArg {
public:
    FormatArg(int v) : value_(static_cast<long long>(v)) {}
    FormatArg(unsigned v) : value_(static_cast<long long>(v)) {}
    FormatArg(long v) : value_(static_cast<long long>(v)) {}
    FormatArg(long long v) : value_(v) {}
    FormatArg(unsigned long v) : value_(static_cast<long long>(v)) {}
    FormatArg(unsigned long long v) : value_(static_cast<long long>(v)) {}
    FormatArg(double v) : value_(v) {}
    FormatArg(const char* v) : value_(std::string(v)) {}
    FormatArg(std::string v) : value_(std::move(v)) {}
    FormatArg(std::string_view v) : value_(std::string(v)) {}

    const std::variant<long long, double, std::string>& Value() const { return value_; }

private:
    std::variant<long long, double, std::string> value_;
};

// Locale data used by the formatters. Filled from the system locale at first use;
// tests may replace it.
struct FormatSettings {
    char DecimalSeparator = '.';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    std::string ShortDateFormat = "dd/mm/yyyy";  // in FormatDateTime notation
    std::string LongTimeFormat = "hh:mm:ss";
};
FormatSettings& GetFormatSettings();
void SetFormatSettings(const FormatSettings& settings);
// The settings of a Russian locale (decimal ",", date ".", time ":").
FormatSettings RussianFormatSettings();

// %d %s %f %g with optional "-", width and precision, and "%%".
// A placeholder of the wrong kind raises "Строка формата '%s' неверна или не
// соответствует аргументу"; a missing argument "Нет аргумента для строки формата '%s'".
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args);
std::string Format(std::string_view pattern, const FormatArg* args, size_t count);

// Rounds half away from zero at `decimals` places after the point, on the shortest
// decimal form of the value.
double RoundHalfAway(double value, int decimals);

// Text-to-integer conversion: optional sign with decimal digits; hexadecimal after
// "$" or after "0x"/"0X" (text longer than two characters). Fails on anything else.
bool TryStrToInt(std::string_view text, int& value);

// Date-times are days since 30 December 1899 with the time of day as a fraction.
using TDateTime = double;
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int msec);
void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute,
                    int& second, int& msec);

// hh h nn n mm m (minutes after an hour, else month) ss s dd d yyyy yy zzz ampm,
// "/" and ":" for the locale's separators, text in quotes kept as it stands.
std::string FormatDateTime(std::string_view pattern, TDateTime value);
