#pragma once
// The statistics file as a spreadsheet: each line split into columns at "|" only
// (no text qualifier, consecutive bars not merged), each field trimmed of its
// padding and stored as a number, a time of day, a date or text, as the locale
// reads it. The first sheet holds the file with its header row frozen and an
// automatic filter over all columns, every column as wide as its longest content;
// the second sheet sums the results up: the runs per school mark from 0 to 5 as a
// column chart, and the runs and the average mark per topic text.
// No widgets: texts come and go in the ANSI code page.
#include <string>
#include <string_view>
#include <vector>

#include "Format.h"

enum class TFieldKind { Text, Number, Time, Date };

// How one field goes into a cell: its kind, its value (a number, or a date-time in
// days) and the display format that shows it as the file wrote it (empty for text).
struct TFieldCell {
    TFieldKind Kind = TFieldKind::Text;
    double Value = 0;
    std::string NumFormat;
};

// Reads a trimmed field with the locale's decimal separator, time separator and
// the order of day, month and year of its short date format.
TFieldCell ClassifyField(std::string_view field, const FormatSettings& fs = GetFormatSettings());

// The fields of one line: split at every "|", each trimmed of spaces and control
// characters. A line without a bar is one field.
std::vector<std::string_view> SplitStatsLine(std::string_view line);

// Calls `each` with the fields of every line of `bytes` (CR LF or LF); an empty
// last line after the final line break is no line.
template <class F>
void ForEachStatsLine(std::string_view bytes, F&& each) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        each(SplitStatsLine(line));
        start = end + 1;
    }
}

// The width of a column in characters: its longest content, the header's with room
// for the filter button, and one character of margin; at most 255.
inline constexpr int FilterButtonWidth = 2;
inline constexpr int ColumnMargin = 1;
inline constexpr int MaxColumnWidth = 255;

// The results of the records that can be read: a record has the fifteen fields of
// the statistics record, its mark a number and its school mark a digit with an
// optional "-" after it. A "|" inside the name or the topics adds fields; the
// record is then read at the first place where its mark and school mark fit, and
// the fields after the user name are its topics.
struct TStatsSummary {
    int MarkRuns[6] = {0, 0, 0, 0, 0, 0};  // runs per school mark 0..5
    struct Topic {
        std::string Text;  // the topics field as it stands
        int Runs = 0;
        double MarkSum = 0;
        double Average() const { return Runs ? MarkSum / Runs : 0; }
    };
    std::vector<Topic> Topics;  // in order of the text, letter case ignored
    int Records = 0;            // records read
};

class TStatsSummaryBuilder {
public:
    explicit TStatsSummaryBuilder(const FormatSettings& fs = GetFormatSettings()) : fs_(fs) {}
    // One line after the header.
    void Add(const std::vector<std::string_view>& fields);
    TStatsSummary Result() const;

private:
    const FormatSettings& fs_;
    TStatsSummary summary_;
    std::vector<size_t> order_;  // index into Topics, by first appearance
};

// The texts of the summary sheet, looked up by the window.
struct TStatsSummaryTexts {
    std::string Sheet = "Summary";
    std::string ChartTitle = "Runs by school mark";
    std::string Mark = "Mark";
    std::string Runs = "Runs";
    std::string Topic = "Topic";
    std::string Average = "Average mark";
    // The date format the records were written with ("/" the locale's separator):
    // dates are read in its order of day, month and year, whatever the locale's own.
    std::string DateFormat = "dd/mm/yyyy";
};

// Writes the workbook of `statsFile` to `workbookFile`. Raises Error when the
// file cannot be read or the workbook cannot be written.
void WriteStatisticsWorkbook(const std::string& statsFile, const std::string& workbookFile,
                             const TStatsSummaryTexts& texts, const FormatSettings& fs = GetFormatSettings());

// Writes the workbook into `folder` under the statistics file's name with ".xlsx",
// or the first free numbered name when that one cannot be written (a spreadsheet
// may still hold the last one open); returns its path. Raises Error on failure.
std::string ExportStatistics(const std::string& statsFile, const std::string& folder, const TStatsSummaryTexts& texts);

// The first sheet's name: the statistics file's name without its extension.
std::string StatsSheetName(const std::string& statsFile);
