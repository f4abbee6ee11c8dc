#pragma once
// The Qt model of a result grid: the layout's columns over the MemoryTable the
// grid shows, following the table through TableObserver.
#include "common/MemoryTable.h"
#include "grid/GridLayout.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFont>

#include <functional>
#include <vector>

namespace vantrel {

// A grid colour (0x00BBGGRR or system colour) as the desktop shows it now.
QColor GridQColor(int32_t color);
// 0xRRGGBB of system colour n from the application palette, for exports.
uint32_t PaletteSystemColor(int n);
// A Bank.ini font as a QFont; size in points, charset 134 needs nothing.
QFont GridQFont(const GridFont& font);

class GridModel : public QAbstractTableModel, private TableObserver {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);
    ~GridModel() override;

    void setColumns(std::vector<GridColumn> columns);
    const std::vector<GridColumn>& columns() const { return columns_; }
    GridColumn& column(int c) { return columns_[static_cast<std::size_t>(c)]; }
    const GridColumn& column(int c) const { return columns_[static_cast<std::size_t>(c)]; }

    // The shown table (not owned; nullptr shows nothing). The model leaves
    // the table as observer when it is replaced or the model dies.
    void setTable(MemoryTable* table);
    MemoryTable* table() const { return table_; }

    // The column's field position in the table, -1 without one.
    int fieldOf(int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Writes "1" / "0" into a check-box cell: "1" becomes "0", anything
    // else (including an empty or greyed cell) becomes "1".
    Status toggleCheckBox(int row, int column);

signals:
    // The table's rows or values changed (footers are stale).
    void rowsChanged();
    // The table's current record moved.
    void cursorMoved();

private:
    void tableChanged(const MemoryTable& table, TableChange change) override;

    std::vector<GridColumn> columns_;
    MemoryTable* table_ = nullptr;
    int rows_ = 0;  // the row count the views were last told about
};

}  // namespace vantrel
