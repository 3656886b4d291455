#pragma once
// Reads back what a test needs of an .xlsx workbook: the sheets' cells with their
// types and display formats, the automatic filter, the frozen pane, the column
// widths, and the parts of its charts.
#include <map>
#include <string>
#include <vector>

struct TReadCell {
    std::string Type;    // "n" number, "s"/"inlineStr"/"str" text
    std::string Value;   // UTF-8 text, or the number as written
    std::string Format;  // display format code; "General" without one
    double Number() const { return std::stod(Value); }
};

struct TReadSheet {
    std::string Name;
    std::map<std::string, TReadCell> Cells;  // by reference, "A1"
    std::string AutoFilter;                  // its range, "A1:O3"; empty without one
    std::string FrozenCell;                  // top-left cell of the scrolling pane, "A2"
    std::map<int, double> Widths;            // column (1-based) -> width
    std::vector<std::string> Drawings;       // the charts' XML, through the sheet's drawing
    bool Has(const std::string& ref) const { return Cells.count(ref) > 0; }
    const TReadCell& At(const std::string& ref) const;
};

struct TReadWorkbook {
    std::vector<TReadSheet> Sheets;
};

// Empty names the failure; `book` holds the workbook otherwise.
std::string ReadWorkbook(const std::string& path, TReadWorkbook& book);

// Every part of the zip, by name.
bool ReadZip(const std::string& path, std::map<std::string, std::string>& parts);
