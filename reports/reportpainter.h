#pragma once

#include "reports/bandreport.h"

#include <QString>

class QPagedPaintDevice;

namespace tabel::report {

// Draws the pages on a paged device (a printer, a PDF writer), whose
// page layout is set to the document's first.
void paint(const Document &document, QPagedPaintDevice &device);
// Writes the document as a PDF file; false when the file cannot be made.
bool writePdf(const Document &document, const QString &path);

} // namespace tabel::report
