#pragma once

#include "reports/bandreport.h"

#include <functional>

class QWidget;

namespace tabel {

// How a preview opens: the period reports fill the width with their page,
// the hours sheet shows its whole landscape page.
enum class PreviewZoom { PageWidth, WholePage };

// Shows a laid-out report in the print preview, from which the user
// prints it or saves it as PDF, and returns when the preview closes.
void previewReport(const report::Document &document, PreviewZoom zoom, QWidget *parent = nullptr);

// What the windows call to show a report; tests replace it to look at the
// document instead.
using ReportPreviewer = std::function<void(const report::Document &, PreviewZoom)>;

} // namespace tabel
