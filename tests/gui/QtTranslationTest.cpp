// Qt's own texts once the library has started: Chinese, as on a Chinese
// Windows, unless the host translates them itself.
#include <QtTest>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

#include "GridFixture.h"
#include "TestFolder.h"
#include "entry/LibraryEntry.h"
#include "ProcessSession.h"

using namespace vantrel;

namespace {

// A host's own translation of Qt's texts.
class HostTranslation : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        return QByteArray(context) == "QPlatformTheme" && QByteArray(source) == "&Yes" ? QStringLiteral("Ja")
                                                                                       : QString();
    }
    bool isEmpty() const override { return false; }
};

QString YesButtonText() {
    QMessageBox box(QMessageBox::Information, "系统提示", "?", QMessageBox::Yes | QMessageBox::No);
    return box.button(QMessageBox::Yes)->text();
}

}  // namespace

class QtTranslationTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { EndProcessSession(); }

    void qtTextsAreChineseUnlessTheHostTranslatesThem() {
        test::TestFolder folder;
        test::ScopedAppPath appPath(folder);
        {
            HostTranslation host;
            QCoreApplication::installTranslator(&host);
            QVERIFY(EnsureLibraryRunning());
            QCOMPARE(YesButtonText(), QString("Ja"));
            QCoreApplication::removeTranslator(&host);
        }
        QCOMPARE(YesButtonText(), QString("&Yes"));
        QVERIFY(EnsureLibraryRunning());
        QVERIFY2(YesButtonText().contains(QStringLiteral("是")), qPrintable(YesButtonText()));
    }

    // The export's save dialog as the customer sees it, for docs/screenshots.
    void screenshots() {
        const QString shots = qEnvironmentVariable("VANTREL_SCREENSHOTS");
        if (shots.isEmpty()) QSKIP("VANTREL_SCREENSHOTS is not set");
        test::GridFixture f;
        f.addRow("甲", "1.5", "01", "1");
        QVERIFY(EnsureLibraryRunning());
        f.folder.write("转账明细.xls", "");
        f.folder.write("资金明细.xls", "");
        const QString before = QDir::currentPath();
        QDir::setCurrent(QString::fromStdString(f.folder.path().string()));
        bool saved = false;
        QTimer::singleShot(0, [&] {  // inside the dialog's exec()
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                QTest::qWait(200);
                saved = dialog->grab().save(shots + "/export-dialog.png");
                dialog->reject();
            }
        });
        const bool exported = f.formatter->ExportGridToExcel("出入金明细");
        QDir::setCurrent(before);
        QVERIFY(!exported);
        QVERIFY(saved);
    }
};

QTEST_MAIN(QtTranslationTest)
#include "QtTranslationTest.moc"
