#include "grid/GridModel.h"

#include "grid/GridDisplay.h"
#include "grid/GridExport.h"

#include <QApplication>
#include <QPalette>

#include <utility>

namespace vantrel {

namespace {

Qt::Alignment QtAlign(ColumnAlign align) {
    switch (align) {
    case ColumnAlign::Center:
        return Qt::AlignCenter;
    case ColumnAlign::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

QString Q(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

uint32_t PaletteSystemColor(int n) {
    // The Windows system colours the palette has a role for; the others
    // keep their fixed values.
    static const std::pair<int, QPalette::ColorRole> kRoles[] = {
        {4, QPalette::Button},     {5, QPalette::Base},      {7, QPalette::Text},
        {8, QPalette::Text},       {13, QPalette::Highlight}, {14, QPalette::HighlightedText},
        {15, QPalette::Button},    {16, QPalette::Mid},       {17, QPalette::PlaceholderText},
        {18, QPalette::Text},      {20, QPalette::Light},     {21, QPalette::Shadow},
        {22, QPalette::Midlight},  {23, QPalette::ToolTipText}, {24, QPalette::ToolTipBase},
        {30, QPalette::Button}};
    for (const auto& [index, role] : kRoles)
        if (index == n) return static_cast<uint32_t>(QApplication::palette().color(role).rgb() & 0xFFFFFF);
    return HtmlRgb(static_cast<int32_t>(0xFF000000u | static_cast<uint32_t>(n)));
}

QColor GridQColor(int32_t color) {
    const uint32_t rgb = HtmlRgb(color, PaletteSystemColor);
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QFont GridQFont(const GridFont& font) {
    QFont f(Q(font.name));
    // Systems without the configured face fall back to any CJK-capable one.
    f.setStyleHint(QFont::SansSerif);
    f.setPointSize(font.size > 0 ? font.size : 9);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStrikeOut(font.strikeOut);
    return f;
}

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

GridModel::~GridModel() {
    if (table_) table_->removeObserver(this);
}

void GridModel::setColumns(std::vector<GridColumn> columns) {
    beginResetModel();
    columns_ = std::move(columns);
    endResetModel();
    emit rowsChanged();
}

void GridModel::setTable(MemoryTable* table) {
    if (table == table_) return;
    beginResetModel();
    if (table_) table_->removeObserver(this);
    table_ = table;
    if (table_) table_->addObserver(this);
    rows_ = table_ ? table_->recordCount() : 0;
    endResetModel();
    emit rowsChanged();
}

int GridModel::fieldOf(int column) const {
    if (!table_ || column < 0 || column >= columnCount()) return -1;
    const auto& name = columns_[static_cast<std::size_t>(column)].fieldName;
    return name.empty() ? -1 : table_->fieldIndex(name);
}

int GridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return {};
    const GridColumn& col = column(index.column());
    switch (role) {
    case Qt::DisplayRole:
        if (col.checkBox) return {};
        return Q(CellDisplayText(col, *table_, index.row()));
    case Qt::CheckStateRole: {
        if (!col.checkBox) return {};
        const int field = fieldOf(index.column());
        switch (CheckBoxState(col, field < 0 ? std::string() : table_->text(index.row(), field))) {
        case CheckState::Checked:
            return Qt::Checked;
        case CheckState::Unchecked:
            return Qt::Unchecked;
        case CheckState::Grayed:
            return Qt::PartiallyChecked;
        }
        return {};
    }
    case Qt::TextAlignmentRole: {
        ColumnAlign align = col.align;
        if (align == ColumnAlign::Default) {
            const int field = fieldOf(index.column());
            const auto type = field < 0 ? FieldType::Text : table_->fields()[static_cast<std::size_t>(field)].type;
            align = type == FieldType::Integer || type == FieldType::Float ? ColumnAlign::Right : ColumnAlign::Left;
        }
        if (col.checkBox) align = ColumnAlign::Center;
        return QVariant::fromValue(QtAlign(align));
    }
    case Qt::BackgroundRole:
        return GridQColor(col.color);
    case Qt::ForegroundRole:
        return GridQColor(col.font.color);
    case Qt::FontRole:
        return GridQFont(col.font);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const GridColumn& col = column(section);
    switch (role) {
    case Qt::DisplayRole:
        return Q(col.caption);
    case Qt::ToolTipRole:
        return col.showTitleHint ? QVariant(Q(col.hint)) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(QtAlign(col.titleAlign));
    default:
        return {};
    }
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (column(index.column()).checkBox) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || !index.isValid() || !column(index.column()).checkBox) return false;
    const int field = fieldOf(index.column());
    if (field < 0) return false;
    const bool checked = value.value<Qt::CheckState>() == Qt::Checked;
    const GridColumn& col = column(index.column());
    const std::string& text = checked ? col.checkedValue : col.uncheckedValue;
    return table_->setText(index.row(), field, text).ok();
}

Status GridModel::toggleCheckBox(int row, int c) {
    if (!table_) return Error{"the grid shows no table"};
    if (c < 0 || c >= columnCount() || !column(c).checkBox) return Error{"the column is not a check-box column"};
    const int field = fieldOf(c);
    if (field < 0) return Error{"the table has no field \"" + column(c).fieldName + "\""};
    if (row < 0 || row >= table_->recordCount()) return Error{"there is no row " + std::to_string(row + 1)};
    const GridColumn& col = column(c);
    const bool checked = table_->text(row, field) == col.checkedValue;
    return table_->setText(row, field, checked ? col.uncheckedValue : col.checkedValue);
}

void GridModel::tableChanged(const MemoryTable& table, TableChange change) {
    if (&table != table_) return;
    if (change == TableChange::Cursor) {
        emit cursorMoved();
        return;
    }
    const int rows = table_->recordCount();
    if (change == TableChange::Structure || rows != rows_) {
        beginResetModel();
        rows_ = rows;
        endResetModel();
    } else if (rows_ > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1));
    }
    emit rowsChanged();
    emit cursorMoved();
}

}  // namespace vantrel
