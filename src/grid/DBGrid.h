#pragma once
// The result grid: a table view over GridModel with the look and behaviours
// a formatter gives it: a title row in the fixed colour with sort markers,
// a frozen footer row, frozen leading columns, check-box and edit-button
// columns, owner-drawn rows and the filler column that keeps the columns
// filling the parent's width.
#include "grid/GridModel.h"

#include <QStyle>
#include <QTableView>

#include <functional>
#include <vector>

class QMenu;

namespace vantrel {

enum class SortMarker { None, Down, Up };

// Row colours of owner drawing (ChangeDataColorFlag), 0x00BBGGRR.
struct GridDrawColors {
    int32_t oldColor = kWhiteColor;
    int32_t evenColor = kWhiteColor;
    int32_t selectColor = kMoneyGreenColor;
    int32_t checkedColor = kMoneyGreenColor;
};

class DBGrid : public QTableView {
    Q_OBJECT
public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    GridModel* gridModel() const { return model_; }

    // ---- columns and table
    void setColumns(std::vector<GridColumn> columns);
    // The columns with their current widths and visibility.
    const std::vector<GridColumn>& columns() const { return model_->columns(); }
    int gridColumnCount() const { return model_->columnCount(); }
    void setTable(MemoryTable* table);
    MemoryTable* table() const { return model_->table(); }

    // ---- look
    void setTitleFont(const QFont& font);
    void setTitleHeight(int pixels);
    int titleHeight() const;
    void setFixedColor(int32_t color);
    int32_t fixedColor() const { return fixedColor_; }
    void setDataFont(const QFont& font);
    void setRowHeight(int pixels);
    int rowHeight() const { return rowHeight_; }
    void setBackgroundColor(int32_t color);
    void setFooterFont(const QFont& font);
    QFont footerFont() const { return footerFont_; }
    void setFooterColor(int32_t color);
    int32_t footerColor() const { return footerColor_; }
    void setFooterRowCount(int rows);  // 0 or 1
    int footerRowCount() const { return footerRows_; }
    void setLineColors(int32_t titleLine, int32_t dataLine);
    void setLinesVisible(bool on);
    bool linesVisible() const { return lines_; }
    void setFixed3D(bool on);
    bool fixed3D() const { return fixed3D_; }
    void setFrozenColumns(int count);
    int frozenColumns() const { return frozenCount_; }

    // ---- behaviours
    void setOwnerDraw(bool on, const GridDrawColors& colors);
    bool ownerDraw() const { return ownerDraw_; }
    const GridDrawColors& drawColors() const { return drawColors_; }
    void setChangeRowColor(bool on) { changeRowColor_ = on; viewport()->update(); }
    bool changeRowColor() const { return changeRowColor_; }
    // Title colours on focus enter / exit (ChangeHeadColorFlag).
    void setTitleFocusColors(bool on, int32_t upColor, int32_t hotColor);
    void setSortFlag(bool on) { sortFlag_ = on; }
    bool sortFlag() const { return sortFlag_; }
    void setMultilevelSort(bool on);
    SortMarker sortMarker(int column) const;
    // A title click: sorts the shown table by the column's field (see docs/grid.md).
    void titleClicked(int column);
    // With `on`, a click in grid column `column` toggles the clicked row's
    // check box (the first check-box column), but only while the grid shows
    // `table`, the formatter's own. No other click toggles anything.
    void setCheckBoxFlag(bool on, int column, const MemoryTable* table);
    std::function<void(DBGrid* sender, bool& handled)> editButtonClick;
    std::function<void(QPainter*, const QRect&, int column, const GridColumn&, QStyle::State)> afterDrawCell;

    // ---- footer
    QString footerText(int column) const;

    // ---- the filler column
    void setSpaceColFlag(bool on) { spaceColFlag_ = on; }
    bool spaceColFlag() const { return spaceColFlag_; }
    // ResizeSpaceCol runs only once the grid is formatted.
    void setFormatted(bool on) { formatted_ = on; }
    void resizeSpaceCol();
    void hideSpaceCol();
    void showSpaceCol();
    void setColumnVisible(int column, bool visible);
    void setColumnWidthOf(int column, int width);

    // ---- commands of the main window's scroll buttons
    // Scrolls by whole columns (negative: to the left); returns the first
    // column now at the left edge.
    int scrollColumns(int count);
    int firstVisibleColumn() const;

    void setPopupMenu(QMenu* menu) { menu_ = menu; }
    QMenu* popupMenu() const { return menu_; }

signals:
    void checkBoxToggled(int row, int column);
    void editButtonClicked(int row, int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    class Header;
    class Delegate;
    class Footer;
    friend class Header;
    friend class Delegate;
    friend class Footer;

    void applyColumnGeometry();
    void recomputeFooters();
    void placeFooter();
    void placeFrozen();
    void followTableCursor();
    void columnResized(int column, int oldSize, int newSize);
    QColor lineColor() const { return GridQColor(dataLineColor_); }

    GridModel* model_;
    Header* header_;
    Delegate* delegate_;
    Footer* footer_;
    QTableView* frozen_ = nullptr;
    QMenu* menu_ = nullptr;

    int32_t fixedColor_ = kButtonFaceColor;
    int32_t titleLineColor_ = kGrayColor;
    int32_t dataLineColor_ = kSilverColor;
    int32_t footerColor_ = kMoneyGreenColor;
    QFont footerFont_;
    int footerRows_ = 0;
    int rowHeight_ = 20;
    bool lines_ = false;
    bool fixed3D_ = false;
    int frozenCount_ = 0;

    bool ownerDraw_ = false;
    bool changeRowColor_ = true;
    GridDrawColors drawColors_;
    bool titleFocusColors_ = false;
    int32_t titleUpColor_ = 0;
    int32_t titleHotColor_ = 0;
    bool sortFlag_ = false;
    bool multilevelSort_ = false;
    std::vector<SortMarker> markers_;
    int lastSorted_ = -1;
    bool checkBoxFlag_ = false;
    int checkColFlag_ = 0;
    const MemoryTable* checkTable_ = nullptr;
    std::vector<QString> footerTexts_;

    bool spaceColFlag_ = true;
    bool formatted_ = false;
    bool inResize_ = false;
    bool syncingCursor_ = false;
    QWidget* watchedParent_ = nullptr;
};

}  // namespace vantrel
