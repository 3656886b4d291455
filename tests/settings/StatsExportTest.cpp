// The statistics file as a workbook, read back from the zip: cells with their
// types and display formats, the filter, the frozen row, the widths, the summary.
#include "../testrun/EngineFixture.h"

#include "CodePage.h"
#include "Error.h"
#include "Messages.h"
#include "StatsExport.h"
#include "WorkbookReader.h"

#include <filesystem>

namespace {

std::string U(const char* utf8) { return utf8; }

struct FieldCase {
    const char* field;  // UTF-8
    TFieldKind kind;
    double value;
    const char* format;
};

TEST(StatsFields, ReadAsTheLocaleWritesThem) {
    const FieldCase russian[] = {
        {"7,50", TFieldKind::Number, 7.5, "0.00"},
        {"10", TFieldKind::Number, 10, "0"},
        {"-3,8", TFieldKind::Number, -3.8, "0.0"},
        {"007", TFieldKind::Number, 7, "0"},
        {"7.50", TFieldKind::Text, 0, ""},  // not the locale's decimal separator
        {"7,", TFieldKind::Text, 0, ""},
        {"123456789012345678", TFieldKind::Text, 0, ""},  // more digits than a cell keeps
        {"09:00:00", TFieldKind::Time, 0.375, "hh:mm:ss"},
        {"9:30", TFieldKind::Time, 9.5 / 24, "h:mm"},
        {"24:00:00", TFieldKind::Text, 0, ""},
        {"09:60:00", TFieldKind::Text, 0, ""},
        {"10.12.2026", TFieldKind::Date, 46366, "dd\\.mm\\.yyyy"},
        {"1.2.26", TFieldKind::Date, 46054, "d\\.m\\.yy"},
        {"29.02.2027", TFieldKind::Text, 0, ""},
        {"10.12", TFieldKind::Text, 0, ""},
        {"4-", TFieldKind::Text, 0, ""},
        {"К!", TFieldKind::Text, 0, ""},
        {"", TFieldKind::Text, 0, ""},
    };
    const FormatSettings ru = RussianFormatSettings();
    for (const FieldCase& c : russian) {
        SCOPED_TRACE(c.field);
        const TFieldCell cell = ClassifyField(A(c.field), ru);
        EXPECT_EQ(cell.Kind, c.kind);
        EXPECT_NEAR(cell.Value, c.value, 1e-9);
        EXPECT_EQ(cell.NumFormat, c.format);
    }
    // A locale with the month first and a decimal point.
    FormatSettings us;
    us.ShortDateFormat = "m/d/yyyy";
    EXPECT_EQ(ClassifyField("12/10/2026", us).Value, 46366);
    EXPECT_EQ(ClassifyField("12/10/2026", us).NumFormat, "mm/dd/yyyy");
    EXPECT_EQ(ClassifyField("13/10/2026", us).Kind, TFieldKind::Text);
    EXPECT_EQ(ClassifyField("7.5", us).Kind, TFieldKind::Number);
    EXPECT_EQ(ClassifyField("7,5", us).Kind, TFieldKind::Text);
}

TEST(StatsFields, LinesSplitAtEveryBarAndTrimmed) {
    std::vector<std::vector<std::string>> lines;
    ForEachStatsLine("a  | b||c\r\nsingle\n\r\n x |\r\n", [&](const std::vector<std::string_view>& f) {
        lines.emplace_back(f.begin(), f.end());
    });
    EXPECT_EQ(lines, (std::vector<std::vector<std::string>>{{"a", "b", "", "c"}, {"single"}, {""}, {"x", ""}}));
}

class StatsWorkbookTest : public EngineTest {
protected:
    // Two runs the engine finished: 7.5 and 8 points of 10.
    void WriteTwoRuns() {
        for (double points : {7.5, 8.0}) {
            TTestRun& r = Make(std::vector<std::string>(10, "RW"));
            r.ControlMode = true;
            r.StudentName = A("Ученик Первый");
            r.Topics = A("Алгебра;Геометрия");
            r.ComputerName = "PC-01";
            r.UserName = "student";
            r.Points = points;
            r.NextIndex = 10;
            clock.Advance(10 * 60 * 1000);
            r.FinishRun(true);
        }
    }
    TReadWorkbook Export(TStatsSummaryTexts texts = Russian()) {
        const std::string book = out.File("book.xlsx");
        WriteStatisticsWorkbook(stats.File("STAT_KV2.TXT"), book, texts);
        TReadWorkbook wb;
        EXPECT_EQ(ReadWorkbook(book, wb), "");
        EXPECT_EQ(wb.Sheets.size(), 2u);
        return wb;
    }
    static TStatsSummaryTexts Russian() {
        return {rsStatsSummary.Text(), rsStatsMarkChart.Text(), rsStatsMark.Text(),
                rsStatsRuns.Text(),    rsStatsTopic.Text(),     rsStatsAverage.Text()};
    }
    void WriteStats(const std::string& utf8) { WriteBytes(stats.File("STAT_KV2.TXT"), A(utf8)); }

    RussianLocale ru;
    TempDir out;
};

TEST_F(StatsWorkbookTest, EngineRecordsBecomeTypedCells) {
    WriteTwoRuns();
    const TReadWorkbook wb = Export();
    const TReadSheet& s = wb.Sheets[0];
    EXPECT_EQ(s.Name, "STAT_KV2");
    EXPECT_EQ(s.At("A1").Value, U("Фамилия и Имя Учащегося"));  // padding trimmed
    EXPECT_EQ(s.At("O1").Value, U("Тема"));
    EXPECT_EQ(s.At("A2").Value, U("Ученик Первый"));
    EXPECT_EQ(s.At("B2").Value, U("К"));
    struct { const char* ref; const char* type; double value; const char* format; } cells[] = {
        {"C2", "n", 7.5, "0.00"},           {"D2", "n", 10, "0"},       {"E2", "n", 0.75, "0.00"},
        {"F2", "n", 3.8, "0.0"},            {"H2", "n", 0.375, "hh:mm:ss"},
        {"I2", "n", 10.0 / 1440, "hh:mm:ss"}, {"L2", "n", 46366, "dd\\.mm\\.yyyy"}, {"C3", "n", 8, "0.00"},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.ref);
        EXPECT_EQ(s.At(c.ref).Type, c.type);
        EXPECT_NEAR(s.At(c.ref).Number(), c.value, 1e-9);
        EXPECT_EQ(s.At(c.ref).Format, c.format);
    }
    EXPECT_NE(s.At("G2").Type, "n");  // "4-" is text
    EXPECT_EQ(s.At("G2").Value, "4-");
    EXPECT_EQ(s.At("G3").Type, "n");  // "4" reads as a number
    EXPECT_EQ(s.At("M2").Value, "PC-01");
    EXPECT_EQ(s.At("O3").Value, U("Алгебра;Геометрия"));
    EXPECT_EQ(s.AutoFilter, "A1:O3");
    EXPECT_EQ(s.FrozenCell, "A2");
    // The longest content of each column, the header's with its filter button, and a margin
    // (the file keeps a width with the font's padding added: the whole characters count).
    auto chars = [&](int col) { return int(s.Widths.at(col)); };
    EXPECT_EQ(chars(1), 23 + FilterButtonWidth + ColumnMargin);  // "Фамилия и Имя Учащегося"
    EXPECT_EQ(chars(3), 6 + FilterButtonWidth + ColumnMargin);   // "Баллов"
    EXPECT_EQ(chars(15), 17 + ColumnMargin);                     // "Алгебра;Геометрия"
    EXPECT_EQ(s.Widths.size(), 15u);
}

// The records' dates are written day first whatever the locale; a locale that
// reads month first must not swap them.
TEST_F(StatsWorkbookTest, DatesReadInTheOrderTheRecordsWereWritten) {
    WriteTwoRuns();
    FormatSettings us = GetFormatSettings();
    us.ShortDateFormat = "m/d/yyyy";
    us.DateSeparator = '.';
    WriteStatisticsWorkbook(stats.File("STAT_KV2.TXT"), out.File("us.xlsx"), TStatsSummaryTexts{}, us);
    TReadWorkbook wb;
    ASSERT_EQ(ReadWorkbook(out.File("us.xlsx"), wb), "");
    EXPECT_NEAR(wb.Sheets[0].At("L2").Number(), 46366, 1e-9);  // 10 December 2026
    EXPECT_EQ(wb.Sheets[0].At("L2").Format, "dd\\.mm\\.yyyy");
}

TEST_F(StatsWorkbookTest, SummarySheetCountsMarksAndTopics) {
    WriteTwoRuns();
    const std::string rec = "|К    |  %s| 10| 0,50|   %s|%s|09:00:00    |00:10:00    |00:01:00    |09:10:00       |"
                            "10.12.2026    |PC|user|%s\r\n";
    std::string more = ReadBytes(stats.File("STAT_KV2.TXT"));
    for (auto [mark, school, topic] : {std::tuple{"2,5", "3-", "Физика"}, std::tuple{"0,0", "0", "Физика"}})
        more += A("Ann") + Format(A(rec), {"5,00", mark, school, A(topic)});
    more += A("Broken|line|") + "\r\n";  // too short to read: only the first sheet shows it
    WriteBytes(stats.File("STAT_KV2.TXT"), more);

    const TReadWorkbook wb = Export();
    const TReadSheet& s = wb.Sheets[1];
    EXPECT_EQ(s.Name, U("Итоги"));
    EXPECT_EQ(s.At("A1").Value, U("Оценка"));
    EXPECT_EQ(s.At("B1").Value, U("Работ"));
    const int runs[6] = {1, 0, 0, 1, 2, 0};  // 0; 3-; 4- and 4
    for (int mark = 0; mark <= 5; ++mark) {
        SCOPED_TRACE(mark);
        EXPECT_EQ(s.At("A" + std::to_string(mark + 2)).Number(), mark);
        EXPECT_EQ(s.At("B" + std::to_string(mark + 2)).Number(), runs[mark]);
    }
    EXPECT_EQ(s.At("A25").Value, U("Тема"));
    EXPECT_EQ(s.At("C25").Value, U("Средняя оценка"));
    EXPECT_EQ(s.At("A26").Value, U("Алгебра;Геометрия"));
    EXPECT_EQ(s.At("B26").Number(), 2);
    EXPECT_NEAR(s.At("C26").Number(), (3.8 + 4.0) / 2, 1e-9);
    EXPECT_EQ(s.At("C26").Format, "0.00");
    EXPECT_EQ(s.At("A27").Value, U("Физика"));
    EXPECT_EQ(s.At("B27").Number(), 2);
    EXPECT_NEAR(s.At("C27").Number(), 1.25, 1e-9);
    EXPECT_FALSE(s.Has("A28"));

    ASSERT_EQ(s.Drawings.size(), 1u);
    const std::string& chart = s.Drawings[0];
    EXPECT_NE(chart.find("<c:barDir val=\"col\"/>"), std::string::npos);
    EXPECT_NE(chart.find(U("<c:f>'Итоги'!$A$2:$A$7</c:f>")), std::string::npos);
    EXPECT_NE(chart.find(U("<c:f>'Итоги'!$B$2:$B$7</c:f>")), std::string::npos);
    EXPECT_NE(chart.find(U("Число работ по школьным оценкам")), std::string::npos);
}

TEST_F(StatsWorkbookTest, DamagedFilesOpenFieldByField) {
    struct Case {
        const char* name;
        const char* file;  // UTF-8
        std::vector<std::pair<const char*, const char*>> cells;  // reference, text or number as written
        const char* filter;
    };
    const Case cases[] = {
        {"empty file", "", {}, ""},
        {"header only, no line break", "A |B", {{"A1", "A"}, {"B1", "B"}}, "A1:B1"},
        {"a name with a bar shifts its line",
         "Name|Mark\r\nIvan|ov|4,5\r\n",
         {{"A2", "Ivan"}, {"B2", "ov"}, {"C2", "4.5"}},
         "A1:C2"},
        {"lines of other widths, LF only", "H1|H2|H3\nshort\n\n|x\n",
         {{"A2", "short"}, {"B4", "x"}},
         "A1:C4"},
        {"translated header", "Surname and first name |Mode |Points\r\nAnn|T|1,00\r\n",
         {{"A1", "Surname and first name"}, {"C1", "Points"}, {"C2", "1"}},
         "A1:C2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteStats(c.file);
        const TReadWorkbook wb = Export();
        const TReadSheet& s = wb.Sheets[0];
        EXPECT_EQ(s.AutoFilter, c.filter);
        EXPECT_EQ(s.FrozenCell, "A2");
        for (const auto& [ref, value] : c.cells) {
            SCOPED_TRACE(ref);
            if (!s.Has(ref)) {
                ADD_FAILURE() << "missing";
                continue;
            }
            EXPECT_EQ(s.At(ref).Value, value);
        }
        if (c.cells.empty()) {
            EXPECT_TRUE(s.Cells.empty());
        }
        EXPECT_EQ(wb.Sheets[1].At("B2").Number(), 0);  // nothing readable as a run
    }
}

TEST_F(StatsWorkbookTest, FailuresRaiseAndANumberedNameIsTried) {
    EXPECT_THROW(WriteStatisticsWorkbook(stats.File("STAT_KV2.TXT"), out.File("x.xlsx"), Russian()), Error);
    WriteTwoRuns();
    EXPECT_THROW(WriteStatisticsWorkbook(stats.File("STAT_KV2.TXT"), out.File("no/such/x.xlsx"), Russian()), Error);
    // The file's name in another letter case is the same file.
    std::filesystem::rename(stats.File("STAT_KV2.TXT"), stats.File("stat_kv2.txt"));
    // A name that cannot be written (here a folder) gives way to a numbered one.
    std::filesystem::create_directory(out.File("STAT_KV2.xlsx"));
    EXPECT_EQ(ExportStatistics(stats.File("STAT_KV2.TXT"), out.Path(), Russian()), out.File("STAT_KV2-2.xlsx"));
    TReadWorkbook wb;
    EXPECT_EQ(ReadWorkbook(out.File("STAT_KV2-2.xlsx"), wb), "");
    EXPECT_EQ(wb.Sheets.at(0).At("A2").Value, U("Ученик Первый"));
}

}  // namespace
