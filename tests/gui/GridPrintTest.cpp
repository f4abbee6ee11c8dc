// Printing a grid: the printout on a PDF file read back with pdftotext, the
// preview window and its tool bar, the print set-up dialog, the page texts
// and the formatter log.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QToolButton>

#include "GridFixture.h"
#include "ScriptedPrompts.h"
#include "grid/TfrmPreview.h"
#include "grid/TfrmPrintSetup.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// The text of a PDF file, or a null string when pdftotext is missing.
QString PdfText(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) return {};
    QProcess run;
    run.start(tool, {"-layout", "-enc", "UTF-8", pdf, "-"});
    if (!run.waitForFinished(30000)) return {};
    return QString::fromUtf8(run.readAllStandardOutput());
}

void FillRows(GridFixture& f, int rows) {
    f.table().beginUpdate();
    for (int i = 1; i <= rows; ++i)
        f.addRow("行" + std::to_string(i), std::to_string(i) + ".25", "B" + std::to_string(i % 7), i % 2 ? "1" : "0");
    f.table().endUpdate();
}

}  // namespace

class GridPrintTest : public QObject {
    Q_OBJECT
private slots:
    void pdfPrintoutHoldsTitlesRowsAndFooterWithoutFiller() {
        GridFixture f;
        FillRows(f, 3);
        const QString pdf = QString::fromStdString((f.folder.path() / "out.pdf").string());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        f.formatter->BeforeGridStrings = {"打印日期 %[Today]"};
        f.formatter->AfterGridStrings = {"制表人"};
        QVERIFY(f.formatter->PrintTo(&printer, "转账明细"));
        QVERIFY(QFileInfo(pdf).size() > 0);
        // The filler is back in the grid afterwards.
        QVERIFY(!f.grid->isColumnHidden(4));

        const QString text = PdfText(pdf);
        if (text.isNull()) QSKIP("pdftotext (poppler-utils) is not installed");
        if (qEnvironmentVariableIsSet("DUMP_PDF")) qDebug().noquote() << text;
        for (const char* expected : {"转账明细", "名称", "金额", "银行", "选择", "行1", "行3", "1.25", "3.25", "合计",
                                     "6.75", "制表人"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        // pdftotext drops the blanks between Chinese characters and digits.
        QVERIFY(QString(text).remove(' ').contains("第1页"));
        QVERIFY(text.contains(QDate::currentDate().toString("yyyy-MM-dd")));
        QVERIFY(!text.contains("%[Today]"));
        // Titles come before the rows, rows in the table's order.
        QVERIFY(text.indexOf("名称") < text.indexOf("行1"));
        QVERIFY(text.indexOf("行1") < text.indexOf("行2"));
        QVERIFY(text.indexOf("行3") < text.indexOf("合计", text.indexOf("行3")));
    }

    void longTablesRunOverSeveralPagesInTheCurrentOrder() {
        GridFixture f;
        FillRows(f, 150);
        QVERIFY(f.table().addIndex("ByMoneyDesc", "Money", true));
        QVERIFY(f.table().setIndex("ByMoneyDesc"));
        const QString pdf = QString::fromStdString((f.folder.path() / "long.pdf").string());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        QVERIFY(f.formatter->PrintTo(&printer, "长表"));
        const QString text = PdfText(pdf);
        if (text.isNull()) QSKIP("pdftotext (poppler-utils) is not installed");
        const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));
        // Every page repeats the titles; the footer only on the last.
        for (const QString& page : pages) QVERIFY(page.contains("名称"));
        QVERIFY(QString(pages.first()).remove(' ').contains("第1页"));
        QVERIFY(QString(pages[1]).remove(' ').contains("第2页"));
        QVERIFY(!pages.first().contains("合计"));
        QVERIFY(pages.last().contains("合计"));
        // Descending: row 150 first, row 1 last.
        QVERIFY(pages.first().contains("行150"));
        QVERIFY(pages.last().contains("行1 ") || pages.last().contains("行1\n"));
        int total = 0;
        for (int i = 1; i <= 150; ++i) total += text.contains(QString("行%1 ").arg(i)) ? 1 : 0;
        QCOMPARE(total, 150);
    }

    void printerLayoutFitsWideGridsToThePage() {
        GridFixture f;
        FillRows(f, 2);
        ExportSheet sheet = BuildExportSheet(f.formatter->currentLayout(), f.formatter->GridParam(), f.table(),
                                             f.formatter->exportOptions())
                                .value();
        for (auto& column : sheet.columns) column.width = 2000;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString((f.folder.path() / "wide.pdf").string()));
        GridPrintSettings settings;
        settings.optimalColumnWidths = false;
        GridPrinter scaled(sheet, settings);
        QCOMPARE(scaled.pageCount(&printer), 1);
        QVERIFY(scaled.gridScale() < 1);
        settings.fit = PrintFit::ChangeColumnWidths;
        GridPrinter narrowed(sheet, settings);
        (void)narrowed.pageCount(&printer);
        QCOMPARE(narrowed.gridScale(), 1.0);
        double sum = 0;
        for (double w : narrowed.columnWidths()) sum += w;
        const double page = printer.pageLayout().paintRectPixels(printer.resolution()).width();
        QVERIFY(sum <= page + 1);
        // Optimal widths follow the texts, not the grid's widths.
        settings.optimalColumnWidths = true;
        GridPrinter optimal(sheet, settings);
        (void)optimal.pageCount(&printer);
        QVERIFY(optimal.columnWidths()[0] < 2000);
    }

    void pageTextsExpandDateAndPage() {
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        QCOMPARE(ExpandPrintText("%[Today] 第 &[Page] 页", QDate(2024, 3, 5), 7, chinese),
                 QString("2024-03-05 星期二 第 7 页"));
        QCOMPARE(ExpandPrintText("no fields", QDate(2024, 3, 5), 1, chinese), QString("no fields"));
    }

    void failedPrintIsLoggedAndTheFillerComesBack() {
        GridFixture f;
        QVERIFY(!f.formatter->PrintTo(nullptr, "x"));
        QVERIFY(!f.grid->isColumnHidden(4));
        QVERIFY(GridLogText(f.folder).find("uQDBGrid -> Print -> 数据打印失败!") != std::string::npos);
    }

    void previewWindowShowsPagesAndToolBar() {
        GridFixture f;
        FillRows(f, 120);
        f.parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f.parent));
        bool seen = false;
        bool fillerHidden = false;
        QTimer::singleShot(0, [&] {
            auto* preview = qobject_cast<TfrmPreview*>(QApplication::activeModalWidget());
            QVERIFY(preview);
            seen = true;
            fillerHidden = f.grid->isColumnHidden(4);
            QCOMPARE(preview->windowTitle(), QString("预览"));
            QVERIFY(preview->windowState() & Qt::WindowMaximized);
            QStringList captions;
            for (const char* name : {"btnPrint", "btnPrintSetup", "btnPrior", "btnNext", "btnStop", "btnClose"})
                captions << preview->findChild<QAction*>(name)->text();
            QCOMPARE(captions, QStringList({"打印", "打印设置", "上一页", "下一页", "停止", "关闭"}));
            QCOMPARE(preview->findChild<QToolButton*>("btnZoom")->text(), QString("比例"));
            QCOMPARE(TfrmPreview::zoomChoices(), QStringList({"500%", "200%", "150%", "100%", "75%", "50%", "25%",
                                                              "10%", "页面宽度", "整页"}));
            QCOMPARE(preview->zoomChoice(), 8);
            QVERIFY(preview->pageCount() >= 2);
            QCOMPARE(preview->statusText(), QString("第 1页/共 %1页").arg(preview->pageCount()));
            QVERIFY(!preview->findChild<QAction*>("btnPrior")->isEnabled());
            QVERIFY(preview->findChild<QAction*>("btnNext")->isEnabled());
            QVERIFY(!preview->findChild<QAction*>("btnStop")->isEnabled());
            QVERIFY(preview->findChild<QAction*>("btnClose")->isEnabled());
            preview->findChild<QAction*>("btnNext")->trigger();
            QCOMPARE(preview->currentPage(), 2);
            QVERIFY(preview->findChild<QAction*>("btnPrior")->isEnabled());
            QCOMPARE(preview->statusText(), QString("第 2页/共 %1页").arg(preview->pageCount()));
            preview->chooseZoom(3);
            QCOMPARE(preview->previewWidget()->zoomFactor(), 1.0);
            preview->chooseZoom(9);
            QCOMPARE(preview->previewWidget()->zoomMode(), QPrintPreviewWidget::FitInView);
            preview->goToPage(1);
            preview->chooseZoom(8);
            const QByteArray folder = qgetenv("VANTREL_SCREENSHOTS");
            if (!folder.isEmpty()) {
                preview->showNormal();
                preview->resize(900, 700);
                preview->chooseZoom(9);
                QTest::qWait(200);
                preview->grab().save(QString::fromLocal8Bit(folder) + "/preview.png");
            }
            QVERIFY(preview->renderStatus());
            preview->findChild<QAction*>("btnClose")->trigger();
        });
        QVERIFY(f.formatter->Print("转账明细"));
        QVERIFY(seen);
        QVERIFY(fillerHidden);
        QVERIFY(!f.grid->isColumnHidden(4));
    }

    void printSetupEditsTheSettings() {
        GridPrintSettings settings;
        QPrinter printer;
        ScriptedPrompts user;
        user.fonts = {QFont("WenQuanYi Micro Hei", 12)};
        {
            TfrmPrintSetup dialog(&settings, &printer);
            QCOMPARE(dialog.windowTitle(), QString("打印设置"));
            dialog.findChild<QDoubleSpinBox*>("edtTop")->setValue(25);
            dialog.findChild<QDoubleSpinBox*>("edtLeft")->setValue(5);
            dialog.findChild<QCheckBox*>("chkColor")->setChecked(false);
            dialog.findChild<QCheckBox*>("chkStretchLines")->setChecked(true);
            dialog.findChild<QRadioButton*>("rbChangeWidths")->setChecked(true);
            QTest::mouseClick(dialog.findChild<QPushButton*>("btnFont"), Qt::LeftButton);
            QVERIFY(dialog.findChild<QLineEdit*>("edtFont")->text().contains("12pt"));
            const QByteArray folder = qgetenv("VANTREL_SCREENSHOTS");
            if (!folder.isEmpty()) {
                dialog.show();
                QVERIFY(QTest::qWaitForWindowExposed(&dialog));
                dialog.grab().save(QString::fromLocal8Bit(folder) + "/print-setup.png");
            }
            dialog.accept();
        }
        QCOMPARE(settings.marginsMm.top(), 25.0);
        QCOMPARE(settings.marginsMm.left(), 5.0);
        QVERIFY(!settings.color);
        QVERIFY(settings.stretchLines);
        QCOMPARE(settings.fit, PrintFit::ChangeColumnWidths);
        QCOMPARE(settings.font.pointSize(), 12);
        {
            TfrmPrintSetup dialog(&settings, &printer);
            dialog.findChild<QDoubleSpinBox*>("edtTop")->setValue(40);
            dialog.reject();
        }
        QCOMPARE(settings.marginsMm.top(), 25.0);
    }
};

QTEST_MAIN(GridPrintTest)
#include "GridPrintTest.moc"
