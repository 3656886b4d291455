#include "Format.h"

#include "CodePage.h"
#include "Error.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <mutex>
#include <optional>

namespace {

// A finite double as decimal digits: value = 0.digits * 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;  // no leading zeros, empty for zero
    int exponent = 0;
};

Decimal ToDecimal(double v) {
    Decimal d;
    d.negative = std::signbit(v);
    if (v == 0) return d;
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific);
    std::string_view s(buf, size_t(res.ptr - buf));
    size_t e = s.find('e');
    for (char c : s.substr(0, e))
        if (c != '.') d.digits += c;
    int exp10 = 0;
    std::from_chars(s.data() + e + 1 + (s[e + 1] == '+'), s.data() + s.size(), exp10);
    d.exponent = exp10 + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Keeps `keep` significant digits, rounding half away from zero.
void RoundDigits(Decimal& d, int keep) {
    if (d.digits.empty()) return;
    if (keep < 0) {
        d.digits.clear();
        return;
    }
    if (size_t(keep) >= d.digits.size()) return;
    bool up = d.digits[size_t(keep)] >= '5';
    d.digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        for (; i >= 0; --i) {
            if (d.digits[size_t(i)] == '9') {
                d.digits[size_t(i)] = '0';
            } else {
                ++d.digits[size_t(i)];
                break;
            }
        }
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

char DigitAt(const Decimal& d, int pos) {  // pos 0 is the first significant digit
    return pos >= 0 && size_t(pos) < d.digits.size() ? d.digits[size_t(pos)] : '0';
}

std::string Sign(const Decimal& d) { return d.negative && !d.digits.empty() ? "-" : ""; }

std::string FixedText(Decimal d, int decimals, char sep) {
    RoundDigits(d, d.exponent + decimals);
    if (d.digits.empty()) d.exponent = 1;
    std::string r = Sign(d);
    if (d.exponent <= 0) {
        r += '0';
    } else {
        for (int i = 0; i < d.exponent; ++i) r += DigitAt(d, i);
    }
    if (decimals > 0) {
        r += sep;
        for (int i = 0; i < decimals; ++i) r += DigitAt(d, d.exponent + i);
    }
    return r;
}

std::string GeneralText(Decimal d, int precision, char sep) {
    if (precision <= 0) precision = 15;
    RoundDigits(d, precision);
    if (d.digits.empty()) return "0";
    int x = d.exponent - 1;
    std::string r = Sign(d);
    if (x < -4 || x >= precision) {
        r += d.digits[0];
        if (d.digits.size() > 1) {
            r += sep;
            r.append(d.digits, 1);
        }
        r += 'E';
        r += x < 0 ? '-' : '+';
        std::string e = std::to_string(std::abs(x));
        if (e.size() < 2) e.insert(0, 2 - e.size(), '0');
        return r + e;
    }
    if (d.exponent <= 0) {
        r += '0';
        r += sep;
        r.append(size_t(-d.exponent), '0');
        return r + d.digits;
    }
    for (int i = 0; i < d.exponent; ++i) r += DigitAt(d, i);
    if (int(d.digits.size()) > d.exponent) {
        r += sep;
        r.append(d.digits, size_t(d.exponent));
    }
    return r;
}

std::string FloatText(double v, char conv, int precision, char sep) {
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    Decimal d = ToDecimal(v);
    return conv == 'f' ? FixedText(d, precision < 0 ? 2 : precision, sep) : GeneralText(d, precision, sep);
}

[[noreturn]] void RaiseInvalid(std::string_view pattern) {
    throw Error(A("Строка формата '") + std::string(pattern) + A("' неверна или не соответствует аргументу"));
}

[[noreturn]] void RaiseNoArgument(std::string_view pattern) {
    throw Error(A("Нет аргумента для строки формата '") + std::string(pattern) + "'");
}

std::optional<FormatSettings>& SettingsSlot() {
    static std::optional<FormatSettings> slot;
    return slot;
}

// Turns a Qt date or time format into FormatDateTime notation.
std::string FromQtPattern(const QString& qt, char dateSep, char timeSep) {
    std::string r;
    for (qsizetype i = 0; i < qt.size(); ++i) {
        QChar c = qt[i];
        if (c == 'H' || c == 'h') r += 'h';
        else if (c == 'm') r += 'm';
        else if (c == 's') r += 's';
        else if (c == 'M') r += 'm';
        else if (c == 'd') r += 'd';
        else if (c == 'y') r += 'y';
        else if (c == 'z') r += 'z';
        else if (c == 'A' || c == 'a') {
            if (i + 1 < qt.size() && (qt[i + 1] == 'P' || qt[i + 1] == 'p')) ++i;
            r += "ampm";
        } else if (c == 't') {
            // the time zone is not shown
        } else if (c == '\'') {
            qsizetype j = qt.indexOf('\'', i + 1);
            if (j < 0) j = qt.size();
            r += '"' + QStringToAnsi(qt.mid(i + 1, j - i - 1)) + '"';
            i = j;
        } else if (c.toLatin1() == dateSep && c.toLatin1() != 0) r += '/';
        else if (c.toLatin1() == timeSep && c.toLatin1() != 0) r += ':';
        else r += QStringToAnsi(QString(c));
    }
    while (!r.empty() && r.back() == ' ') r.pop_back();
    return r;
}

char FirstSeparator(const QString& fmt, char fallback) {
    for (QChar c : fmt)
        if (!c.isLetter() && c != ' ' && c != '\'') return c.toLatin1() ? c.toLatin1() : fallback;
    return fallback;
}

FormatSettings FromLocale(const QLocale& loc) {
    FormatSettings s;
    std::string dec = QStringToAnsi(loc.decimalPoint());
    s.DecimalSeparator = dec.size() == 1 ? dec[0] : '.';
    QString date = loc.dateFormat(QLocale::ShortFormat);
    QString time = loc.timeFormat(QLocale::LongFormat);
    s.DateSeparator = FirstSeparator(date, '/');
    s.TimeSeparator = FirstSeparator(time, ':');
    s.ShortDateFormat = FromQtPattern(date, s.DateSeparator, s.TimeSeparator);
    s.LongTimeFormat = FromQtPattern(time, s.DateSeparator, s.TimeSeparator);
    return s;
}

}  // namespace

FormatSettings& GetFormatSettings() {
    static std::once_flag once;
    std::call_once(once, [] {
        if (!SettingsSlot()) SettingsSlot() = FromLocale(QLocale::system());
    });
    return *SettingsSlot();
}

void SetFormatSettings(const FormatSettings& settings) {
    GetFormatSettings();
    SettingsSlot() = settings;
}

FormatSettings RussianFormatSettings() { return FromLocale(QLocale(QLocale::Russian, QLocale::Russia)); }

double RoundHalfAway(double value, int decimals) {
    if (!std::isfinite(value)) return value;
    std::string t = FixedText(ToDecimal(value), decimals, '.');
    double r = 0;
    std::from_chars(t.data(), t.data() + t.size(), r);
    return r;
}

std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args) {
    return Format(pattern, args.begin(), args.size());
}

std::string Format(std::string_view pattern, const FormatArg* args, size_t count) {
    const char sep = GetFormatSettings().DecimalSeparator;
    std::string out;
    out.reserve(pattern.size() + 16);
    size_t next = 0;
    size_t i = 0;
    while (i < pattern.size()) {
        char c = pattern[i++];
        if (c != '%') {
            out += c;
            continue;
        }
        if (i < pattern.size() && pattern[i] == '%') {
            out += '%';
            ++i;
            continue;
        }
        bool left = false;
        int width = 0;
        int precision = -1;
        if (i < pattern.size() && pattern[i] == '-') {
            left = true;
            ++i;
        }
        while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') width = std::min(width * 10 + (pattern[i++] - '0'), 100000);
        if (i < pattern.size() && pattern[i] == '.') {
            ++i;
            precision = 0;
            while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9')
                precision = std::min(precision * 10 + (pattern[i++] - '0'), 100000);
        }
        if (i >= pattern.size()) RaiseInvalid(pattern);
        char conv = static_cast<char>(std::tolower(static_cast<unsigned char>(pattern[i++])));
        if (conv != 'd' && conv != 's' && conv != 'f' && conv != 'g') RaiseInvalid(pattern);
        if (next >= count) RaiseNoArgument(pattern);
        const auto& value = args[next++].Value();
        std::string text;
        switch (conv) {
        case 'd': {
            const long long* v = std::get_if<long long>(&value);
            if (!v) RaiseInvalid(pattern);
            unsigned long long mag = *v < 0 ? 0ULL - static_cast<unsigned long long>(*v) : static_cast<unsigned long long>(*v);
            std::string digits = std::to_string(mag);
            if (precision > 0 && digits.size() < size_t(precision)) digits.insert(0, size_t(precision) - digits.size(), '0');
            text = (*v < 0 ? "-" : "") + digits;
            break;
        }
        case 's': {
            const std::string* v = std::get_if<std::string>(&value);
            if (!v) RaiseInvalid(pattern);
            text = precision >= 0 && v->size() > size_t(precision) ? v->substr(0, size_t(precision)) : *v;
            break;
        }
        default: {
            const double* v = std::get_if<double>(&value);
            if (!v) RaiseInvalid(pattern);
            text = FloatText(*v, conv, precision, sep);
            break;
        }
        }
        if (text.size() < size_t(width)) {
            if (left) text.append(size_t(width) - text.size(), ' ');
            else text.insert(0, size_t(width) - text.size(), ' ');
        }
        out += text;
    }
    return out;
}

bool TryStrToInt(std::string_view t, int& value) {
    if (t.empty()) return false;
    bool hex = false;
    size_t i = 0;
    bool negative = false;
    if (t[0] == '$') {
        hex = true;
        i = 1;
    } else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        hex = true;
        i = 2;
    } else if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size()) return false;
    unsigned long long acc = 0;
    for (; i < t.size(); ++i) {
        char c = t[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        acc = acc * (hex ? 16 : 10) + unsigned(digit);
        if (acc > 0xFFFFFFFFULL) return false;
    }
    if (hex) {
        value = static_cast<int>(static_cast<uint32_t>(acc));
        return true;
    }
    if (negative ? acc > 0x80000000ULL : acc > 0x7FFFFFFFULL) return false;
    value = negative ? static_cast<int>(0 - acc) : static_cast<int>(acc);
    return true;
}

// Days from 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
namespace {
constexpr long long kUnixEpochDays = 25569;  // 1899-12-30 .. 1970-01-01

long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(static_cast<long long>(yoe) + era * 400 + (m <= 2));
}
}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
    return double(DaysFromCivil(year, unsigned(month), unsigned(day)) + kUnixEpochDays);
}

TDateTime EncodeTime(int hour, int minute, int second, int msec) {
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / 86400000.0;
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec) {
    long long ms = std::llround(value * 86400000.0);
    long long days = ms / 86400000;
    long long rest = ms % 86400000;
    if (rest < 0) {
        rest += 86400000;
        --days;
    }
    CivilFromDays(days - kUnixEpochDays, year, month, day);
    hour = int(rest / 3600000);
    minute = int(rest / 60000 % 60);
    second = int(rest / 1000 % 60);
    msec = int(rest % 1000);
}

std::string FormatDateTime(std::string_view p, TDateTime value) {
    int year, month, day, hour, minute, second, msec;
    DecodeDateTime(value, year, month, day, hour, minute, second, msec);
    const FormatSettings& fs = GetFormatSettings();
    auto two = [](int v) {
        std::string s = std::to_string(v);
        return s.size() < 2 ? "0" + s : s;
    };
    auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
    // Length of the run of one letter at i; no element is longer than four letters,
    // so the count stops there and a long run costs no more than a short one.
    auto count = [&](size_t i) {
        size_t n = 0;
        while (n < 4 && i + n < p.size() && lower(p[i + n]) == lower(p[i])) ++n;
        return n;
    };
    std::string out;
    bool afterHour = false;
    bool twelve = false;
    for (size_t k = 0; k + 3 < p.size(); ++k)
        if (lower(p[k]) == 'a' && lower(p[k + 1]) == 'm' && lower(p[k + 2]) == 'p' && lower(p[k + 3]) == 'm') twelve = true;
    size_t i = 0;
    while (i < p.size()) {
        char c = lower(p[i]);
        size_t n = count(i);
        if (c == '"' || c == '\'') {
            size_t j = p.find(p[i], i + 1);
            if (j == std::string_view::npos) j = p.size();
            out.append(p.substr(i + 1, j - i - 1));
            i = j + 1;
            continue;
        }
        if (c == 'a' && i + 3 < p.size() && lower(p[i + 1]) == 'm' && lower(p[i + 2]) == 'p' && lower(p[i + 3]) == 'm') {
            out += hour < 12 ? "AM" : "PM";
            i += 4;
            continue;
        }
        switch (c) {
        case 'h': {
            int h = twelve ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
            out += n >= 2 ? two(h) : std::to_string(h);
            afterHour = true;
            i += std::min<size_t>(n, 2);
            continue;
        }
        case 'n':
            out += n >= 2 ? two(minute) : std::to_string(minute);
            afterHour = false;
            i += std::min<size_t>(n, 2);
            continue;
        case 'm': {
            int v = afterHour ? minute : month;
            out += n >= 2 ? two(v) : std::to_string(v);
            afterHour = false;
            i += std::min<size_t>(n, 2);
            continue;
        }
        case 's':
            out += n >= 2 ? two(second) : std::to_string(second);
            i += std::min<size_t>(n, 2);
            continue;
        case 'z': {
            std::string z = std::to_string(msec);
            if (n >= 3) z.insert(0, 3 - z.size(), '0');
            out += z;
            i += n >= 3 ? 3 : 1;
            continue;
        }
        case 'd':
            out += n >= 2 ? two(day) : std::to_string(day);
            i += std::min<size_t>(n, 2);
            continue;
        case 'y':
            if (n >= 3) {
                std::string y = std::to_string(year);
                if (y.size() < 4) y.insert(0, 4 - y.size(), '0');
                out += y;
            } else {
                out += two(year % 100);
            }
            i += n >= 3 ? std::min<size_t>(n, 4) : n;
            continue;
        case '/':
            out += fs.DateSeparator;
            ++i;
            continue;
        case ':':
            out += fs.TimeSeparator;
            ++i;
            continue;
        default:
            out += p[i++];
        }
    }
    return out;
}
