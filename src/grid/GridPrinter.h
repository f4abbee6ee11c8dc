#pragma once
// The printout of a grid: what the print set-up dialog edits, and the pages
// drawn from an export sheet (the grid's visible columns without the filler,
// every row in the current order and the footer row).
#include "common/Result.h"
#include "grid/GridExport.h"

#include <QDate>
#include <QFont>
#include <QLocale>
#include <QMarginsF>
#include <QString>
#include <QStringList>

#include <vector>

class QPainter;
class QPrinter;

namespace vantrel {

enum class PrintFit { ScaleGrid, ChangeColumnWidths };

struct GridPrintSettings {
    QMarginsF marginsMm{10, 10, 10, 10};  // left, top, right, bottom
    QFont font{QStringLiteral("宋体"), 9};  // page header, footer and the texts around the grid
    bool color = true;              // cells in their screen colours
    bool fitToPageWidth = true;     // a grid wider than the page is fitted
    bool optimalColumnWidths = true;  // each column as wide as its widest text
    bool stretchLines = false;      // lines scale with the grid instead of staying hairlines
    PrintFit fit = PrintFit::ScaleGrid;
    QString headerCenter;                            // the title given to Print
    QString footerCenter = QStringLiteral("第 &[Page] 页");
    QStringList beforeGrid;  // printed above the grid on the first page
    QStringList afterGrid;   // printed below it on the last page
};

// "%[Today]" becomes the date as "yyyy-MM-dd dddd" in `locale`; "&[Page]"
// the page number.
QString ExpandPrintText(QString text, const QDate& today, int page, const QLocale& locale = QLocale());

class GridPrinter {
public:
    // rowHeight and titleHeight are the grid's, in screen pixels.
    GridPrinter(ExportSheet sheet, GridPrintSettings settings, int rowHeight = 20, int titleHeight = 20);

    const ExportSheet& sheet() const { return sheet_; }
    const GridPrintSettings& settings() const { return settings_; }

    // Lays the pages out for the printer's paper and margins; the count.
    int pageCount(QPrinter* printer);
    // Draws every page; an error (a printer that cannot be painted on)
    // leaves the document as far as it got.
    Status print(QPrinter* printer);

    // After pageCount or print: printed column widths, in device pixels.
    const std::vector<double>& columnWidths() const { return widths_; }
    double gridScale() const { return scale_; }

private:
    struct Page {
        int firstRow = 0;
        int endRow = 0;
        bool first = false;
        bool last = false;
    };
    void layout(QPrinter* printer);
    void drawPage(QPainter& p, const Page& page, int number, const QRectF& area);
    double drawRow(QPainter& p, double y, const std::vector<ExportCell>* cells, int kind);

    ExportSheet sheet_;
    GridPrintSettings settings_;
    int rowHeightPx_;
    int titleHeightPx_;

    // Layout results, device pixels.
    std::vector<double> widths_;
    double scale_ = 1;
    double dpiScale_ = 1;
    double rowHeight_ = 0;
    double titleHeight_ = 0;
    double textLine_ = 0;
    double headerBand_ = 0;
    double footerBand_ = 0;
    std::vector<Page> pages_;
    QDate today_;
};

}  // namespace vantrel
