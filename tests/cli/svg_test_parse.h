// Reads an exported SVG back for the tests, through Qt's XML reader.
#pragma once

#include "view.h"

#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace vellograph::testing {

struct SvgElement {
    std::string name;
    std::map<std::string, std::string> attr;
    std::vector<TPoint> points;
    double shownAt = -1; // from its <set>
    double animEnd = -1; // begin + dur of its <animate>
    std::size_t keyTimes = 0;
    std::string text;
};

// Parses the SVG back; fails the test on malformed XML.
inline std::vector<SvgElement> ParseSvg(const std::string& svg) {
    QXmlStreamReader xml(QByteArray::fromRawData(svg.data(), static_cast<qsizetype>(svg.size())));
    std::vector<SvgElement> out;
    auto seconds = [](QStringView s) { return s.chopped(1).toDouble(); }; // "1.5s"
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto a = xml.attributes();
        if (xml.name() == u"set") {
            out.back().shownAt = seconds(a.value("begin"));
        } else if (xml.name() == u"animate") {
            out.back().animEnd = seconds(a.value("begin")) + seconds(a.value("dur"));
            out.back().keyTimes = a.value("keyTimes").split(u';').size();
        } else {
            SvgElement& e = out.emplace_back();
            e.name = xml.name().toString().toStdString();
            for (const auto& at : a) {
                e.attr[at.name().toString().toStdString()] = at.value().toString().toStdString();
            }
            for (const auto& p : a.value("points").split(u' ', Qt::SkipEmptyParts)) {
                const auto xy = p.split(u',');
                e.points.push_back({xy[0].toInt(), xy[1].toInt()});
            }
            if (xml.name() == u"desc") {
                e.text = xml.readElementText().toStdString();
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return out;
}

} // namespace vellograph::testing
