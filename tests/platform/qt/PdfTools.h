#pragma once
// What poppler's tools see in a printed PDF: the page count and size (pdfinfo), the text
// as laid out (pdftotext -layout) and the words with their boxes in points from the
// page's top-left (pdftotext -bbox); and the files a print left in a folder.
#include <QProcess>
#include <QStringList>
#include <QXmlStreamReader>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform_test {

struct TPdfWord {
    int Page = 0;  // from 1
    std::string Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};

// The tool's standard output; empty when it could not run or failed.
inline std::string RunTool(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) return {};
    return p.readAllStandardOutput().toStdString();
}

// A field of pdfinfo's report ("Pages", "Page size"), trimmed.
inline std::string PdfInfo(const std::string& path, const std::string& field) {
    const std::string report = RunTool("pdfinfo", {QString::fromStdString(path)});
    const std::string key = field + ":";
    const size_t at =
        report.find("\n" + key) != std::string::npos ? report.find("\n" + key) + 1 : report.find(key);
    if (at != 0 && (at == std::string::npos || report.compare(at, key.size(), key) != 0)) return {};
    size_t begin = at + key.size();
    const size_t end = report.find('\n', begin);
    while (begin < end && report[begin] == ' ') ++begin;
    return report.substr(begin, end - begin);
}

// pdfinfo's "Page size" in whole points, as "595 x 842"; the report as it is when it
// does not read so.
inline std::string PdfPageSizePoints(const std::string& pdf) {
    const std::string size = PdfInfo(pdf, "Page size");
    double width = 0, height = 0;
    const char* end = size.data() + size.size();
    const auto w = std::from_chars(size.data(), end, width);
    if (w.ec != std::errc() || std::string_view(w.ptr, end).substr(0, 3) != " x ") return size;
    if (std::from_chars(w.ptr + 3, end, height).ec != std::errc()) return size;
    return std::to_string(std::lround(width)) + " x " + std::to_string(std::lround(height));
}

inline std::string PdfText(const std::string& path) {
    return RunTool("pdftotext", {"-layout", QString::fromStdString(path), "-"});
}

inline std::vector<TPdfWord> PdfWords(const std::string& path) {
    std::vector<TPdfWord> words;
    const std::string xhtml = RunTool("pdftotext", {"-bbox", QString::fromStdString(path), "-"});
    QXmlStreamReader xml(QByteArray::fromStdString(xhtml));
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const QXmlStreamAttributes a = xml.attributes();
            TPdfWord w;
            w.Page = page;
            w.XMin = a.value("xMin").toDouble();
            w.YMin = a.value("yMin").toDouble();
            w.XMax = a.value("xMax").toDouble();
            w.YMax = a.value("yMax").toDouble();
            w.Text = xml.readElementText().toStdString();
            words.push_back(w);
        }
    }
    return words;
}

inline std::set<std::string> FileNames(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

}  // namespace platform_test
