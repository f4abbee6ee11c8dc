// The result grid as a formatter sets it up: columns and table from
// Bank.ini, footers that follow the table, title-click sorting, check boxes,
// the filler column, owner-drawn rows, scrolling, exports through the save
// dialog and the formatter log.
#include <QtTest>

#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

#include "GridFixture.h"
#include "ScriptedPrompts.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

void ClickTitle(DBGrid& grid, int column) {
    QHeaderView* header = grid.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void ClickCell(DBGrid& grid, int row, int column) {
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier,
                      grid.visualRect(grid.model()->index(row, column)).center());
}

std::string ReadFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

// The filler layout: two 250-pixel columns and the filler.
const char* const kTwoColumns = R"([MoneyDBMoreGrid]
ColWidth=250,250
ColTotal=0,0
ColVisual=1,1
ColTag=1,2
ColAlign=C,C
ColColor=clWhite,clWhite
ColStyle=0,0
ColDBWidth=10,10
ColDataType=0,0
A=甲
B=乙
)";

}  // namespace

class GridViewTest : public QObject {
    Q_OBJECT
private slots:
    void formattingBuildsColumnsTableAndMenu() {
        GridFixture f;
        QCOMPARE(f.formatter->NodeName(), QString("MoneyDBMoreGrid"));
        QVERIFY(f.formatter->CreateProcessFlag);
        QVERIFY(f.formatter->ProcessFlag());
        QCOMPARE(f.grid->gridColumnCount(), 5);  // four columns and the filler
        QVERIFY(f.grid->columns().back().isFiller());
        QCOMPARE(f.grid->columns()[0].width, 100);
        QCOMPARE(f.grid->columnWidth(1), 120);
        QCOMPARE(f.grid->model()->headerData(1, Qt::Horizontal).toString(), QString("金额"));
        QCOMPARE(f.table().fieldCount(), 5);
        QCOMPARE(f.table().fields()[4].name, std::string("tmp99"));
        QCOMPARE(f.grid->table(), &f.table());
        QCOMPARE(f.formatter->CheckBoxFieldName(), std::string("Checked"));
        QCOMPARE(f.formatter->CheckBoxFieldIndex(), 3);
        QCOMPARE(f.grid->footerRowCount(), 1);

        QMenu* menu = f.grid->popupMenu();
        QVERIFY(menu);
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions()[0]->text(), QString("导出"));
        QCOMPARE(menu->actions()[1]->objectName(), QString("p06"));
        QMenu* exports = menu->actions()[0]->menu();
        QVERIFY(exports);
        QStringList names;
        for (QAction* a : exports->actions()) names << a->objectName();
        QCOMPARE(names, QStringList({"p0501", "p0502", "p0503"}));
        QCOMPARE(exports->actions()[2]->text(), QString("文本文件"));
    }

    void failuresReachTheLogOrTheCaller() {
        // Form 1 without a grid is the caller's error and changes nothing.
        GridFixture f(kGridIni, false);
        TFormatDBGrid& fmt = *f.formatter;
        Status done = fmt.FormatDBGrid(true, true);
        QVERIFY(!done);
        QCOMPARE(QString::fromStdString(done.error()), QString("没有指定要显示的DBGrid!"));
        QVERIFY(GridLogText(f.folder).empty());

        // A grid section of five lines: logged, no menu, not formatted.
        GridFixture g("[MoneyDBMoreGrid]\nColWidth=1\nColTotal=1\nColVisual=1\nColTag=1\nColAlign=C\n", false);
        QVERIFY(g.formatter->FormatDBGrid(g.grid, true, false, true));
        QVERIFY(!g.formatter->CreateProcessFlag);
        QVERIFY(!g.grid->popupMenu());
        QVERIFY(GridLogText(g.folder).find("uQDBGrid -> FormatDBGrid -> 表格初始化失败!") != std::string::npos);

        // A bad colour ends the column loop at its column; the rest is formatted.
        std::string bad = kGridIni;
        bad.replace(bad.find("$F0FBFF"), 7, "clNoSuch");
        GridFixture h(bad);
        QVERIFY(h.formatter->CreateProcessFlag);
        QCOMPARE(h.grid->gridColumnCount(), 4);  // Name, Money, Bank as far as it got, filler
        QVERIFY(GridLogText(h.folder).find("uQDBGrid -> InitGrid -> 表格配置文件有误!") != std::string::npos);

        // An index section naming a field the table lacks.
        std::string indexed = kGridIni;
        indexed.replace(indexed.find("TotalCN"), 0, "CreateIndexFlag=1\n");
        indexed += "[MoneyDBMoreGridIndex]\nName=ix\nFields=NoSuchField\nDir=0\n";
        GridFixture i(indexed);
        QVERIFY(GridLogText(i.folder).find("uQDBGrid -> CreateDefaultIndex->索引创建失败") != std::string::npos);
    }

    void footersFollowTheTable() {
        GridFixture f;
        QCOMPARE(f.grid->footerText(0), QString("合计"));
        QCOMPARE(f.grid->footerText(1), QString("0.00"));
        QCOMPARE(f.grid->footerText(2), QString("0"));
        f.addRow("甲", "1000.5", "01", "0");
        f.addRow("乙", "234", "02", "1");
        QCOMPARE(f.grid->footerText(1), QString("1234.50"));
        QCOMPARE(f.grid->footerText(2), QString("2"));
        // A batch notifies once, at its end.
        f.table().beginUpdate();
        f.addRow("丙", "0.01", "03", "");
        QCOMPARE(f.grid->footerText(2), QString("2"));
        f.table().endUpdate();
        QCOMPARE(f.grid->footerText(2), QString("3"));
        QCOMPARE(f.grid->footerText(1), QString("1234.51"));
        QCOMPARE(f.grid->model()->rowCount(), 3);
        // A changed value changes the sum.
        QVERIFY(f.table().setText(0, "Money", "0"));
        QCOMPARE(f.grid->footerText(1), QString("234.01"));
        // Another table bound to the grid: the footers are its totals.
        MemoryTable other;
        QVERIFY(other.defineFields({{"Name", FieldType::Text, 10}, {"Money", FieldType::Float, 0}}));
        QVERIFY(other.appendRow({"x", "7"}));
        f.grid->setTable(&other);
        QCOMPARE(f.grid->footerText(1), QString("7.00"));
        QCOMPARE(f.grid->footerText(2), QString("1"));
        f.grid->setTable(nullptr);
    }

    void threeTitleClicksSortDownUpDown() {
        GridFixture f;
        f.addRow("b", "2", "x", "0");
        f.addRow("a", "3", "y", "0");
        f.addRow("c", "1", "z", "0");
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        auto names = [&] {
            QStringList list;
            for (int r = 0; r < f.grid->model()->rowCount(); ++r)
                list << f.grid->model()->index(r, 0).data().toString();
            return list;
        };
        ClickTitle(*f.grid, 1);
        QCOMPARE(QString::fromStdString(f.table().activeIndex()), QString("Money_DOWN"));
        QCOMPARE(f.grid->sortMarker(1), SortMarker::Up);
        QCOMPARE(names(), QStringList({"c", "b", "a"}));
        ClickTitle(*f.grid, 1);
        QCOMPARE(QString::fromStdString(f.table().activeIndex()), QString("Money_UP"));
        QCOMPARE(f.grid->sortMarker(1), SortMarker::Down);
        QCOMPARE(names(), QStringList({"a", "b", "c"}));
        ClickTitle(*f.grid, 1);
        QCOMPARE(QString::fromStdString(f.table().activeIndex()), QString("Money_DOWN"));
        QCOMPARE(f.grid->sortMarker(1), SortMarker::Up);
        // Only one title-click index exists at a time.
        QCOMPARE(f.table().indexNames().size(), size_t(1));

        // Another column starts ascending; the first keeps its marker.
        ClickTitle(*f.grid, 0);
        QCOMPARE(QString::fromStdString(f.table().activeIndex()), QString("Name_DOWN"));
        QCOMPARE(names(), QStringList({"a", "b", "c"}));
        QCOMPARE(f.grid->sortMarker(1), SortMarker::Up);

        // Check-box and filler titles do not sort.
        ClickTitle(*f.grid, 3);
        ClickTitle(*f.grid, 4);
        QCOMPARE(QString::fromStdString(f.table().activeIndex()), QString("Name_DOWN"));
        QCOMPARE(f.grid->sortMarker(3), SortMarker::None);

        // Without a table a click does nothing.
        f.grid->setTable(nullptr);
        ClickTitle(*f.grid, 2);
        QCOMPARE(f.grid->sortMarker(2), SortMarker::None);
    }

    void checkBoxClicksWriteTheTable() {
        GridFixture f(kGridIni, false);
        f.formatter->CheckBoxFlag = true;
        f.formatter->CheckColFlag = 3;
        QVERIFY(f.formatter->FormatDBGrid(f.grid, true, false, true));
        f.addRow("a", "1", "x", "0");
        f.addRow("b", "1", "x", "");
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        QSignalSpy toggled(f.grid, &DBGrid::checkBoxToggled);
        ClickCell(*f.grid, 0, 3);
        QCOMPARE(f.table().text(0, "Checked"), std::string("1"));
        QCOMPARE(f.grid->model()->index(0, 3).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
        ClickCell(*f.grid, 0, 3);
        QCOMPARE(f.table().text(0, "Checked"), std::string("0"));
        // A greyed (empty) box becomes checked, not "1 - nothing".
        QCOMPARE(f.grid->model()->index(1, 3).data(Qt::CheckStateRole).value<Qt::CheckState>(),
                 Qt::PartiallyChecked);
        ClickCell(*f.grid, 1, 3);
        QCOMPARE(f.table().text(1, "Checked"), std::string("1"));
        QCOMPARE(toggled.count(), 3);
    }

    void checkBoxTogglesOnlyWhereConfigured_data() {
        QTest::addColumn<bool>("flag");
        QTest::addColumn<int>("checkCol");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<bool>("ownTable");
        QTest::addColumn<QString>("expected");
        QTest::newRow("flag off, check-box column") << false << 3 << 3 << true << "0";
        QTest::newRow("flag on, CheckColFlag") << true << 3 << 3 << true << "1";
        QTest::newRow("CheckColFlag on another column") << true << 0 << 0 << true << "1";
        QTest::newRow("check-box column not CheckColFlag") << true << 0 << 3 << true << "0";
        QTest::newRow("a result table shown") << true << 3 << 3 << false << "0";
    }

    void checkBoxTogglesOnlyWhereConfigured() {
        QFETCH(bool, flag);
        QFETCH(int, checkCol);
        QFETCH(int, clicked);
        QFETCH(bool, ownTable);
        QFETCH(QString, expected);
        GridFixture f(kGridIni, false);
        f.formatter->CheckBoxFlag = flag;
        f.formatter->CheckColFlag = checkCol;
        QVERIFY(f.formatter->FormatDBGrid(f.grid, true, false, true));
        f.addRow("a", "1", "x", "0");
        // A request's answer with the same columns, bound as the main window does.
        MemoryTable answer;
        answer.copyFrom(f.table());
        if (!ownTable) f.grid->setTable(&answer);
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        ClickCell(*f.grid, 0, clicked);
        const MemoryTable& shown = ownTable ? f.table() : answer;
        QCOMPARE(QString::fromStdString(shown.text(0, "Checked")), expected);
        QCOMPARE(f.table().text(0, "Checked"), ownTable ? expected.toStdString() : std::string("0"));
    }

    void editButtonColumnCallsTheHandlerForDataRowsOnly() {
        std::string ini = kGridIni;
        ini.replace(ini.find("ColTotal=1,3,2,0"), 16, "ColTotal=99,3,2,0");
        GridFixture f(ini, false);
        int calls = 0;
        f.formatter->EditButtonClick = [&](DBGrid* sender, bool&) { calls += sender == f.grid; };
        QVERIFY(f.formatter->FormatDBGrid(f.grid, false, false, true));
        QVERIFY(f.grid->columns()[0].editButton);
        f.addRow("a", "1", "x", "0");
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        ClickTitle(*f.grid, 0);
        QCOMPARE(calls, 0);
        ClickCell(*f.grid, 0, 0);
        QCOMPARE(calls, 1);
    }

    void fillerColumnFillsTheParent() {
        GridFixture f(kTwoColumns);
        const int filler = 2;
        QVERIFY(f.grid->columns()[filler].isFiller());
        QCOMPARE(f.grid->columns()[filler].width, 1024 - 500 - 20);  // first width from the screen
        f.formatter->ResizeSpaceCol();
        QCOMPARE(f.grid->columns()[filler].width, 270);  // |800 - 500 - 30|
        QCOMPARE(f.grid->columnWidth(filler), 270);
        f.grid->setColumnWidthOf(0, 530);  // a width change resizes the filler
        QCOMPARE(f.grid->columns()[filler].width, 10);
        f.grid->setColumnWidthOf(0, 550);
        QCOMPARE(f.grid->columns()[filler].width, 0);
        QVERIFY(!f.grid->isColumnHidden(filler));
        f.formatter->ResizeSpaceCol();
        QVERIFY(f.grid->isColumnHidden(filler));
        // Hidden through later resizes until shown again.
        f.grid->setColumnWidthOf(0, 250);
        QVERIFY(f.grid->isColumnHidden(filler));
        f.formatter->ShowSpaceCol();
        QVERIFY(!f.grid->isColumnHidden(filler));
        f.formatter->HideSpaceCol();
        QVERIFY(f.grid->isColumnHidden(filler));
        // A wider parent widens the filler on its own.
        f.formatter->ShowSpaceCol();
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        f.parent.resize(1000, 300);
        QTest::qWait(50);
        QCOMPARE(f.grid->columns()[filler].width, 1000 - 500 - 30);
    }

    void ownerDrawingColoursRows() {
        std::string ini = kGridIni;
        ini.replace(ini.find("TotalCN"), 0,
                    "ChangeDataColorFlag=1\nEvenColor=12632256\nOldColor=16777215\nSelectColor=255\nCheckedColor=65280\n");
        GridFixture f(ini);
        for (int i = 0; i < 4; ++i) f.addRow("r" + std::to_string(i), "1", "x", i == 3 ? "1" : "0");
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        f.grid->setCurrentIndex(f.grid->model()->index(0, 0));
        const QImage image = f.grid->viewport()->grab().toImage();
        auto colourAt = [&](int row) {
            const QRect cell = f.grid->visualRect(f.grid->model()->index(row, 0));
            return image.pixelColor(cell.left() + 1, cell.top() + 2);
        };
        QCOMPARE(colourAt(0), QColor(255, 0, 0));      // current row: SelectColor
        QCOMPARE(colourAt(1), QColor(192, 192, 192));  // row 2: EvenColor
        QCOMPARE(colourAt(2), QColor(255, 255, 255));  // row 3: OldColor
        QCOMPARE(colourAt(3), QColor(0, 255, 0));      // checked row: CheckedColor
        // The view's current row is the table's current record.
        f.grid->setCurrentIndex(f.grid->model()->index(2, 1));
        QCOMPARE(f.table().recNo(), 2);
    }

    void titleColourFollowsTheFocus() {
        std::string ini = kGridIni;
        ini.replace(ini.find("TotalCN"), 0, "ChangeHeadColorFlag=1\nTitleUpColor=255\nTitleHotColor=65280\n");
        GridFixture f(ini);
        auto* other = new QLineEdit(&f.parent);
        other->move(0, 310);
        f.parent.resize(800, 350);
        f.parent.show();
        f.parent.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.parent));
        f.grid->setFocus();
        QTRY_COMPARE(f.grid->fixedColor(), 65280);
        other->setFocus();
        QTRY_COMPARE(f.grid->fixedColor(), 255);
    }

    void scrollCommandsMoveByWholeColumns() {
        GridFixture f;
        f.parent.resize(120, 300);
        f.grid->resize(120, 300);
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        QCOMPARE(f.grid->firstVisibleColumn(), 0);
        QCOMPARE(f.grid->scrollColumns(1), 1);
        QCOMPARE(f.grid->horizontalScrollBar()->value(), 100);
        QCOMPARE(f.grid->scrollColumns(1), 2);
        QCOMPARE(f.grid->scrollColumns(-5), 0);
        QCOMPARE(f.grid->horizontalScrollBar()->value(), 0);
    }

    void exportsFollowTheExtensionRules() {
        GridFixture f;
        f.addRow("甲", "1.5", "01", "1");
        ScriptedPrompts user;
        const QString dir = QString::fromStdString(f.folder.path().string());
        user.files = {dir + "/a", dir + "/b.XLS", dir + "/c.txt", dir + "/d.htm", dir + "/e.txt", dir + "/f"};
        QVERIFY(f.formatter->ExportGridToExcel("init"));
        QCOMPARE(user.saveRequests[0].defaultSuffix, QString("xls"));
        QCOMPARE(user.saveRequests[0].fileName, QString("init"));
        QVERIFY(user.saveRequests[0].filter.contains("*.xls"));
        QVERIFY(QFile::exists(dir + "/a.xls"));
        QVERIFY(f.formatter->ExportGridToExcel());
        QVERIFY(QFile::exists(dir + "/b.XLS"));
        QVERIFY(f.formatter->ExportGridToExcel());
        QVERIFY(QFile::exists(dir + "/c.txt.xls"));
        QVERIFY(f.formatter->ExportGridToHTML());
        QCOMPARE(user.saveRequests[3].defaultSuffix, QString("htm"));
        QVERIFY(QFile::exists(dir + "/d.htm"));
        QVERIFY(f.formatter->ExportGridToHTML());
        QVERIFY(QFile::exists(dir + "/e.txt.htm"));
        QVERIFY(f.formatter->ExportGridToText());
        QCOMPARE(user.saveRequests[5].defaultSuffix, QString("txt"));
        // Text: titles, the row, the footer; the visible filler is an empty column.
        const std::string text = ReadFile(dir + "/f.txt");
        QCOMPARE(QString::fromStdString(GbkToUtf8(text).value()),
                 QString("名称\t金额\t银行\t选择\t\r\n甲\t1.50\t01\t1\t\r\n合计\t1.50\t1\t\t"));
        const std::string html = GbkToUtf8(ReadFile(dir + "/d.htm")).value();
        QVERIFY(html.find("<TITLE>\r\nDBMoreGrid\r\n</TITLE>") != std::string::npos);
        QVERIFY(html.find(">甲<") != std::string::npos);
        const std::string xls = ReadFile(dir + "/a.xls");
        QCOMPARE(xls.substr(0, 4), std::string("\x09\x08\x08\x00", 4));
        if (XlsxExportAvailable()) {
            // The worksheet dialog offers the workbook too; its extension picks it.
            QVERIFY(user.saveRequests[0].filter.contains("*.xlsx"));
            user.files = {dir + "/g.XLSX"};
            QVERIFY(f.formatter->ExportGridToExcel());
            QCOMPARE(ReadFile(dir + "/g.XLSX").substr(0, 2), std::string("PK"));
            QVERIFY(!QFile::exists(dir + "/g.XLSX.xls"));
        }

        // Cancelled: no file, nothing logged.
        QVERIFY(!f.formatter->ExportGridToText());
        QVERIFY(GridLogText(f.folder).empty());
        // A folder that does not exist: logged with the format's prefix.
        user.files = {dir + "/missing/x"};
        QVERIFY(!f.formatter->ExportGridToText());
        QVERIFY(GridLogText(f.folder).find("uQDBGrid -> ExportGridToText ->") != std::string::npos);
    }

    void replacingAFileAsksAboutTheFileWritten_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("answer");
        QTest::newRow("typed without extension, declined") << "a" << "a.xls" << int(IdNo);
        QTest::newRow("other extension, declined") << "b.txt" << "b.txt.xls" << int(IdNo);
        QTest::newRow("accepted") << "c.xls" << "c.xls" << int(IdYes);
    }

    void replacingAFileAsksAboutTheFileWritten() {
        QFETCH(QString, chosen);
        QFETCH(QString, written);
        QFETCH(int, answer);
        GridFixture f;
        f.addRow("甲", "1.5", "01", "1");
        const QString dir = QString::fromStdString(f.folder.path().string());
        const QString target = dir + "/" + written;
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        ScriptedPrompts user;
        user.files = {dir + "/" + chosen};
        user.answers = {answer};
        QCOMPARE(f.formatter->ExportGridToExcel(), answer == IdYes);
        QCOMPARE(user.messages.size(), size_t(1));
        QVERIFY2(user.messages[0].text.contains(QDir::toNativeSeparators(target)), qPrintable(user.messages[0].text));
        QCOMPARE(user.messages[0].buttons, int(MbYesNo));
        QCOMPARE(ReadFile(target) == "old", answer != IdYes);
    }

    void menuItemsExport() {
        GridFixture f;
        ScriptedPrompts user;
        const QString dir = QString::fromStdString(f.folder.path().string());
        user.files = {dir + "/m"};
        QMenu* exports = f.grid->popupMenu()->actions()[0]->menu();
        exports->actions()[1]->trigger();  // HTML
        QVERIFY(QFile::exists(dir + "/m.htm"));
        QCOMPARE(user.saveRequests.size(), size_t(1));
    }

    void screenshot() {
        const QByteArray folder = qgetenv("VANTREL_SCREENSHOTS");
        if (folder.isEmpty()) QSKIP("VANTREL_SCREENSHOTS is not set");
        std::string ini = kGridIni;
        ini.replace(ini.find("TotalCN"), 0, "ChangeDataColorFlag=1\nLinesFlag=1\nEvenColor=15790320\n");
        GridFixture f(ini, true, 620);
        // A code table, as the main window fills it after formatting.
        std::vector<GridColumn> columns = f.grid->columns();
        columns[2].keyList = {"01", "02", "03"};
        columns[2].pickList = {"工商银行", "建设银行", "农业银行"};
        f.grid->setColumns(columns);
        f.addRow("入金", "12000", "01", "1");
        f.addRow("出金", "3500.5", "02", "0");
        f.addRow("入金", "800.25", "03", "0");
        f.addRow("出金", "99.99", "01", "");
        f.parent.resize(620, 190);
        f.grid->resize(620, 190);
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        f.grid->setCurrentIndex(f.grid->model()->index(1, 0));
        f.grid->scrollToTop();
        QVERIFY(f.grid->model()->index(0, 2).data().toString() == "工商银行");
        QVERIFY(f.parent.grab().save(QString::fromLocal8Bit(folder) + "/grid.png"));
    }
};

QTEST_MAIN(GridViewTest)
#include "GridViewTest.moc"
