#include "Error.h"
#include "Format.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct FormatCase {
    const char* pattern;
    std::vector<FormatArg> args;
    const char* expected;
};

TEST(Format, RussianLocaleTable) {
    RussianLocale ru;
    const FormatCase cases[] = {
        {"%5.2g", {7.0}, "    7"},
        {"%5.2g", {7.5}, "  7,5"},
        {"%5.2g", {10.5}, "   11"},
        {"%5.2g", {0.25}, " 0,25"},
        {"%5.2g", {0.0}, "    0"},
        {"%6.2f|%5.2f|%6.1f", {7.5, 0.75, 3.75}, "  7,50| 0,75|   3,8"},
        {"%4.1f", {3.25}, " 3,3"},
        {"%4.1f", {-3.25}, "-3,3"},
        {"%.2f", {2.675}, "2,68"},  // decimal, not binary, rounding
        {"%.2f", {0.005}, "0,01"},
        {"%.0f", {2.5}, "3"},
        {"%f", {1.0}, "1,00"},
        {"%.3f", {-0.0001}, "0,000"},
        {"%g", {1.0 / 3.0}, "0,333333333333333"},
        {"%.2g", {123.0}, "1,2E+02"},
        {"%g", {0.00001}, "1E-05"},
        {"%d|%5d|%-5d|%.3d", {42, 42, 42, 7}, "42|   42|42   |007"},
        {"%d", {-2147483648LL}, "-2147483648"},
        {"%s|%5s|%-5s|%.2s|%-4.2s", {"ab", "ab", "ab", "abcdef", "abcdef"}, "ab|   ab|ab   |ab|ab  "},
        {"100%% %s", {"done"}, "100% done"},
        {"%d of %d", {1, 2, 3}, "1 of 2"},  // surplus arguments are not shown
        {"no placeholders", {}, "no placeholders"},
        {"%D %S %F", {1, "x", 1.5}, "1 x 1,50"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Format(c.pattern, c.args.data(), c.args.size()), c.expected) << c.pattern;
}

TEST(Format, CatalogueFormatsUnderRussianLocale) {
    RussianLocale ru;
    EXPECT_EQ(Format(A("Набрано баллов: %5.2g из %d\r\nВаша оценка: %4.1f"), {7.5, 10, 3.75}),
              A("Набрано баллов:   7,5 из 10\r\nВаша оценка:  3,8"));
    EXPECT_EQ(Format(A("№%d из %d"), {3, 10}), A("№3 из 10"));
}

TEST(Format, ErrorsNameThePattern) {
    struct ErrorCase {
        const char* pattern;
        std::vector<FormatArg> args;
        std::string expected;
    };
    const ErrorCase cases[] = {
        {"%s of %d", {3, 10}, A("Строка формата '%s of %d' неверна или не соответствует аргументу")},
        {"%d", {"x"}, A("Строка формата '%d' неверна или не соответствует аргументу")},
        {"%d", {1.5}, A("Строка формата '%d' неверна или не соответствует аргументу")},
        {"%f", {1}, A("Строка формата '%f' неверна или не соответствует аргументу")},
        {"%5.2q", {1.0}, A("Строка формата '%5.2q' неверна или не соответствует аргументу")},
        {"trailing %", {1}, A("Строка формата 'trailing %' неверна или не соответствует аргументу")},
        {"%d %d", {1}, A("Нет аргумента для строки формата '%d %d'")},
        {"%s", {}, A("Нет аргумента для строки формата '%s'")},
    };
    for (const auto& c : cases) {
        try {
            Format(c.pattern, c.args.data(), c.args.size());
            ADD_FAILURE() << "no error for " << c.pattern;
        } catch (const Error& e) {
            EXPECT_EQ(e.Text(), c.expected) << c.pattern;
        }
    }
}

TEST(Format, PeriodDecimalSeparator) {
    FormatSettings saved = GetFormatSettings();
    FormatSettings s;
    s.DecimalSeparator = '.';
    SetFormatSettings(s);
    EXPECT_EQ(Format("%6.2f|%5.2g", {7.5, 7.5}), "  7.50|  7.5");
    SetFormatSettings(saved);
}

TEST(Format, TextToInteger) {
    struct {
        const char* text;
        bool ok;
        int value;
    } cases[] = {{"12", true, 12},       {"-12", true, -12},         {"+3", true, 3},   {"$1F", true, 31},
                 {"0x1f", true, 31},     {"0X10", true, 16},         {"0x", false, 0},  {"$", false, 0},
                 {"", false, 0},         {"1 2", false, 0},          {"abc", false, 0}, {"-", false, 0},
                 {"2147483647", true, 2147483647}, {"2147483648", false, 0}, {"-2147483648", true, -2147483647 - 1},
                 {"$FFFFFFFF", true, -1}, {"12abc", false, 0}};
    for (const auto& c : cases) {
        int v = 0;
        EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
        if (c.ok) EXPECT_EQ(v, c.value) << c.text;
    }
}

TEST(FormatDateTime, PatternsUnderRussianLocale) {
    RussianLocale ru;
    const TDateTime date = EncodeDate(2026, 12, 10);
    struct {
        const char* pattern;
        TDateTime value;
        const char* expected;
    } cases[] = {
        {"hh:mm:ss", 59.6 / 86400.0, "00:00:59"},
        {"hh:mm:ss", EncodeTime(13, 5, 9, 999), "13:05:09"},
        {"hh:mm:ss", 1.0 + EncodeTime(1, 2, 3, 0), "01:02:03"},  // a duration shown modulo 24 hours
        {"dd/mm/yyyy", date, "10.12.2026"},
        {"dd/mm/yyyy", EncodeDate(2027, 1, 2) + 0.75, "02.01.2027"},
        {"d/m/yy h:n", EncodeDate(2026, 3, 4) + EncodeTime(5, 6, 0, 0), "4.3.26 5:6"},
        {"hh:nn 'h' \"m\" mm", date + EncodeTime(9, 30, 0, 0), "09:30 h m 12"},
        {"yyyy-mm-dd", EncodeDate(1899, 12, 30), "1899-12-30"},
        {"hh:mm:ss", 0.9999999999, "00:00:00"},  // 86399.999 s rounds to the next day at the millisecond
    };
    for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.pattern, c.value), c.expected) << c.pattern;
    EXPECT_EQ(FormatDateTime(GetFormatSettings().ShortDateFormat, date), "10.12.2026");
    EXPECT_EQ(FormatDateTime(GetFormatSettings().LongTimeFormat, EncodeTime(7, 8, 9, 0)), "07:08:09");
}

TEST(FormatDateTime, EncodeAndDecodeAgree) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1970, 1, 1), 25569.0);
    EXPECT_EQ(EncodeDate(2000, 3, 1) - EncodeDate(2000, 2, 28), 2.0);  // a leap year
    int y, m, d, h, n, s, ms;
    DecodeDateTime(EncodeDate(2026, 12, 10) + EncodeTime(23, 59, 58, 250), y, m, d, h, n, s, ms);
    EXPECT_EQ(std::vector<int>({y, m, d, h, n, s, ms}), std::vector<int>({2026, 12, 10, 23, 59, 58, 250}));
}

TEST(ErrorDisplay, FullStopRule) {
    EXPECT_EQ(ErrorDisplayText(A("Ошибка")), A("Ошибка."));
    EXPECT_EQ(ErrorDisplayText("Why?"), "Why?.");
    EXPECT_EQ(ErrorDisplayText("Done."), "Done.");
    EXPECT_EQ(ErrorDisplayText("Stop!"), "Stop!");
    EXPECT_EQ(ErrorDisplayText("a -"), "a -");
    EXPECT_EQ(ErrorDisplayText(""), "");
}

}  // namespace
