// The base window: design defaults, the caption override and the tab-strip
// captions taken at creation, and the combo lists read from Bank.ini.
#include <QtTest>

#include <QComboBox>
#include <QFrame>
#include <QLabel>

#include "TestFolder.h"
#include "common/TextCodec.h"
#include "widgets/TRedTabSet.h"
#include "widgets/TfrmNoneForm.h"

using namespace vantrel;

namespace {

// A window with a tab strip, named like the main window's filter strip.
class TabbedForm : public TfrmNoneForm {
public:
    TabbedForm() {
        setObjectName("frmTabbed");
        setWindowTitle("设计标题");
        strip = new TRedTabSet(ClientArea());
        strip->setObjectName("RTBIOKind");
        strip->setTabs({"全部", "入金", "出金"});
    }
    TRedTabSet* strip;
};

}  // namespace

class NoneFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestFolder> folder;
    std::unique_ptr<test::ScopedAppPath> appPath;

    void writeBankIni(const std::string& utf8) {
        auto gbk = Utf8ToGbk(utf8);
        QVERIFY(gbk.ok());
        folder->write("Bank.ini", gbk.value());
    }

private slots:
    void init() {
        folder = std::make_unique<test::TestFolder>();
        appPath = std::make_unique<test::ScopedAppPath>(*folder);
    }
    void cleanup() {
        appPath.reset();
        folder.reset();
    }

    void designDefaults() {
        TfrmNoneForm form;
        QCOMPARE(form.windowTitle(), QString("资金划转"));
        QCOMPARE(form.size(), QSize(911, 578));
        QCOMPARE(form.minimumSize(), form.maximumSize());  // dialog border: fixed
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.PanStatu->geometry().bottom() + 1, form.PanMore->contentsRect().bottom() + 1);
        QCOMPARE(form.lblBottom->geometry(), QRect(0, 577, 911, 1));
        QCOMPARE(form.lblRight->geometry(), QRect(910, 0, 1, 578));
    }

    void creationTakesCaptionAndTabCaptionsFromBankIni() {
        writeBankIni("[LabelCaption]\nfrmTabbed=改名窗口\n[RTBIOKind]\n0=All\n1=\nIn\n");
        auto form = CreateForm<TabbedForm>();
        QCOMPARE(form->windowTitle(), QString("改名窗口"));
        QCOMPARE(form->strip->tabs(), QStringList({"All", "", "In"}));
    }

    void absentSectionsKeepTheDesignCaptions() {
        writeBankIni("[Other]\nx=1\n");
        auto form = CreateForm<TabbedForm>();
        QCOMPARE(form->windowTitle(), QString("设计标题"));
        QCOMPARE(form->strip->tabs(), QStringList({"全部", "入金", "出金"}));
    }

    void anEmptySectionEmptiesTheStrip() {
        writeBankIni("[RTBIOKind]\n");
        auto form = CreateForm<TabbedForm>();
        QCOMPARE(form->strip->count(), 0);
    }

    void withoutBankIniAWindowKeepsItsDesignCaptions() {
        auto form = CreateForm<TabbedForm>();
        QCOMPARE(form->windowTitle(), QString("设计标题"));
        QCOMPARE(form->strip->tabs(), QStringList({"全部", "入金", "出金"}));
        QCOMPARE(CreateForm<TfrmNoneForm>()->windowTitle(), QString("资金划转"));
    }

    void comboItemsComeFromPrefixAndComboName() {
        writeBankIni("[frmVantreltxtIO1]\na=0.出金\nb=1.入金\n");
        QComboBox combo;
        combo.setObjectName("txtIO1");
        combo.addItems({"design"});
        LoadComboItems("frmVantrel", &combo);
        QCOMPARE(combo.count(), 2);
        QCOMPARE(combo.itemText(1), QString("1.入金"));
        combo.setObjectName("txtRate6");
        LoadComboItems("frmVantrel", &combo);
        QCOMPARE(combo.count(), 0);
    }
};

QTEST_MAIN(NoneFormTest)
#include "NoneFormTest.moc"
