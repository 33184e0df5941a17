#pragma once

#include "reports/bandreport.h"

#include <QString>

// Writes a laid-out document as a PDF file by itself, without the toolkit's
// PDF engine. That engine places every glyph of every text on its own and
// compresses the result: a month's worker detail (fifty pages) takes it
// several times as long as the report's query. Here a text is one string
// of glyphs of a font embedded whole, which the viewer sets by the font's
// own widths; the fonts' files are packed once per run.
namespace tabel::report::pdf {

enum class Outcome {
    Written,
    Failed,     // the file could not be written
    NotPossible // a face is no TrueType font, which only the engine embeds
};

Outcome write(const Document &document, const QString &path);

} // namespace tabel::report::pdf
