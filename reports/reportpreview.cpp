#include "reports/reportpreview.h"

#include "reports/reportpainter.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStandardPaths>
#include <QToolBar>

namespace tabel {

namespace {

// Saving a PDF should not need a trip through the print dialog.
void addSavePdf(QPrintPreviewDialog &dialog, const report::Document &document)
{
    QToolBar *bar = dialog.findChild<QToolBar *>();
    if (!bar)
        return;
    QAction *save = new QAction(QStringLiteral("PDF"), &dialog);
    save->setObjectName(QStringLiteral("savePdfAction"));
    save->setToolTip(QStringLiteral("Сохранить в PDF"));
    bar->addSeparator();
    bar->addAction(save);
    QObject::connect(save, &QAction::triggered, &dialog, [&dialog, &document] {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const QString path = QFileDialog::getSaveFileName(
            &dialog, QStringLiteral("Сохранить в PDF"),
            QDir(folder).filePath(document.layout.name + QStringLiteral(".pdf")),
            QStringLiteral("PDF (*.pdf)"));
        if (!path.isEmpty())
            report::writePdf(document, path);
    });
}

} // namespace

void previewReport(const report::Document &document, PreviewZoom zoom, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(document.layout.name);
    printer.setPageLayout(document.layout.pageLayout());
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&document](QPrinter *p) { report::paint(document, *p); });
    if (auto *view = dialog.findChild<QPrintPreviewWidget *>())
        view->setZoomMode(zoom == PreviewZoom::PageWidth ? QPrintPreviewWidget::FitToWidth
                                                         : QPrintPreviewWidget::FitInView);
    addSavePdf(dialog, document);
    // Maximised; sized to the screen as well, for desktops whose window
    // manager ignores the request.
    if (QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        dialog.setGeometry(screen->availableGeometry());
    dialog.setWindowState(Qt::WindowMaximized);
    dialog.exec();
}

} // namespace tabel
