// The tab strip: layout, selection by mouse and accelerator, the caption
// list's effect on the selection, the scroller and the painting.
#include <QtTest>

#include <QSignalSpy>
#include <QToolButton>

#include "widgets/TRedTabSet.h"

using namespace vantrel;

namespace {

const QStringList Kinds = {"全部", "入金", "出金"};

QStringList Numbered(int n) {
    QStringList captions;
    for (int i = 0; i < n; ++i) captions << QString("Tab%1").arg(i);
    return captions;
}

void Press(TRedTabSet& strip, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(QEvent::MouseButtonPress, at, strip.mapToGlobal(at), button, button, Qt::NoModifier);
    QCoreApplication::sendEvent(&strip, &event);
}

// Paints once, so that the layout of the last painting is current.
QImage Paint(TRedTabSet& strip) { return strip.grab().toImage(); }

}  // namespace

class RedTabSetTest : public QObject {
    Q_OBJECT
private slots:
    void defaults() {
        TRedTabSet strip;
        QCOMPARE(strip.size(), QSize(185, 21));
        QCOMPARE(strip.tabIndex(), -1);
        QCOMPARE(strip.visibleTabs(), 0);
        QCOMPARE(strip.startMargin(), 5);
        QCOMPARE(strip.endMargin(), 5);
        QCOMPARE(strip.lineColor(), QColor(255, 0, 0));
        QCOMPARE(strip.selectedFontColor(), QColor(255, 0, 0));
        QCOMPARE(strip.selectedColor(), strip.palette().color(QPalette::Button));
        QVERIFY(strip.autoScroll());
        QCOMPARE(strip.focusPolicy(), Qt::NoFocus);
        QCOMPARE(strip.drawHeight(), strip.fontMetrics().height() + 4);
        // The font is the application's, not the parent's.
        QWidget parent;
        QFont big = parent.font();
        big.setPointSize(30);
        big.setBold(true);
        parent.setFont(big);
        auto* child = new TRedTabSet(&parent);
        QVERIFY(child->font().pointSize() != 30);
        QVERIFY(!child->font().bold());
    }

    void captionsStartNinePixelsApart() {
        TRedTabSet strip;
        strip.resize(300, 21);
        strip.setStartMargin(0);
        strip.setTabs(Kinds);
        Paint(strip);
        QCOMPARE(strip.visibleTabs(), 3);
        const auto& at = strip.tabPositions();
        QCOMPARE(at[0].x, 9);
        for (int i = 0; i < 3; ++i) QCOMPARE(at[i].width, strip.fontMetrics().horizontalAdvance(Kinds[i]));
        QCOMPARE(at[1].x, at[0].x + at[0].width + 9);
        QCOMPARE(at[2].x, at[1].x + at[1].width + 9);
        QVERIFY(!strip.scrollerVisible());
    }

    void captionListKeepsTheSelectionConsistent() {
        TRedTabSet strip;
        QSignalSpy clicks(&strip, &TRedTabSet::clicked);
        // Assigning the whole list selects the first tab.
        strip.setTabs(Kinds);
        QCOMPARE(strip.tabIndex(), 0);
        QCOMPARE(clicks.count(), 1);
        // Replacing through the caption list leaves no selection.
        strip.replaceTabs({"A", "B", "C", "D"});
        QCOMPARE(strip.tabs(), (QStringList{"A", "B", "C", "D"}));
        QCOMPARE(strip.tabIndex(), -1);
        QCOMPARE(clicks.count(), 1);

        strip.setTabIndex(2);
        QCOMPARE(clicks.count(), 2);
        strip.insertTab(0, "Z");  // before the selection: it follows its caption
        QCOMPARE(strip.tabIndex(), 3);
        strip.insertTab(4, "Y");  // after it: no change
        QCOMPARE(strip.tabIndex(), 3);
        strip.removeTab(0);       // an earlier caption goes: still "C"
        QCOMPARE(strip.tabs()[strip.tabIndex()], QString("C"));
        QCOMPARE(clicks.count(), 2);

        // Deleting the selected caption keeps the position and reports it.
        strip.removeTab(2);
        QCOMPARE(strip.tabIndex(), 2);
        QCOMPARE(strip.tabs()[2], QString("Y"));
        QCOMPARE(clicks.count(), 3);
        // ... or falls back to the new last tab.
        strip.setTabIndex(strip.count() - 1);
        const int before = clicks.count();
        strip.removeTab(strip.count() - 1);
        QCOMPARE(strip.tabIndex(), strip.count() - 1);
        QCOMPARE(clicks.count(), before + 1);

        strip.setTabText(0, "First");
        QCOMPARE(strip.tabs()[0], QString("First"));
        strip.clearTabs();
        QCOMPARE(strip.tabIndex(), -1);
        QCOMPARE(strip.count(), 0);
    }

    void tabIndexChecksAndAsksFirst() {
        TRedTabSet strip;
        strip.setTabs(Kinds);
        QSignalSpy clicks(&strip, &TRedTabSet::clicked);
        QSignalSpy asks(&strip, &TRedTabSet::changing);

        for (int bad : {3, -2, 100}) {
            const Status status = strip.changeTabIndex(bad);
            QVERIFY(!status.ok());
            QCOMPARE(QString::fromStdString(status.error()), QString("Tab index out of bounds"));
        }
        QCOMPARE(strip.tabIndex(), 0);
        QVERIFY(strip.changeTabIndex(0).ok());  // unchanged: nothing asked, nothing fired
        QCOMPARE(asks.count(), 0);
        QCOMPARE(clicks.count(), 0);

        bool veto = true;
        connect(&strip, &TRedTabSet::changing, this, [&](int, bool* allow) { if (veto) *allow = false; });
        strip.setTabIndex(2);
        QCOMPARE(strip.tabIndex(), 0);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(asks.last().at(0).toInt(), 2);
        veto = false;
        strip.setTabIndex(2);
        QCOMPARE(strip.tabIndex(), 2);
        QCOMPARE(clicks.count(), 1);
        QVERIFY(strip.setProperty("tabIndex", -1));
        QCOMPARE(strip.tabIndex(), -1);
    }

    void mouseSelectsWithSlack() {
        TRedTabSet strip;
        strip.resize(300, 21);
        strip.setStartMargin(0);
        strip.setTabs(Kinds);
        Paint(strip);
        QSignalSpy clicks(&strip, &TRedTabSet::clicked);
        QSignalSpy asks(&strip, &TRedTabSet::changing);
        const auto at = strip.tabPositions();
        const int h = strip.drawHeight();

        Press(strip, {at[0].x + 2, 3});  // the selected tab: nothing happens
        QCOMPARE(asks.count(), 0);
        QCOMPARE(clicks.count(), 0);

        Press(strip, {at[1].x - 3, 1});  // 3 px left of the caption near the top
        QCOMPARE(strip.tabIndex(), 1);
        QCOMPARE(clicks.count(), 1);
        Press(strip, {at[2].x - 4, h - 1});  // 4 px left near the bottom
        QCOMPARE(strip.tabIndex(), 2);
        Press(strip, {at[1].x - 5, 1});  // in the middle of the edge, near the top: neither
        QCOMPARE(strip.tabIndex(), 2);
        Press(strip, {at[0].x + 2, h + 1});  // below the tabs
        Press(strip, {at[0].x + 2, 3}, Qt::RightButton);
        QCOMPARE(strip.tabIndex(), 2);
        QCOMPARE(clicks.count(), 2);

        // A double-click's second press counts as a press.
        QMouseEvent twice(QEvent::MouseButtonDblClick, QPointF(at[0].x + 2, 3), strip.mapToGlobal(QPointF(at[0].x + 2, 3)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&strip, &twice);
        QCOMPARE(strip.tabIndex(), 0);
    }

    void acceleratorsSelectTheMarkedTab() {
        QWidget window;
        auto* strip = new TRedTabSet(&window);
        strip->resize(300, 21);
        strip->setTabs({"全部(&A)", "入金(&I)", "出金(&O)", "其他(&O)"});
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy clicks(strip, &TRedTabSet::clicked);
        QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
        QCOMPARE(strip->tabIndex(), 2);  // the first of the two marked with O
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);  // already selected
        QCOMPARE(clicks.count(), 1);
        QTest::keyClick(&window, Qt::Key_I, Qt::AltModifier);
        QCOMPARE(strip->tabIndex(), 1);
        // New captions bring new accelerators.
        strip->setTabText(3, "其他(&Q)");
        QTest::keyClick(&window, Qt::Key_Q, Qt::AltModifier);
        QCOMPARE(strip->tabIndex(), 3);
        // The mark's width is not counted in the caption width.
        Paint(*strip);
        QCOMPARE(strip->tabPositions()[0].width, strip->fontMetrics().horizontalAdvance("全部(A)"));
    }

    void scrollerAppearsAndScrolls() {
        TRedTabSet strip;
        strip.setTabs(Numbered(12));
        strip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&strip));
        Paint(strip);
        QVERIFY(strip.scrollerVisible());
        QVERIFY(strip.visibleTabs() > 0 && strip.visibleTabs() < 12);
        auto* scroller = strip.findChild<QWidget*>("Scroller");
        QCOMPARE(scroller->geometry(), QRect(185 - 2 - 23, 3, 23, 13));
        auto* left = strip.findChild<QToolButton*>("ScrollLeft");
        auto* right = strip.findChild<QToolButton*>("ScrollRight");
        QVERIFY(!left->isEnabled());
        QVERIFY(right->isEnabled());
        // The tabs end before the scroller.
        const auto& last = strip.tabPositions().constLast();
        QVERIFY(last.x + last.width + 9 <= 185 - 5 - 19);

        int steps = 0;
        while (right->isEnabled() && steps < 20) {
            QTest::mouseClick(right, Qt::LeftButton);
            Paint(strip);
            ++steps;
            QCOMPARE(strip.firstIndex(), steps);
        }
        QCOMPARE(strip.firstIndex() + strip.visibleTabs(), 12);
        QVERIFY(left->isEnabled());
        QTest::mouseClick(left, Qt::LeftButton);
        QCOMPARE(strip.firstIndex(), steps - 1);

        // Without AutoScroll there is no scroller.
        strip.setAutoScroll(false);
        Paint(strip);
        QVERIFY(!strip.scrollerVisible());
        // Wide enough: no scroller either.
        strip.setAutoScroll(true);
        strip.resize(1000, 21);
        Paint(strip);
        QVERIFY(!strip.scrollerVisible());
        QCOMPARE(strip.visibleTabs(), 12);
        QCOMPARE(strip.firstIndex(), 0);
    }

    void selectingAHiddenTabScrollsItIntoView() {
        TRedTabSet strip;
        strip.setTabs(Numbered(12));
        Paint(strip);
        strip.setTabIndex(9);
        Paint(strip);
        QCOMPARE(strip.firstIndex() + strip.visibleTabs() - 1, 9);  // the last visible one
        strip.setTabIndex(1);
        Paint(strip);
        QCOMPARE(strip.firstIndex(), 1);

        // Widening never scrolls forward; it fills up from the left.
        strip.setTabIndex(0);
        Paint(strip);
        QCOMPARE(strip.firstIndex(), 0);
        strip.resize(240, 21);
        Paint(strip);
        QCOMPARE(strip.firstIndex(), 0);
    }

    void paintingShowsTheSelectedTabOpen() {
        TRedTabSet strip;
        strip.resize(300, 30);
        strip.setStartMargin(0);
        strip.setSelectedColor(QColor(0, 200, 0));
        strip.setUnselectedColor(QColor(0, 0, 200));
        strip.setBackgroundColor(QColor(200, 200, 200));
        strip.setTabs({"All", "Deposit", "Withdraw"});
        strip.setTabIndex(1);
        const QImage image = Paint(strip);
        QCOMPARE(image.size(), QSize(300, 30));
        const auto at = strip.tabPositions();
        const int h = strip.drawHeight();
        // Top edge: a line over unselected tabs, open over the selected one.
        QCOMPARE(image.pixelColor(at[0].x + 1, 0), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(at[1].x + 1, 0), QColor(0, 200, 0));
        // Bodies in their colours, bottom lines, background below the tabs.
        QCOMPARE(image.pixelColor(at[0].x + 1, h - 3), QColor(0, 0, 200));
        QCOMPARE(image.pixelColor(at[1].x + 1, h - 3), QColor(0, 200, 0));
        QCOMPARE(image.pixelColor(at[1].x + 1, h - 1), QColor(255, 0, 0));
        QCOMPARE(image.pixelColor(at[0].x, h + 2), QColor(200, 200, 200));
        // The selected caption is drawn in the selected font colour.
        bool redCaption = false;
        for (int x = at[1].x; x < at[1].x + at[1].width; ++x)
            for (int y = 2; y < h - 1; ++y) {
                const QColor c = image.pixelColor(x, y);  // anti-aliased glyphs: reddish is enough
                redCaption |= c.red() > 120 && c.green() < 120 && c.blue() < 80;
            }
        QVERIFY(redCaption);
        // The slope between tabs: background-free edge, line at the top left.
        QCOMPARE(image.pixelColor(at[0].x - 9, 0), QColor(255, 0, 0));

        // Another selection paints differently.
        strip.setTabIndex(2);
        QVERIFY(Paint(strip) != image);
        // A colour setter repaints with the new colour.
        strip.setLineColor(QColor(0, 0, 0));
        QCOMPARE(Paint(strip).pixelColor(at[0].x + 1, 0), QColor(0, 0, 0));

        // A bigger font gives taller tabs.
        const int before = strip.drawHeight();
        QFont font = strip.font();
        font.setPixelSize(30);
        strip.setFont(font);
        QVERIFY(strip.drawHeight() > before);
        strip.resize(400, 60);
        const QImage tall = Paint(strip);
        const auto& now = strip.tabPositions();
        QCOMPARE(tall.pixelColor(now[0].x + 1, strip.drawHeight() - 1), QColor(0, 0, 0));
        QCOMPARE(tall.pixelColor(now[0].x + 1, before - 1), QColor(0, 0, 200));

        const QByteArray folder = qgetenv("VANTREL_SCREENSHOTS");
        if (!folder.isEmpty()) {
            QWidget window;
            window.setWindowTitle("Tab strip");
            auto* shown = new TRedTabSet(&window);
            shown->setGeometry(10, 10, 230, 21);
            shown->setTabs({"&All", "&Deposit", "&Withdraw", "Balance", "Details", "FX"});
            shown->setTabIndex(1);
            window.resize(250, 41);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(window.grab().save(QDir(QString::fromLocal8Bit(folder)).filePath("tab-strip.png")));
        }
    }
};

QTEST_MAIN(RedTabSetTest)
#include "RedTabSetTest.moc"
