#include "StatsExport.h"

#include "CodePage.h"
#include "Error.h"
#include "Files.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

namespace {

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int ToInt(std::string_view digits) {
    int value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

// A separator as a literal of a display format.
std::string Literal(char sep) {
    if (sep == ':' || sep == '/' || sep == '-' || sep == ' ') return std::string(1, sep);
    return std::string("\\") + sep;
}

// Up to 15 significant digits are kept exactly by a spreadsheet; longer digit
// strings (an identifier, say) stay text so that nothing of them is lost.
constexpr size_t MaxDigits = 15;

bool ReadNumber(std::string_view s, char decimal, TFieldCell& cell) {
    std::string_view body = s;
    bool negative = false;
    if (!body.empty() && (body[0] == '-' || body[0] == '+')) {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    const size_t sep = body.find(decimal);
    std::string_view whole = body.substr(0, sep);
    std::string_view fraction = sep == std::string_view::npos ? std::string_view() : body.substr(sep + 1);
    if (!AllDigits(whole) || (sep != std::string_view::npos && !AllDigits(fraction))) return false;
    const size_t lead = std::min(whole.find_first_not_of('0'), whole.size());
    if (whole.size() - lead + fraction.size() > MaxDigits) return false;
    std::string plain(whole);
    if (!fraction.empty()) plain += "." + std::string(fraction);
    double value = 0;
    if (std::from_chars(plain.data(), plain.data() + plain.size(), value).ec != std::errc()) return false;
    cell.Kind = TFieldKind::Number;
    cell.Value = negative ? -value : value;
    cell.NumFormat = fraction.empty() ? "0" : "0." + std::string(fraction.size(), '0');
    return true;
}

std::vector<std::string_view> SplitAt(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t at = s.find(sep, start);
        parts.push_back(s.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

bool ReadTime(std::string_view s, char sep, TFieldCell& cell) {
    const std::vector<std::string_view> parts = SplitAt(s, sep);
    if (parts.size() < 2 || parts.size() > 3) return false;
    if (!AllDigits(parts[0]) || parts[0].size() > 2) return false;
    for (size_t i = 1; i < parts.size(); ++i)
        if (!AllDigits(parts[i]) || parts[i].size() != 2) return false;
    const int h = ToInt(parts[0]), m = ToInt(parts[1]), sec = parts.size() == 3 ? ToInt(parts[2]) : 0;
    if (h > 23 || m > 59 || sec > 59) return false;
    cell.Kind = TFieldKind::Time;
    cell.Value = EncodeTime(h, m, sec, 0);
    const std::string lit = Literal(sep);
    cell.NumFormat = (parts[0].size() == 2 ? "hh" : "h") + lit + "mm" + (parts.size() == 3 ? lit + "ss" : "");
    return true;
}

// The order of day, month and year in a short date format ("dd/mm/yyyy": d, m, y).
std::string DateOrder(const std::string& shortDateFormat) {
    std::string order;
    for (char c : shortDateFormat) {
        const char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((l == 'd' || l == 'm' || l == 'y') && order.find(l) == std::string::npos) order += l;
    }
    return order.size() == 3 ? order : "dmy";
}

bool ReadDate(std::string_view s, const FormatSettings& fs, TFieldCell& cell) {
    const std::vector<std::string_view> parts = SplitAt(s, fs.DateSeparator);
    if (parts.size() != 3) return false;
    const std::string order = DateOrder(fs.ShortDateFormat);
    int day = 0, month = 0, year = 0;
    std::string format;
    for (size_t i = 0; i < 3; ++i) {
        const std::string_view p = parts[i];
        if (!AllDigits(p)) return false;
        const char what = order[i];
        if (what == 'y') {
            if (p.size() != 2 && p.size() != 4) return false;
            year = ToInt(p);
            // Two digits: 00 to 29 are this century, 30 to 99 the last, as spreadsheets read them.
            if (p.size() == 2) year += year < 30 ? 2000 : 1900;
            format += p.size() == 2 ? "yy" : "yyyy";
        } else {
            if (p.size() > 2) return false;
            (what == 'd' ? day : month) = ToInt(p);
            format += std::string(p.size(), what);
        }
        if (i < 2) format += Literal(fs.DateSeparator);
    }
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    const TDateTime value = EncodeDate(year, month, day);
    int y, m, d, hh, mm, ss, ms;
    DecodeDateTime(value, y, m, d, hh, mm, ss, ms);
    // 1 March 1900 is the first day that every spreadsheet counts alike.
    if (y != year || m != month || d != day || value < 61) return false;
    cell.Kind = TFieldKind::Date;
    cell.Value = value;
    cell.NumFormat = format;
    return true;
}

bool IsSchoolMark(std::string_view s, int& mark) {
    if (s.size() == 2 && s[1] == '-') s.remove_suffix(1);
    if (s.size() != 1 || s[0] < '0' || s[0] > '9') return false;
    mark = s[0] - '0';
    return true;
}

// Where the summary's chart and its topic table stand (rows counted from 0).
constexpr lxw_row_t ChartRow = 8, TopicsRow = 24;

// Fields of the statistics record, counted from 0.
constexpr size_t RecordFields = 15;
constexpr size_t MarkField = 5, SchoolMarkField = 6, TopicsField = 14;

// Sheet names may not hold []:*?/\ nor be longer than 31 characters.
std::string SheetNameUtf8(const std::string& ansi, const std::string& fallback) {
    std::string name;
    for (char c : ansi) name += std::string("[]:*?/\\").find(c) == std::string::npos ? c : '_';
    name = std::string(TrimBlanks(name));
    while (!name.empty() && name.front() == '\'') name.erase(0, 1);
    while (!name.empty() && name.back() == '\'') name.pop_back();
    if (name.size() > 31) name.resize(31);
    return AnsiToUtf8(name.empty() ? fallback : name);
}

struct WorkbookCloser {
    void operator()(lxw_workbook* wb) const {
        if (wb) workbook_close(wb);
    }
};

class Writer {
public:
    Writer(const std::string& path, const FormatSettings& fs) : fs_(fs) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        const std::string native = NativePath(path);
        wb_.reset(workbook_new_opt(native.c_str(), &options));
        if (!wb_) Fail();
    }

    lxw_workbook* Book() const { return wb_.get(); }

    lxw_worksheet* AddSheet(const std::string& utf8Name) {
        lxw_worksheet* ws = workbook_add_worksheet(wb_.get(), utf8Name.c_str());
        if (!ws) Fail();
        return ws;
    }

    lxw_format* Format(const std::string& numFormat) {
        auto it = formats_.find(numFormat);
        if (it != formats_.end()) return it->second;
        lxw_format* f = workbook_add_format(wb_.get());
        if (!f) Fail();
        format_set_num_format(f, numFormat.c_str());
        formats_.emplace(numFormat, f);
        return f;
    }

    void Check(lxw_error e) {
        if (e != LXW_NO_ERROR) Fail();
    }

    // Writes a field as its kind; returns the characters it shows.
    size_t Cell(lxw_worksheet* ws, lxw_row_t row, lxw_col_t col, std::string_view field) {
        if (field.empty()) return 0;
        const TFieldCell cell = ClassifyField(field, fs_);
        if (cell.Kind == TFieldKind::Text) {
            Check(worksheet_write_string(ws, row, col, Utf8(field).c_str(), nullptr));
        } else {
            Check(worksheet_write_number(ws, row, col, cell.Value, Format(cell.NumFormat)));
        }
        return field.size();  // one byte a character in the ANSI code page
    }

    void Text(lxw_worksheet* ws, lxw_row_t row, lxw_col_t col, const std::string& ansi) {
        Check(worksheet_write_string(ws, row, col, AnsiToUtf8(ansi).c_str(), nullptr));
    }

    void Close() {
        lxw_workbook* wb = wb_.release();
        if (workbook_close(wb) != LXW_NO_ERROR) Fail();
    }

    // ASCII text is UTF-8 as it stands; only the rest needs converting.
    const std::string& Utf8(std::string_view ansi) {
        if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            utf8_.assign(ansi);
        else utf8_ = AnsiToUtf8(ansi);
        return utf8_;
    }

    [[noreturn]] void Fail() { throw Error("The statistics workbook could not be written"); }

private:
    const FormatSettings& fs_;
    std::unique_ptr<lxw_workbook, WorkbookCloser> wb_;
    std::map<std::string, lxw_format*> formats_;
    std::string utf8_;
};

void SetWidths(Writer& w, lxw_worksheet* ws, const std::vector<size_t>& longest) {
    for (size_t c = 0; c < longest.size(); ++c) {
        const double width = double(std::min<size_t>(longest[c] + ColumnMargin, MaxColumnWidth));
        w.Check(worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), width, nullptr));
    }
}

void Widen(std::vector<size_t>& longest, size_t col, size_t chars) {
    if (longest.size() <= col) longest.resize(col + 1, 0);
    longest[col] = std::max(longest[col], chars);
}

void WriteSummary(Writer& w, lxw_worksheet* ws, const std::string& sheetUtf8, const TStatsSummary& s,
                  const TStatsSummaryTexts& texts) {
    std::vector<size_t> longest;
    auto text = [&](lxw_row_t row, lxw_col_t col, const std::string& ansi) {
        w.Text(ws, row, col, ansi);
        Widen(longest, col, ansi.size());
    };
    auto number = [&](lxw_row_t row, lxw_col_t col, double value, int decimals) {
        w.Check(worksheet_write_number(ws, row, col, value,
                                       w.Format(decimals ? "0." + std::string(size_t(decimals), '0') : "0")));
        char shown[64];
        Widen(longest, col, size_t(std::snprintf(shown, sizeof shown, "%.*f", decimals, value)));
    };
    // Runs per school mark, and their chart below.
    text(0, 0, texts.Mark);
    text(0, 1, texts.Runs);
    for (int mark = 0; mark <= 5; ++mark) {
        number(lxw_row_t(mark + 1), 0, mark, 0);
        number(lxw_row_t(mark + 1), 1, s.MarkRuns[mark], 0);
    }
    lxw_chart* chart = workbook_add_chart(w.Book(), LXW_CHART_COLUMN);
    if (!chart) w.Fail();
    lxw_chart_series* series = chart_add_series(chart, nullptr, nullptr);
    if (!series) w.Fail();
    chart_series_set_categories(series, sheetUtf8.c_str(), 1, 0, 6, 0);
    chart_series_set_values(series, sheetUtf8.c_str(), 1, 1, 6, 1);
    chart_series_set_name(series, AnsiToUtf8(texts.Runs).c_str());
    chart_title_set_name(chart, AnsiToUtf8(texts.ChartTitle).c_str());
    chart_axis_set_name(chart->x_axis, AnsiToUtf8(texts.Mark).c_str());
    chart_axis_set_name(chart->y_axis, AnsiToUtf8(texts.Runs).c_str());
    chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
    w.Check(worksheet_insert_chart(ws, ChartRow, 0, chart));

    // Runs and the average mark per topic text, below the chart.
    const lxw_row_t top = TopicsRow;
    text(top, 0, texts.Topic);
    text(top, 1, texts.Runs);
    text(top, 2, texts.Average);
    lxw_row_t row = top + 1;
    for (const TStatsSummary::Topic& t : s.Topics) {
        text(row, 0, t.Text);
        number(row, 1, t.Runs, 0);
        number(row, 2, t.Average(), 2);
        ++row;
    }
    SetWidths(w, ws, longest);
}

}  // namespace

TFieldCell ClassifyField(std::string_view field, const FormatSettings& fs) {
    TFieldCell cell;
    if (field.empty()) return cell;
    if (ReadNumber(field, fs.DecimalSeparator, cell)) return cell;
    if (ReadTime(field, fs.TimeSeparator, cell)) return cell;
    if (ReadDate(field, fs, cell)) return cell;
    return TFieldCell{};
}

std::vector<std::string_view> SplitStatsLine(std::string_view line) {
    std::vector<std::string_view> fields = SplitAt(line, '|');
    for (std::string_view& f : fields) f = TrimBlanks(f);
    return fields;
}

void TStatsSummaryBuilder::Add(const std::vector<std::string_view>& fields) {
    if (fields.size() < RecordFields) return;
    for (size_t shift = 0; shift + RecordFields <= fields.size(); ++shift) {
        const TFieldCell mark = ClassifyField(fields[MarkField + shift], fs_);
        int school = 0;
        if (mark.Kind != TFieldKind::Number || !IsSchoolMark(fields[SchoolMarkField + shift], school)) continue;
        std::string topics;
        for (size_t i = TopicsField + shift; i < fields.size(); ++i) {
            if (i > TopicsField + shift) topics += '|';
            topics.append(fields[i]);
        }
        ++summary_.Records;
        if (school <= 5) ++summary_.MarkRuns[school];
        auto it = std::find_if(summary_.Topics.begin(), summary_.Topics.end(),
                               [&](const TStatsSummary::Topic& t) { return t.Text == topics; });
        if (it == summary_.Topics.end()) {
            summary_.Topics.push_back({topics, 0, 0});
            it = summary_.Topics.end() - 1;
        }
        ++it->Runs;
        it->MarkSum += mark.Value;
        return;
    }
}

TStatsSummary TStatsSummaryBuilder::Result() const {
    TStatsSummary s = summary_;
    std::stable_sort(s.Topics.begin(), s.Topics.end(), [](const TStatsSummary::Topic& a, const TStatsSummary::Topic& b) {
        return AnsiUpperCase(a.Text) < AnsiUpperCase(b.Text);
    });
    return s;
}

std::string StatsSheetName(const std::string& statsFile) {
    std::string name = ExtractFileName(statsFile);
    const std::string ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size());
}

void WriteStatisticsWorkbook(const std::string& statsFile, const std::string& workbookFile,
                             const TStatsSummaryTexts& texts, const FormatSettings& locale) {
    FormatSettings fs = locale;
    if (!texts.DateFormat.empty()) fs.ShortDateFormat = texts.DateFormat;
    std::string bytes;
    const std::string real = FindFileNoCase(statsFile);
    if (real.empty() || !ReadFileBytes(real, bytes)) throw Error("The statistics file could not be read");

    Writer w(workbookFile, fs);
    const std::string dataName = SheetNameUtf8(StatsSheetName(statsFile), "STAT_KV2");
    std::string summaryName = SheetNameUtf8(texts.Sheet, "Summary");
    if (SameTextAnsi(Utf8ToAnsi(summaryName), Utf8ToAnsi(dataName))) summaryName += " (2)";
    lxw_worksheet* data = w.AddSheet(dataName);
    lxw_worksheet* summarySheet = w.AddSheet(summaryName);

    TStatsSummaryBuilder summary(fs);
    std::vector<size_t> longest;
    lxw_row_t row = 0;
    size_t columns = 0;
    ForEachStatsLine(bytes, [&](const std::vector<std::string_view>& fields) {
        if (row >= LXW_ROW_MAX) w.Fail();
        if (fields.size() > LXW_COL_MAX) w.Fail();
        for (size_t c = 0; c < fields.size(); ++c) {
            size_t shown = w.Cell(data, row, lxw_col_t(c), fields[c]);
            if (row == 0 && shown) shown += FilterButtonWidth;
            Widen(longest, c, shown);
        }
        columns = std::max(columns, fields.size());
        if (row > 0) summary.Add(fields);
        ++row;
    });
    worksheet_freeze_panes(data, 1, 0);
    if (row > 0 && columns > 0) w.Check(worksheet_autofilter(data, 0, 0, row - 1, lxw_col_t(columns - 1)));
    SetWidths(w, data, longest);

    WriteSummary(w, summarySheet, summaryName, summary.Result(), texts);
    w.Close();
}

std::string ExportStatistics(const std::string& statsFile, const std::string& folder, const TStatsSummaryTexts& texts) {
    const std::string base = AddPathDelimiter(folder) + StatsSheetName(statsFile);
    for (int n = 1;; ++n) {
        const std::string path = base + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".xlsx";
        try {
            WriteStatisticsWorkbook(statsFile, path, texts);
            return path;
        } catch (const Error&) {
            // A file that cannot be read fails under every name.
            if (n == 5 || !FileExists(statsFile)) throw;
        }
    }
}
