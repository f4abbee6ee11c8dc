#include "grid/GridPrinter.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace vantrel {

namespace {

enum RowKind { TitleRow, DataRow, FooterRow };
constexpr double kCellPadding = 4;  // screen pixels on each side of a text

QColor Rgb(uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | (rgb & 0xFFFFFFu))); }

QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QFont PrintFont(const GridFont& font, QPaintDevice* device) {
    QFont f(Q(font.name), font.size > 0 ? font.size : 9, QFont::Normal, font.italic);
    f.setStyleHint(QFont::SansSerif);
    f.setBold(font.bold);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return QFont(f, device);
}

Qt::Alignment Align(ColumnAlign align) {
    switch (align) {
    case ColumnAlign::Center:
        return Qt::AlignHCenter;
    case ColumnAlign::Right:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

}  // namespace

QString ExpandPrintText(QString text, const QDate& today, int page, const QLocale& locale) {
    text.replace(QStringLiteral("%[Today]"), locale.toString(today, QStringLiteral("yyyy-MM-dd dddd")));
    text.replace(QStringLiteral("&[Page]"), QString::number(page));
    return text;
}

GridPrinter::GridPrinter(ExportSheet sheet, GridPrintSettings settings, int rowHeight, int titleHeight)
    : sheet_(std::move(sheet)), settings_(std::move(settings)), rowHeightPx_(std::max(rowHeight, 8)),
      titleHeightPx_(std::max(titleHeight, 8)) {}

void GridPrinter::layout(QPrinter* printer) {
    today_ = QDate::currentDate();
    printer->setPageMargins(settings_.marginsMm, QPageLayout::Millimeter);
    const QRectF area = printer->pageLayout().paintRectPixels(printer->resolution());
    dpiScale_ = printer->resolution() / 96.0;

    // Column widths: the grid's, or each as wide as its widest text.
    widths_.assign(sheet_.columns.size(), 0);
    for (std::size_t c = 0; c < sheet_.columns.size(); ++c) {
        const ExportColumn& column = sheet_.columns[c];
        double width = column.width * dpiScale_;
        if (settings_.optimalColumnWidths) {
            auto measure = [&](const GridFont& font, const std::string& text) {
                return QFontMetricsF(PrintFont(font, printer)).horizontalAdvance(Q(text)) +
                       2 * kCellPadding * dpiScale_;
            };
            width = measure(column.titleFont, column.title);
            for (const auto& row : sheet_.rows) width = std::max(width, measure(column.font, row[c].text));
            if (sheet_.footer) width = std::max(width, measure(column.footerFont, (*sheet_.footer)[c].text));
        }
        widths_[c] = width;
    }
    double total = 0;
    for (double w : widths_) total += w;
    scale_ = 1;
    if (settings_.fitToPageWidth && total > area.width() && total > 0) {
        if (settings_.fit == PrintFit::ScaleGrid) {
            scale_ = area.width() / total;
        } else {
            for (double& w : widths_) w *= area.width() / total;
        }
    }

    const double fontLine = QFontMetricsF(QFont(settings_.font, printer)).height();
    textLine_ = fontLine * 1.2;
    rowHeight_ = rowHeightPx_ * dpiScale_;
    titleHeight_ = titleHeightPx_ * dpiScale_;
    for (const auto& column : sheet_.columns) {
        rowHeight_ = std::max(rowHeight_, QFontMetricsF(PrintFont(column.font, printer)).height() * 1.25);
        titleHeight_ = std::max(titleHeight_, QFontMetricsF(PrintFont(column.titleFont, printer)).height() * 1.25);
    }
    headerBand_ = settings_.headerCenter.isEmpty() ? 0 : textLine_ * 1.5;
    footerBand_ = settings_.footerCenter.isEmpty() ? 0 : textLine_ * 1.5;

    // Rows per page: the title row repeats on every page; the lines before
    // the grid take room on the first page, the footer row and the lines
    // after it on the last.
    const double body = area.height() - headerBand_ - footerBand_;
    const double row = rowHeight_ * scale_;
    const double title = titleHeight_ * scale_;
    const double before = textLine_ * settings_.beforeGrid.size();
    const double after = (sheet_.footer ? row : 0) + textLine_ * settings_.afterGrid.size();
    pages_.clear();
    const int rows = static_cast<int>(sheet_.rows.size());
    int next = 0;
    do {
        Page page;
        page.first = pages_.empty();
        page.firstRow = next;
        double room = body - title - (page.first ? before : 0);
        int fit = std::max(1, static_cast<int>(std::floor(room / row)));
        page.endRow = std::min(rows, next + fit);
        next = page.endRow;
        if (next >= rows) {
            const double used = (page.endRow - page.firstRow) * row;
            if (used + after <= room || page.endRow == page.firstRow) {
                page.last = true;
            }
        }
        pages_.push_back(page);
        if (next >= rows && !page.last) {
            // The footer and the closing lines get a page of their own.
            Page tail;
            tail.firstRow = tail.endRow = rows;
            tail.last = true;
            pages_.push_back(tail);
        }
    } while (!pages_.back().last);
}

int GridPrinter::pageCount(QPrinter* printer) {
    layout(printer);
    return static_cast<int>(pages_.size());
}

Status GridPrinter::print(QPrinter* printer) {
    layout(printer);
    QPainter painter;
    if (!painter.begin(printer)) return Error{"the printer cannot be painted on"};
    const QRectF area(QPointF(0, 0), printer->pageLayout().paintRectPixels(printer->resolution()).size());
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (i > 0 && !printer->newPage()) return Error{"the printer refused a new page"};
        drawPage(painter, pages_[i], static_cast<int>(i) + 1, area);
    }
    painter.end();
    return Status::success();
}

void GridPrinter::drawPage(QPainter& p, const Page& page, int number, const QRectF& area) {
    const QFont font(settings_.font, p.device());
    p.setFont(font);
    p.setPen(Qt::black);
    const QPen rule(Qt::black, std::max(1.0, dpiScale_ / 2));
    double y = 0;
    if (!settings_.headerCenter.isEmpty()) {
        p.drawText(QRectF(0, 0, area.width(), textLine_), Qt::AlignCenter,
                   ExpandPrintText(settings_.headerCenter, today_, number));
        p.setPen(rule);
        p.drawLine(QPointF(0, textLine_ * 1.2), QPointF(area.width(), textLine_ * 1.2));
        y = headerBand_;
    }
    if (!settings_.footerCenter.isEmpty()) {
        const double top = area.height() - footerBand_;
        p.setPen(rule);
        p.drawLine(QPointF(0, top + textLine_ * 0.3), QPointF(area.width(), top + textLine_ * 0.3));
        p.setPen(Qt::black);
        p.drawText(QRectF(0, top + textLine_ * 0.4, area.width(), textLine_), Qt::AlignCenter,
                   ExpandPrintText(settings_.footerCenter, today_, number));
    }
    p.setFont(font);
    p.setPen(Qt::black);
    if (page.first)
        for (const auto& line : settings_.beforeGrid) {
            p.drawText(QRectF(0, y, area.width(), textLine_), Qt::AlignLeft | Qt::AlignVCenter,
                       ExpandPrintText(line, today_, number));
            y += textLine_;
        }

    p.save();
    p.translate(0, y);
    p.scale(scale_, scale_);
    double gy = drawRow(p, 0, nullptr, TitleRow);
    for (int r = page.firstRow; r < page.endRow; ++r)
        gy = drawRow(p, gy, &sheet_.rows[static_cast<std::size_t>(r)], DataRow);
    if (page.last && sheet_.footer) gy = drawRow(p, gy, &*sheet_.footer, FooterRow);
    p.restore();
    y += gy * scale_;

    if (page.last) {
        p.setFont(font);
        p.setPen(Qt::black);
        for (const auto& line : settings_.afterGrid) {
            p.drawText(QRectF(0, y, area.width(), textLine_), Qt::AlignLeft | Qt::AlignVCenter,
                       ExpandPrintText(line, today_, number));
            y += textLine_;
        }
    }
}

double GridPrinter::drawRow(QPainter& p, double y, const std::vector<ExportCell>* cells, int kind) {
    const double height = kind == TitleRow ? titleHeight_ : rowHeight_;
    const double padding = kCellPadding * dpiScale_;
    QPen line(Qt::darkGray);
    if (settings_.stretchLines)
        line.setWidthF(std::max(1.0, dpiScale_ / 2));
    else
        line.setCosmetic(true);
    double x = 0;
    for (std::size_t c = 0; c < sheet_.columns.size(); ++c) {
        const ExportColumn& column = sheet_.columns[c];
        const QRectF cell(x, y, widths_[c], height);
        x += widths_[c];
        uint32_t background = 0xFFFFFF;
        const GridFont* font = &column.font;
        ColumnAlign align = column.align;
        QString text;
        if (kind == TitleRow) {
            background = sheet_.fixedColor;
            font = &column.titleFont;
            align = column.titleAlign;
            text = Q(column.title);
        } else if (kind == FooterRow) {
            background = sheet_.footerColor;
            font = &column.footerFont;
            align = column.footerAlign;
            text = Q((*cells)[c].text);
        } else {
            background = column.color;
            text = Q((*cells)[c].text);
        }
        if (settings_.color) p.fillRect(cell, Rgb(background));
        p.setPen(line);
        p.drawRect(cell);
        p.setFont(PrintFont(*font, p.device()));
        p.setPen(settings_.color ? Rgb(static_cast<uint32_t>(font->color)) : QColor(Qt::black));
        p.drawText(cell.adjusted(padding, 0, -padding, 0), static_cast<int>(Align(align) | Qt::AlignVCenter),
                   text);
    }
    return y + height;
}

}  // namespace vantrel
