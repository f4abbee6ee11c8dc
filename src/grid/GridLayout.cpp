#include "grid/GridLayout.h"

#include "common/AppPaths.h"
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/TextUtil.h"
#include "grid/GridColor.h"
#include "grid/GridLog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <limits>

namespace vantrel {

namespace {

// The conventional keys of the nine header lines, for error texts.
constexpr const char* kHeaderNames[9] = {"ColWidth", "ColTotal", "ColVisual", "ColTag",     "ColAlign",
                                         "ColColor", "ColStyle", "ColDBWidth", "ColDataType"};
enum HeaderLine { W, T, V, G, A, C, S, DW, DT };

struct HeaderLists {
    std::vector<std::string> lists[9];

    const std::string* entry(HeaderLine line, std::size_t k) const {
        return k < lists[line].size() ? &lists[line][k] : nullptr;
    }
};

std::string ColumnName(std::size_t k) { return "column " + std::to_string(k + 1); }

Result<int32_t> EntryInteger(const std::string& text, HeaderLine line, std::size_t k) {
    if (auto number = ParseProfileGridInteger(text);
        number && *number >= std::numeric_limits<int32_t>::min() && *number <= std::numeric_limits<int32_t>::max())
        return static_cast<int32_t>(*number);
    return Error{"\"" + text + "\" is not an integer (" + kHeaderNames[line] + ", " + ColumnName(k) + ")"};
}

Result<const std::string*> RequiredEntry(const HeaderLists& lists, HeaderLine line, std::size_t k) {
    if (const std::string* e = lists.entry(line, k)) return e;
    return Error{std::string(kHeaderNames[line]) + " has no entry for " + ColumnName(k)};
}

Result<int32_t> EntryColor(const std::string& text, HeaderLine line, std::size_t k) {
    auto color = ParseGridColor(text);
    if (!color) return Error{color.error() + " (" + kHeaderNames[line] + ", " + ColumnName(k) + ")"};
    return *color;
}

std::optional<FieldType> FieldTypeOfCode(std::string_view code) {
    if (code == "0") return FieldType::Text;
    if (code == "1") return FieldType::Integer;
    if (code == "2") return FieldType::Float;
    if (code == "3") return FieldType::Date;
    return std::nullopt;
}

class LayoutBuilder {
public:
    LayoutBuilder(const Profile& ini, const GridFormatOptions& options, const TGridParam& param,
                  const GridTexts& texts, GridLayout& layout)
        : ini_(ini), options_(options), param_(param), texts_(texts), layout_(layout) {}

    // InitGrid; an error here is one that reaches FormatDBGrid.
    Status initGrid(MemoryTable& table);
    void applyColumnHints();

private:
    void log(std::string_view prefix, const std::string& error) {
        layout_.logLines.push_back(std::string(prefix) + error);
    }
    Status configureColumn(GridColumn& column, std::size_t k, const std::string& key, const std::string& caption);
    void defineFields(std::size_t columnLines);
    Status defineByTag();
    Status defineByFieldName(std::size_t columnLines);
    Status addField(int number, std::string name, std::size_t line);
    void createTable(MemoryTable& table);
    void createDefaultIndex(MemoryTable& table);

    const Profile& ini_;
    const GridFormatOptions& options_;
    const TGridParam& param_;
    const GridTexts& texts_;
    GridLayout& layout_;
    HeaderLists lists_;
    std::vector<std::string> keys_;
    int visibleSum_ = 0;
};

Status LayoutBuilder::initGrid(MemoryTable& table) {
    const GridSection section = ReadGridSection(ini_, layout_.nodeName);
    if (section.values.empty()) return Status::success();
    if (section.values.size() < 9)
        return Error{"the grid section [" + layout_.nodeName + "] has " + std::to_string(section.values.size()) +
                     " lines; nine header lines are needed"};
    for (int line = 0; line < 9; ++line) lists_.lists[line] = SplitGridList(section.values[line]);
    keys_ = section.keys;

    layout_.columnsBuilt = true;
    layout_.columns.clear();
    const std::size_t columnLines = section.values.size() - 9;
    for (std::size_t k = 0; k < columnLines; ++k) {
        layout_.columns.emplace_back();
        GridColumn& column = layout_.columns.back();
        column.font = param_.dataStyle().Font;
        column.color = param_.dataStyle().Color;
        column.footer.font = param_.footerStyle().Font;
        if (auto done = configureColumn(column, k, section.keys[9 + k], section.values[9 + k]); !done) {
            log(grid_log::kConfigError, done.error());
            break;  // the columns so far, this one as far as it got, stay
        }
    }

    defineFields(columnLines);

    if (options_.spaceColFlag) {
        GridColumn filler;
        filler.tag = kSpaceColTag;
        filler.titleButton = false;
        filler.titleAlign = ColumnAlign::Left;
        filler.font = param_.dataStyle().Font;
        filler.color = param_.dataStyle().Color;
        filler.footer.font = param_.footerStyle().Font;
        filler.width = InitialSpaceColWidth(options_.screenWidth, visibleSum_);
        layout_.columns.push_back(std::move(filler));
        layout_.fields.push_back(GridFieldDef{kSpaceColTag, "tmp99", FieldType::Text, 0, "0"});
    }

    createTable(table);
    if (param_.createIndexFlag()) createDefaultIndex(table);
    layout_.processFlag = true;
    return Status::success();
}

Status LayoutBuilder::configureColumn(GridColumn& column, std::size_t k, const std::string& key,
                                      const std::string& caption) {
    column.titleButton = true;
    if (options_.form == GridForm::ByTag) {
        auto tag = RequiredEntry(lists_, G, k);
        if (!tag) return Error{tag.error()};
        column.fieldName = "Col" + **tag;
    } else {
        column.fieldName = key;
    }
    column.caption = caption;
    column.hint.clear();
    column.titleAlign = ColumnAlign::Center;

    if (const std::string* w = lists_.entry(W, k)) {
        auto width = EntryInteger(*w, W, k);
        if (!width) return Error{width.error()};
        if (*width < 0) return Error{"the width " + *w + " is negative (ColWidth, " + ColumnName(k) + ")"};
        column.width = *width;
    } else {
        column.width = 80;
    }
    if (const std::string* g = lists_.entry(G, k)) {
        auto tag = EntryInteger(*g, G, k);
        if (!tag) return Error{tag.error()};
        column.tag = *tag;
    }
    if (const std::string* a = lists_.entry(A, k)) {
        if (*a == "C") {
            column.align = ColumnAlign::Left;
        } else if (*a == "D") {
            column.align = ColumnAlign::Center;
        } else if (*a == "E") {
            column.titleButton = false;
            column.tag = kCheckBoxColTag;
            column.readOnly = false;
            column.checkBox = true;
            column.checkedValue = "1";
            column.uncheckedValue = "0";
        } else if (*a != "0") {
            column.align = ColumnAlign::Right;
            column.displayFormat = *a;
        }
    }
    const std::string* total = lists_.entry(T, k);
    if (const std::string* v = lists_.entry(V, k)) {
        if (*v == "0" || *v == std::to_string(options_.hideColTag)) {
            column.visible = false;
            column.width = 0;
        } else {
            column.visible = true;
            visibleSum_ += column.width;
            if (total && *total == "99") {
                column.titleButton = false;
                column.tag = kEditButtonColTag;
                column.editButton = true;
                std::error_code ec;
                if (!texts_.buttonGlyphFileName.empty() &&
                    std::filesystem::is_regular_file(PathFromUtf8(texts_.buttonGlyphFileName), ec))
                    column.buttonGlyphFile = texts_.buttonGlyphFileName;
            }
        }
    }
    if (const std::string* c = lists_.entry(C, k)) {
        auto color = EntryColor(*c, C, k);
        if (!color) return Error{color.error()};
        column.color = *color;
    }
    if (const std::string* s = lists_.entry(S, k)) {
        GridFont& font = column.font;
        font.bold = font.italic = font.underline = font.strikeOut = false;
        if (*s == "1") {
            font.bold = true;
        } else if (*s == "2") {
            font.italic = true;
        } else if (*s == "3") {
            font.underline = true;
        } else if (*s != "0") {
            auto color = EntryColor(*s, S, k);
            if (!color) return Error{color.error()};
            font.bold = true;
            font.color = *color;
        }
    }
    if (total && param_.footerCountFlag()) {
        const bool byTag = options_.form == GridForm::ByTag;
        GridFooter& footer = column.footer;
        if (*total == "1" || (byTag && *total == "99")) {
            footer.kind = FooterKind::StaticText;
            footer.text = texts_.totalCaption;
            footer.align = ColumnAlign::Center;
            if (!byTag) footer.font.color = 128;  // maroon
        } else if (*total == "2") {
            footer.kind = FooterKind::Count;
            footer.align = ColumnAlign::Center;
        } else if (*total == "3" || *total == "4") {
            footer.kind = *total == "3" ? FooterKind::Sum : FooterKind::Average;
            footer.align = ColumnAlign::Right;
        }
    }
    return Status::success();
}

void LayoutBuilder::defineFields(std::size_t columnLines) {
    Status done;
    if (options_.form == GridForm::ByTag)
        done = defineByTag();
    else if (options_.createFields)
        done = defineByFieldName(columnLines);
    if (!done) log(grid_log::kFieldDefFailed, done.error());
}

Status LayoutBuilder::defineByTag() {
    // The tags sorted as text, one-character tags padded with "0" so that
    // 1..99 come out in numeric order; the j-th smallest tag gets the j-th
    // type and size.
    std::vector<std::string> tags = lists_.lists[G];
    for (auto& tag : tags)
        if (tag.size() == 1) tag.insert(0, "0");
    std::sort(tags.begin(), tags.end(), [](const std::string& a, const std::string& b) { return CompareNoCase(a, b) < 0; });
    for (std::size_t j = 0; j < tags.size(); ++j) {
        auto number = EntryInteger(tags[j], G, j);
        if (!number) return Error{number.error()};
        if (auto added = addField(*number, "Col" + std::to_string(*number), j); !added) return added;
    }
    return Status::success();
}

Status LayoutBuilder::defineByFieldName(std::size_t columnLines) {
    for (std::size_t k = 0; k < columnLines; ++k)
        if (auto added = addField(static_cast<int>(k), keys_[9 + k], k); !added) return added;
    return Status::success();
}

// The field typed by entry `line` of the type list; a text field ("0") also
// takes its size from the width list.
Status LayoutBuilder::addField(int number, std::string name, std::size_t line) {
    auto type = RequiredEntry(lists_, DT, line);
    if (!type) return Error{type.error()};
    GridFieldDef def{number, std::move(name), FieldTypeOfCode(**type), 0, **type};
    if (**type == "0") {
        auto size = RequiredEntry(lists_, DW, line);
        if (!size) return Error{size.error()};
        auto value = EntryInteger(**size, DW, line);
        if (!value) return Error{value.error()};
        def.size = *value;
    }
    layout_.fields.push_back(std::move(def));
    return Status::success();
}

void LayoutBuilder::createTable(MemoryTable& table) {
    std::vector<FieldDef> defs;
    for (const auto& field : layout_.fields) {
        if (!field.type) {
            log(grid_log::kTableFailed, "the field \"" + field.name + "\" has no type: ColDataType \"" +
                                            field.typeCode + "\" is not 0, 1, 2 or 3");
            return;
        }
        defs.push_back(FieldDef{field.name, *field.type, field.size});
    }
    if (auto done = table.defineFields(std::move(defs)); !done) {
        log(grid_log::kTableFailed, done.error());
        return;
    }
    layout_.tableCreated = true;
}

void LayoutBuilder::createDefaultIndex(MemoryTable& table) { CreateDefaultIndex(ini_, layout_, table); }

void LayoutBuilder::applyColumnHints() { ApplyColumnHints(ini_, param_, layout_); }

}  // namespace

void CreateDefaultIndex(const Profile& ini, GridLayout& layout, MemoryTable& table) {
    const auto values = ini.sectionValues(layout.nodeName + "Index");
    if (values.size() < 3) return;
    GridIndexDef index{values[0], values[1], 0};
    auto direction = ParseProfileGridInteger(values[2]);
    if (!direction || *direction < std::numeric_limits<int>::min() || *direction > std::numeric_limits<int>::max()) {
        layout.logLines.push_back(std::string(grid_log::kIndexFailed) + "\"" + values[2] + "\" is not an integer (index direction)");
        return;
    }
    index.direction = static_cast<int>(*direction);
    layout.index = index;
    if (index.direction == 0 || index.direction == 1) {
        if (auto added = table.addIndex(index.name, index.fields, index.direction == 1); !added) {
            layout.logLines.push_back(std::string(grid_log::kIndexFailed) + added.error());
            return;
        }
    }
    if (auto selected = table.setIndex(index.name); !selected) {
        layout.logLines.push_back(std::string(grid_log::kIndexFailed) + selected.error());
        return;
    }
    layout.indexSelected = true;
}

void ApplyColumnHints(const Profile& ini, const TGridParam& param, GridLayout& layout) {
    if (!param.columnsHintFlag()) return;
    layout.showHints = true;
    const std::string section = "Hint" + layout.nodeName;
    for (auto& column : layout.columns) {
        column.showTitleHint = true;
        column.hint = ini.readString(section, column.fieldName + "Hint", column.caption);
    }
}

std::vector<std::string> SplitGridList(std::string_view value) {
    std::vector<std::string> entries;
    if (value.empty()) return entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = value.find(',', start);
        entries.push_back(Trim(value.substr(start, comma == std::string_view::npos ? value.npos : comma - start)));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return entries;
}

GridSection ReadGridSection(const Profile& ini, std::string_view section) {
    GridSection result;
    result.values = ini.sectionValues(section);
    for (const auto& line : ini.sectionLines(section)) {
        const auto equals = line.find('=');
        result.keys.push_back(equals == std::string::npos ? std::string() : Trim(std::string_view(line).substr(0, equals)));
    }
    return result;
}

GridTexts LoadGridTexts(const Profile& ini, const TGridParam& param) {
    GridTexts texts;
    if (!ini.fileExists()) return texts;
    texts.totalCaption = ini.readString("GridParam", "TotalCN", "合计");
    const std::string glyph = ini.readString("GridParam", "ButtonBMPFile", "");
    if (!TrimView(glyph).empty()) texts.buttonGlyphFileName = param.resPath() + glyph;
    return texts;
}

std::optional<GridMenu> BuildGridMenu(const Profile& ini) {
    const auto captions = ini.sectionValues("GridMenu");
    if (captions.size() != 10) return std::nullopt;
    auto item = [&](const char* name, std::size_t position) {
        return GridMenuItem{name, Trim(captions[position - 1]),
                            ReadGridInteger(ini, "GridMenuIcon", name).value_or(-1)};
    };
    GridMenu menu;
    menu.exportMenu = item("p05", 5);
    menu.exportItems = {item("p0501", 6), item("p0502", 7), item("p0503", 8)};
    menu.printItem = item("p06", 9);
    return menu;
}

int InitialSpaceColWidth(int screenWidth, int visibleWidth) {
    return visibleWidth < screenWidth ? std::abs(screenWidth - visibleWidth - 20) : 0;
}

int ResizedSpaceColWidth(int parentWidth, int visibleWidth) {
    return visibleWidth < parentWidth ? std::abs(parentWidth - visibleWidth - 30) : 0;
}

std::string GridLayout::checkBoxFieldName() const {
    for (const auto& column : columns)
        if (column.tag == kCheckBoxColTag) return column.fieldName;
    return {};
}

int GridLayout::checkBoxFieldIndex() const {
    for (std::size_t i = 0; i < columns.size(); ++i)
        if (columns[i].tag == kCheckBoxColTag) return static_cast<int>(i);
    return 0;
}

int GridLayout::visibleWidth() const {
    int sum = 0;
    for (const auto& column : columns)
        if (column.visible && column.width > 0 && !column.isFiller()) sum += column.width;
    return sum;
}

GridLayout BuildGridLayout(const Profile& ini, std::string_view nodeName, const GridFormatOptions& options,
                           const TGridParam& param, const GridTexts& texts, MemoryTable* table) {
    GridLayout layout;
    layout.nodeName = std::string(nodeName);
    MemoryTable scratch;  // stands in when the caller keeps no table
    MemoryTable& own = table ? *table : scratch;
    LayoutBuilder builder(ini, options, param, texts, layout);

    if (options.form == GridForm::ByFieldName || options.buildColumns) {
        if (auto done = builder.initGrid(own); !done) {
            layout.logLines.push_back(std::string(grid_log::kFormatFailed) + done.error());
            return layout;
        }
    }
    builder.applyColumnHints();
    if (options.form == GridForm::ByTag) {
        const int frozen = ReadGridInteger(ini, "FrozenCols", layout.nodeName).value_or(0);
        // A negative count would make no sense to any grid: it is ignored.
        if (frozen >= 0 && frozen < static_cast<int>(layout.columns.size())) layout.frozenCols = frozen;
    }
    if (options.showMenu) layout.menu = BuildGridMenu(ini);
    layout.createProcessFlag = true;
    return layout;
}

GridLayout FormatGridLayout(std::string_view nodeName, const GridFormatOptions& options, const TGridParam& param,
                            const GridTexts& texts, MemoryTable* table) {
    const Profile ini = Profile::Load(PathFromUtf8(BankIniPath()));
    GridLayout layout = BuildGridLayout(ini, nodeName, options, param, texts, table);
    for (const auto& line : layout.logLines) (void)WriteGridLog(line);
    return layout;
}

}  // namespace vantrel
