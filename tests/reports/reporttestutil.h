#pragma once

#include "pagepainter.h"
#include "paintrecorder.h"

#include <memory>

// Paints a page on a recorder, as a printer would receive it.
inline std::unique_ptr<PaintRecorder> paintOnRecorder(const report::Page &page)
{
    auto rec = std::make_unique<PaintRecorder>();
    QPainter painter(rec.get());
    report::paintPage(painter, page, PaintRecorder::kPxPerMm);
    painter.end();
    return rec;
}

// All texts of the pages, page by page, top to bottom.
inline QStringList allTexts(const std::vector<report::Page> &pages)
{
    QStringList out;
    for (const report::Page &p : pages)
        out << p.texts();
    return out;
}

inline QStringList sectionNames(const report::Page &page)
{
    QStringList names;
    for (const report::PlacedSection &s : page.sections)
        names << s.name;
    return names;
}

inline QStringList sectionNames(const std::vector<report::Page> &pages)
{
    QStringList names;
    for (const report::Page &p : pages)
        names << sectionNames(p);
    return names;
}
