#include "grid/DBGrid.h"

#include "grid/GridDisplay.h"
#include "grid/GridLog.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <exception>

namespace vantrel {

namespace {
constexpr int kTitleMargin = 5;

void DrawBevel(QPainter* p, const QRect& r, bool raised3D, const QColor& line) {
    if (raised3D) {
        p->setPen(QColor(Qt::white));
        p->drawLine(r.topLeft(), r.topRight());
        p->drawLine(r.topLeft(), r.bottomLeft());
        p->setPen(QColor(Qt::darkGray));
        p->drawLine(r.bottomLeft(), r.bottomRight());
        p->drawLine(r.topRight(), r.bottomRight());
    } else {
        p->setPen(line);
        p->drawLine(r.bottomLeft(), r.bottomRight());
        p->drawLine(r.topRight(), r.bottomRight());
    }
}
}  // namespace

// ---- the title row: fixed colour, own line colour, sort markers

class DBGrid::Header : public QHeaderView {
public:
    explicit Header(DBGrid* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {
        setSectionsClickable(true);
        setHighlightSections(false);
        setMinimumSectionSize(0);
        setDefaultAlignment(Qt::AlignCenter);
    }

protected:
    void paintSection(QPainter* p, const QRect& rect, int logical) const override {
        if (!rect.isValid()) return;
        p->save();
        p->fillRect(rect, GridQColor(grid_->fixedColor_));
        DrawBevel(p, rect, grid_->fixed3D_, GridQColor(grid_->titleLineColor_));
        const QVariant align = model()->headerData(logical, Qt::Horizontal, Qt::TextAlignmentRole);
        QRect text = rect.adjusted(kTitleMargin, 0, -kTitleMargin, 0);
        const SortMarker marker = grid_->sortMarker(logical);
        const bool showMarker = marker != SortMarker::None && (grid_->multilevelSort_ || logical == grid_->lastSorted_);
        if (showMarker) text.adjust(0, 0, -10, 0);
        p->setFont(font());
        p->setPen(palette().color(QPalette::ButtonText));
        p->drawText(text, static_cast<int>(align.value<Qt::Alignment>()) | Qt::TextSingleLine,
                    model()->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString());
        if (showMarker) {
            // "up" after an ascending sort: the triangle points up.
            const int cx = rect.right() - kTitleMargin - 4, cy = rect.center().y();
            QPolygon tri;
            if (marker == SortMarker::Up)
                tri << QPoint(cx - 4, cy + 2) << QPoint(cx + 4, cy + 2) << QPoint(cx, cy - 3);
            else
                tri << QPoint(cx - 4, cy - 2) << QPoint(cx + 4, cy - 2) << QPoint(cx, cy + 3);
            p->setBrush(palette().color(QPalette::ButtonText));
            p->setPen(Qt::NoPen);
            p->drawPolygon(tri);
        }
        p->restore();
    }

private:
    DBGrid* grid_;
};

// ---- cells, in the owner-drawing order of docs/grid.md

class DBGrid::Delegate : public QStyledItemDelegate {
public:
    explicit Delegate(DBGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        try {
            paintCell(p, option, index);
        } catch (const std::exception& e) {
            // A paint handler may not throw: a grid log that cannot be
            // written loses this line, and the next paint tries again.
            (void)WriteGridLog(std::string(grid_log::kDrawFailed) + e.what());
        }
    }

    // Check boxes toggle in DBGrid::mousePressEvent, once per click.
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex&) override {
        return false;
    }

private:
    void paintCell(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
        const GridModel* model = grid_->model_;
        const GridColumn& col = model->column(index.column());
        const bool selected = option.state & QStyle::State_Selected;
        const bool hasRows = model->table() && model->table()->recordCount() > 0;
        const bool checked = index.model()->index(index.row(), 0).isValid() && RowChecked(index.row());
        QColor background = GridQColor(col.color);
        QColor text = GridQColor(col.font.color);

        if (grid_->ownerDraw_) {
            const GridDrawColors& c = grid_->drawColors_;
            if (selected) background = GridQColor(c.selectColor);
            if (grid_->changeRowColor_) background = GridQColor((index.row() + 1) % 2 ? c.oldColor : c.evenColor);
            if (index.row() == grid_->currentIndex().row()) background = GridQColor(c.selectColor);
            if (checked) background = GridQColor(c.checkedColor);
        } else if (selected) {
            background = option.palette.color(QPalette::Highlight);
            text = option.palette.color(QPalette::HighlightedText);
        }

        p->save();
        p->fillRect(option.rect, background);
        if (col.editButton && (hasRows || selected)) {
            QStyleOptionButton button;
            button.rect = option.rect;
            button.state = QStyle::State_Enabled | QStyle::State_Raised;
            if (!col.buttonGlyphFile.empty()) {
                button.icon = QIcon(QString::fromStdString(col.buttonGlyphFile));
                button.iconSize = option.rect.size() - QSize(4, 4);
            }
            if (button.icon.isNull()) button.text = QStringLiteral("...");
            grid_->style()->drawControl(QStyle::CE_PushButton, &button, p, grid_);
        } else if (col.checkBox) {
            QStyleOptionViewItem box(option);
            box.rect = QRect(0, 0, 13, 13);
            box.rect.moveCenter(option.rect.center());
            const QVariant state = index.data(Qt::CheckStateRole);
            box.state = QStyle::State_Enabled;
            switch (state.value<Qt::CheckState>()) {
            case Qt::Checked:
                box.state |= QStyle::State_On;
                break;
            case Qt::Unchecked:
                box.state |= QStyle::State_Off;
                break;
            default:
                box.state |= QStyle::State_NoChange;
            }
            grid_->style()->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, p, grid_);
        } else {
            p->setFont(GridQFont(col.font));
            p->setPen(text);
            const auto align = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>();
            p->drawText(option.rect.adjusted(2, 0, -2, 0), static_cast<int>(align) | Qt::TextSingleLine,
                        index.data(Qt::DisplayRole).toString());
        }
        if (grid_->lines_) {
            p->setPen(grid_->lineColor());
            p->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
            p->drawLine(option.rect.topRight(), option.rect.bottomRight());
        }
        p->restore();
        if (grid_->afterDrawCell) grid_->afterDrawCell(p, option.rect, index.column(), col, option.state);
    }

    bool RowChecked(int row) const {
        const GridModel* model = grid_->model_;
        for (int c = 0; c < model->columnCount(); ++c)
            if (model->column(c).checkBox)
                return model->data(model->index(row, c), Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        return false;
    }

    DBGrid* grid_;
};

// ---- the footer row, below the data area and never scrolled away

class DBGrid::Footer : public QWidget {
public:
    explicit Footer(DBGrid* grid) : QWidget(grid), grid_(grid) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), GridQColor(grid_->footerColor_));
        const QHeaderView* header = grid_->horizontalHeader();
        for (int c = 0; c < grid_->model_->columnCount(); ++c) {
            if (header->isSectionHidden(c)) continue;
            const QRect cell(header->sectionViewportPosition(c), 0, header->sectionSize(c), height());
            if (cell.right() < 0 || cell.left() > width()) continue;
            const GridColumn& col = grid_->model_->column(c);
            QFont font = grid_->footerFont_;
            font.setBold(col.footer.font.bold || font.bold());
            p.setFont(font);
            p.setPen(GridQColor(col.footer.font.color));
            Qt::Alignment align = Qt::AlignLeft;
            if (col.footer.align == ColumnAlign::Center) align = Qt::AlignHCenter;
            if (col.footer.align == ColumnAlign::Right) align = Qt::AlignRight;
            p.drawText(cell.adjusted(2, 0, -2, 0), static_cast<int>(align | Qt::AlignVCenter) | Qt::TextSingleLine,
                       grid_->footerText(c));
            p.setPen(GridQColor(grid_->dataLineColor_));
            p.drawLine(cell.topRight(), cell.bottomRight());
        }
        p.setPen(GridQColor(grid_->titleLineColor_));
        p.drawLine(0, 0, width(), 0);
    }

private:
    DBGrid* grid_;
};

// ---- DBGrid

DBGrid::DBGrid(QWidget* parent)
    : QTableView(parent), model_(new GridModel(this)), header_(new Header(this)), delegate_(new Delegate(this)),
      footer_(new Footer(this)) {
    setHorizontalHeader(header_);
    setModel(model_);
    setItemDelegate(delegate_);
    verticalHeader()->hide();
    setShowGrid(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    footer_->hide();
    connect(header_, &QHeaderView::sectionClicked, this, &DBGrid::titleClicked);
    connect(header_, &QHeaderView::sectionResized, this, &DBGrid::columnResized);
    connect(model_, &GridModel::rowsChanged, this, &DBGrid::recomputeFooters);
    connect(model_, &GridModel::cursorMoved, this, &DBGrid::followTableCursor);
    connect(model_, &QAbstractItemModel::modelReset, this, &DBGrid::applyColumnGeometry);
    if (parent) {
        watchedParent_ = parent;
        parent->installEventFilter(this);
    }
}

DBGrid::~DBGrid() { model_->setTable(nullptr); }

void DBGrid::setColumns(std::vector<GridColumn> columns) {
    markers_.assign(columns.size(), SortMarker::None);
    lastSorted_ = -1;
    model_->setColumns(std::move(columns));
    applyColumnGeometry();
    setFrozenColumns(0);
}

void DBGrid::setTable(MemoryTable* table) {
    model_->setTable(table);
    followTableCursor();
}

void DBGrid::applyColumnGeometry() {
    if (inResize_) return;
    inResize_ = true;
    for (int c = 0; c < model_->columnCount(); ++c) {
        const GridColumn& col = model_->column(c);
        setColumnHidden(c, !col.visible);
        if (col.visible) header_->resizeSection(c, col.width);
    }
    inResize_ = false;
    placeFrozen();
}

void DBGrid::columnResized(int column, int, int newSize) {
    if (column < 0 || column >= model_->columnCount() || header_->isSectionHidden(column)) return;
    model_->column(column).width = newSize;
    footer_->update();
    if (inResize_) return;
    placeFrozen();
    if (spaceColFlag_) resizeSpaceCol();
}

// ---- look

void DBGrid::setTitleFont(const QFont& font) { header_->setFont(font); }

void DBGrid::setTitleHeight(int pixels) { header_->setFixedHeight(pixels); }

int DBGrid::titleHeight() const { return header_->height(); }

void DBGrid::setFixedColor(int32_t color) {
    fixedColor_ = color;
    header_->viewport()->update();
}

void DBGrid::setDataFont(const QFont& font) { setFont(font); }

void DBGrid::setRowHeight(int pixels) {
    rowHeight_ = pixels > 0 ? pixels : 1;
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight_);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    placeFooter();
}

void DBGrid::setBackgroundColor(int32_t color) {
    QPalette p = palette();
    p.setColor(QPalette::Base, GridQColor(color));
    setPalette(p);
}

void DBGrid::setFooterFont(const QFont& font) {
    footerFont_ = font;
    footer_->update();
}

void DBGrid::setFooterColor(int32_t color) {
    footerColor_ = color;
    footer_->update();
}

void DBGrid::setFooterRowCount(int rows) {
    footerRows_ = rows > 0 ? 1 : 0;
    footer_->setVisible(footerRows_ == 1);
    recomputeFooters();
    placeFooter();
}

void DBGrid::setLineColors(int32_t titleLine, int32_t dataLine) {
    titleLineColor_ = titleLine;
    dataLineColor_ = dataLine;
    viewport()->update();
}

void DBGrid::setLinesVisible(bool on) {
    lines_ = on;
    viewport()->update();
}

void DBGrid::setFixed3D(bool on) {
    fixed3D_ = on;
    header_->viewport()->update();
}

// Frozen columns: a second view over the same model and selection lies on
// the left and shows only the first columns; it scrolls vertically with the
// grid but never horizontally.
void DBGrid::setFrozenColumns(int count) {
    frozenCount_ = std::clamp(count, 0, model_->columnCount());
    if (frozenCount_ == 0) {
        delete frozen_;
        frozen_ = nullptr;
        return;
    }
    if (!frozen_) {
        frozen_ = new QTableView(this);
        frozen_->setObjectName(QStringLiteral("frozenColumns"));
        frozen_->setModel(model_);
        frozen_->setSelectionModel(selectionModel());
        frozen_->setItemDelegate(delegate_);
        frozen_->setFocusPolicy(Qt::NoFocus);
        frozen_->verticalHeader()->hide();
        frozen_->setShowGrid(false);
        frozen_->setHorizontalHeader(new Header(this));
        frozen_->horizontalHeader()->setFont(header_->font());
        frozen_->horizontalHeader()->setFixedHeight(header_->height());
        frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        frozen_->setFrameShape(QFrame::NoFrame);
        frozen_->verticalHeader()->setDefaultSectionSize(rowHeight_);
        connect(verticalScrollBar(), &QScrollBar::valueChanged, frozen_->verticalScrollBar(), &QScrollBar::setValue);
        connect(frozen_->horizontalHeader(), &QHeaderView::sectionClicked, this, &DBGrid::titleClicked);
        frozen_->show();
    }
    placeFrozen();
}

void DBGrid::placeFrozen() {
    if (!frozen_) return;
    int width = 0;
    for (int c = 0; c < model_->columnCount(); ++c) {
        const bool show = c < frozenCount_ && !isColumnHidden(c);
        frozen_->setColumnHidden(c, !show);
        if (show) {
            frozen_->setColumnWidth(c, columnWidth(c));
            width += columnWidth(c);
        }
    }
    frozen_->horizontalHeader()->setFixedHeight(header_->height());
    frozen_->setGeometry(frameWidth(), frameWidth(), width, viewport()->height() + header_->height());
    frozen_->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

// ---- behaviours

void DBGrid::setOwnerDraw(bool on, const GridDrawColors& colors) {
    ownerDraw_ = on;
    drawColors_ = colors;
    viewport()->update();
}

void DBGrid::setTitleFocusColors(bool on, int32_t upColor, int32_t hotColor) {
    titleFocusColors_ = on;
    titleUpColor_ = upColor;
    titleHotColor_ = hotColor;
}

void DBGrid::setMultilevelSort(bool on) {
    multilevelSort_ = on;
    header_->viewport()->update();
}

SortMarker DBGrid::sortMarker(int column) const {
    return column >= 0 && column < static_cast<int>(markers_.size()) ? markers_[static_cast<std::size_t>(column)]
                                                                      : SortMarker::None;
}

void DBGrid::titleClicked(int column) {
    if (column < 0 || column >= model_->columnCount()) return;
    const GridColumn& col = model_->column(column);
    MemoryTable* table = model_->table();
    if (!col.titleButton || !sortFlag_ || !table) return;
    table->beginUpdate();
    table->deleteIndexes();
    (void)table->setIndex("");
    const int field = model_->fieldOf(column);
    if (field >= 0) {
        const std::string& name = table->fields()[static_cast<std::size_t>(field)].name;
        SortMarker& marker = markers_[static_cast<std::size_t>(column)];
        const bool descending = marker == SortMarker::Up;
        const std::string index = name + (descending ? "_UP" : "_DOWN");
        if (table->addIndex(index, name, descending) && table->setIndex(index)) {
            marker = descending ? SortMarker::Down : SortMarker::Up;
            lastSorted_ = column;
        }
    }
    table->endUpdate();
    header_->viewport()->update();
    if (frozen_) frozen_->horizontalHeader()->viewport()->update();
}

void DBGrid::setCheckBoxFlag(bool on, int column, const MemoryTable* table) {
    checkBoxFlag_ = on;
    checkColFlag_ = column;
    checkTable_ = table;
}

// ---- footer

void DBGrid::recomputeFooters() {
    footerTexts_.assign(static_cast<std::size_t>(model_->columnCount()), QString());
    if (footerRows_ == 0) return;
    for (int c = 0; c < model_->columnCount(); ++c) {
        const GridColumn& col = model_->column(c);
        if (col.footer.kind == FooterKind::None) continue;
        if (col.footer.kind == FooterKind::StaticText) {
            footerTexts_[static_cast<std::size_t>(c)] = QString::fromStdString(col.footer.text);
            continue;
        }
        if (!model_->table()) continue;
        // A total that cannot be computed stays empty rather than wrong.
        if (auto value = ComputeFooter(col, *model_->table()))
            footerTexts_[static_cast<std::size_t>(c)] = QString::fromStdString(value->text);
    }
    footer_->update();
}

QString DBGrid::footerText(int column) const {
    return column >= 0 && column < static_cast<int>(footerTexts_.size()) ? footerTexts_[static_cast<std::size_t>(column)]
                                                                         : QString();
}

void DBGrid::placeFooter() {
    const int height = footerRows_ ? rowHeight_ : 0;
    // QTableView keeps the title row in the top margin; the footer takes the bottom one.
    const int top = header_->isHidden() ? 0 : header_->height();
    const QMargins wanted(0, top, 0, height);
    if (viewportMargins() != wanted) setViewportMargins(wanted);
    if (footerRows_) {
        const QRect vp = viewport()->geometry();
        footer_->setGeometry(vp.left(), vp.bottom() + 1, vp.width(), height);
        footer_->raise();
    }
}

// ---- the filler column

void DBGrid::resizeSpaceCol() {
    if (!formatted_ || !spaceColFlag_ || !parentWidget() || inResize_) return;
    const int parentWidth = parentWidget()->contentsRect().width();
    inResize_ = true;
    int sum = 0;
    for (int c = 0; c < model_->columnCount(); ++c) {
        GridColumn& col = model_->column(c);
        if (col.width == 0) {
            col.visible = false;
            setColumnHidden(c, true);
        }
        if (col.visible && !col.isFiller()) sum += col.width;
    }
    const int width = ResizedSpaceColWidth(parentWidth, sum);
    for (int c = model_->columnCount() - 1; c >= 0; --c) {
        GridColumn& col = model_->column(c);
        if (!col.isFiller()) continue;
        col.width = width;
        if (col.visible) header_->resizeSection(c, width);
        break;
    }
    inResize_ = false;
    footer_->update();
}

void DBGrid::hideSpaceCol() {
    if (!spaceColFlag_) return;
    for (int c = 0; c < model_->columnCount(); ++c)
        if (model_->column(c).isFiller()) return setColumnVisible(c, false);
}

void DBGrid::showSpaceCol() {
    if (!spaceColFlag_) return;
    for (int c = 0; c < model_->columnCount(); ++c)
        if (model_->column(c).isFiller()) return setColumnVisible(c, true);
}

void DBGrid::setColumnVisible(int column, bool visible) {
    if (column < 0 || column >= model_->columnCount()) return;
    GridColumn& col = model_->column(column);
    col.visible = visible;
    inResize_ = true;
    setColumnHidden(column, !visible);
    if (visible) header_->resizeSection(column, col.width);
    inResize_ = false;
    placeFrozen();
    footer_->update();
}

void DBGrid::setColumnWidthOf(int column, int width) {
    if (column < 0 || column >= model_->columnCount()) return;
    model_->column(column).width = width;
    if (!isColumnHidden(column)) header_->resizeSection(column, width);  // resizes the filler too
}

// ---- scrolling by columns

int DBGrid::firstVisibleColumn() const {
    const int offset = horizontalScrollBar()->value();
    for (int c = 0; c < model_->columnCount(); ++c)
        if (!isColumnHidden(c) && header_->sectionPosition(c) + header_->sectionSize(c) > offset) return c;
    return -1;
}

int DBGrid::scrollColumns(int count) {
    int column = firstVisibleColumn();
    if (column < 0) return -1;
    const int step = count < 0 ? -1 : 1;
    for (int moved = 0; moved != count;) {
        int next = column + step;
        while (next >= 0 && next < model_->columnCount() && (isColumnHidden(next) || columnWidth(next) == 0))
            next += step;
        if (next < 0 || next >= model_->columnCount()) break;
        column = next;
        moved += step;
    }
    horizontalScrollBar()->setValue(header_->sectionPosition(column));
    return firstVisibleColumn();
}

// ---- events

void DBGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid()) return;
    const int c = index.column();
    const GridColumn& col = model_->column(c);
    if (col.tag == kEditButtonColTag) {
        bool handled = false;
        if (editButtonClick) editButtonClick(this, handled);
        emit editButtonClicked(index.row(), c);
        return;
    }
    // A result table bound to the grid is the request's answer: a stray
    // click must not change what it shows and exports.
    if (!checkBoxFlag_ || c != checkColFlag_ || !checkTable_ || table() != checkTable_) return;
    int target = -1;
    for (int k = 0; k < model_->columnCount() && target < 0; ++k)
        if (model_->column(k).checkBox) target = k;
    if (target < 0) return;
    if (auto done = model_->toggleCheckBox(index.row(), target); !done) {
        (void)WriteGridLog(std::string(grid_log::kCheckBoxFailed) + done.error());
        return;
    }
    emit checkBoxToggled(index.row(), target);
}

void DBGrid::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    if (titleFocusColors_) setFixedColor(titleHotColor_);
}

void DBGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    if (titleFocusColors_) setFixedColor(titleUpColor_);
}

void DBGrid::contextMenuEvent(QContextMenuEvent* event) {
    if (!menu_) return QTableView::contextMenuEvent(event);
    menu_->exec(event->globalPos());
}

void DBGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFooter();
    placeFrozen();
}

void DBGrid::updateGeometries() {
    QTableView::updateGeometries();
    placeFooter();
    placeFrozen();
}

void DBGrid::scrollContentsBy(int dx, int dy) {
    QTableView::scrollContentsBy(dx, dy);
    if (dx) footer_->update();
}

bool DBGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedParent_ && event->type() == QEvent::Resize) resizeSpaceCol();
    return QTableView::eventFilter(watched, event);
}

// The view's current row and the table's current record are one.
void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (current.row() != previous.row()) viewport()->update();
    if (syncingCursor_ || !current.isValid() || !model_->table()) return;
    syncingCursor_ = true;
    model_->table()->setRecNo(current.row());
    syncingCursor_ = false;
}

void DBGrid::followTableCursor() {
    if (syncingCursor_ || !model_->table()) return;
    const int row = model_->table()->recNo();
    if (row < 0 || row >= model_->rowCount() || row == currentIndex().row()) return;
    syncingCursor_ = true;
    int column = std::max(0, currentIndex().column());
    while (column < model_->columnCount() - 1 && isColumnHidden(column)) ++column;
    setCurrentIndex(model_->index(row, column));
    syncingCursor_ = false;
}

}  // namespace vantrel
