#include "WorkbookReader.h"

#include <minizip/unzip.h>

#include <QXmlStreamReader>

#include <stdexcept>

namespace {

std::string Attr(const QXmlStreamReader& x, const char* name) {
    return x.attributes().value(QLatin1String(name)).toString().toStdString();
}

std::vector<std::string> SharedStrings(const std::string& xml) {
    std::vector<std::string> out;
    QXmlStreamReader x(QByteArray::fromStdString(xml));
    std::string current;
    bool inSi = false;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("si")) {
            inSi = true;
            current.clear();
        } else if (x.isStartElement() && x.name() == QLatin1String("t") && inSi) {
            current += x.readElementText().toStdString();
        } else if (x.isEndElement() && x.name() == QLatin1String("si")) {
            inSi = false;
            out.push_back(current);
        }
    }
    return out;
}

// Display format codes by cell style index.
std::vector<std::string> StyleFormats(const std::string& xml) {
    std::map<int, std::string> codes{{0, "General"}, {1, "0"}, {2, "0.00"}, {14, "mm-dd-yy"}, {20, "h:mm"}, {21, "h:mm:ss"}};
    std::vector<std::string> styles;
    QXmlStreamReader x(QByteArray::fromStdString(xml));
    bool inXfs = false;
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("numFmt"))
            codes[std::stoi(Attr(x, "numFmtId"))] = Attr(x, "formatCode");
        else if (x.isStartElement() && x.name() == QLatin1String("cellXfs")) inXfs = true;
        else if (x.isEndElement() && x.name() == QLatin1String("cellXfs")) inXfs = false;
        else if (inXfs && x.isStartElement() && x.name() == QLatin1String("xf")) {
            const std::string id = Attr(x, "numFmtId");
            const int n = id.empty() ? 0 : std::stoi(id);
            styles.push_back(codes.count(n) ? codes[n] : "#" + id);
        }
    }
    return styles;
}

// Relationship targets by id, of a part's .rels.
std::map<std::string, std::string> Rels(const std::string& xml) {
    std::map<std::string, std::string> out;
    QXmlStreamReader x(QByteArray::fromStdString(xml));
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == QLatin1String("Relationship")) out[Attr(x, "Id")] = Attr(x, "Target");
    }
    return out;
}

// "../charts/chart1.xml" against "xl/drawings/".
std::string Resolve(std::string folder, std::string target) {
    while (target.rfind("../", 0) == 0) {
        target.erase(0, 3);
        folder.pop_back();
        folder.erase(folder.rfind('/') + 1);
    }
    return folder + target;
}

TReadSheet Sheet(const std::string& xml, const std::vector<std::string>& strings, const std::vector<std::string>& styles) {
    TReadSheet s;
    QXmlStreamReader x(QByteArray::fromStdString(xml));
    std::string ref;
    TReadCell cell;
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement()) {
            if (x.isEndElement() && x.name() == QLatin1String("c")) s.Cells[ref] = cell;
            continue;
        }
        const auto n = x.name();
        if (n == QLatin1String("c")) {
            ref = Attr(x, "r");
            cell = TReadCell{};
            cell.Type = Attr(x, "t");
            if (cell.Type.empty()) cell.Type = "n";
            const std::string style = Attr(x, "s");
            const size_t si = style.empty() ? 0 : std::stoul(style);
            cell.Format = si < styles.size() ? styles[si] : "General";
        } else if (n == QLatin1String("v")) {
            const std::string v = x.readElementText().toStdString();
            cell.Value = cell.Type == "s" ? strings.at(std::stoul(v)) : v;
            if (x.isEndElement() && x.name() == QLatin1String("c")) s.Cells[ref] = cell;
        } else if (n == QLatin1String("t")) {
            cell.Value += x.readElementText().toStdString();
        } else if (n == QLatin1String("autoFilter")) {
            s.AutoFilter = Attr(x, "ref");
        } else if (n == QLatin1String("pane")) {
            if (Attr(x, "state") == "frozen") s.FrozenCell = Attr(x, "topLeftCell");
        } else if (n == QLatin1String("col")) {
            for (int c = std::stoi(Attr(x, "min")); c <= std::stoi(Attr(x, "max")); ++c)
                s.Widths[c] = std::stod(Attr(x, "width"));
        }
    }
    return s;
}

}  // namespace

const TReadCell& TReadSheet::At(const std::string& ref) const {
    auto it = Cells.find(ref);
    if (it == Cells.end()) throw std::out_of_range("no cell " + ref + " in sheet " + Name);
    return it->second;
}

bool ReadZip(const std::string& path, std::map<std::string, std::string>& parts) {
    unzFile zip = unzOpen(path.c_str());
    if (!zip) return false;
    bool ok = true;
    for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
        char name[512];
        unz_file_info info;
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(zip) != UNZ_OK) {
            ok = false;
            break;
        }
        std::string data(info.uncompressed_size, '\0');
        const int read = data.empty() ? 0 : unzReadCurrentFile(zip, data.data(), unsigned(data.size()));
        if (unzCloseCurrentFile(zip) != UNZ_OK || read != int(data.size())) ok = false;
        parts[name] = data;
    }
    unzClose(zip);
    return ok;
}

std::string ReadWorkbook(const std::string& path, TReadWorkbook& book) {
    std::map<std::string, std::string> parts;
    if (!ReadZip(path, parts)) return "not a zip: " + path;
    if (!parts.count("xl/workbook.xml")) return "no workbook part";
    const std::vector<std::string> strings = SharedStrings(parts["xl/sharedStrings.xml"]);
    const std::vector<std::string> styles = StyleFormats(parts["xl/styles.xml"]);
    const std::map<std::string, std::string> bookRels = Rels(parts["xl/_rels/workbook.xml.rels"]);
    QXmlStreamReader x(QByteArray::fromStdString(parts["xl/workbook.xml"]));
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement() || x.name() != QLatin1String("sheet")) continue;
        const std::string target = "xl/" + bookRels.at(x.attributes().value(QLatin1String("r:id")).toString().toStdString());
        if (!parts.count(target)) return "missing " + target;
        TReadSheet sheet = Sheet(parts[target], strings, styles);
        sheet.Name = Attr(x, "name");
        // The sheet's drawing, and the charts in it.
        const std::string folder = target.substr(0, target.rfind('/') + 1);
        const std::string relsName = folder + "_rels/" + target.substr(folder.size()) + ".rels";
        for (const auto& [id, t] : Rels(parts[relsName])) {
            const std::string drawing = Resolve(folder, t);
            if (drawing.find("drawings/") == std::string::npos) continue;
            const std::string dFolder = drawing.substr(0, drawing.rfind('/') + 1);
            const std::string dRels = dFolder + "_rels/" + drawing.substr(dFolder.size()) + ".rels";
            for (const auto& [cid, ct] : Rels(parts[dRels])) sheet.Drawings.push_back(parts[Resolve(dFolder, ct)]);
        }
        book.Sheets.push_back(std::move(sheet));
    }
    return {};
}
