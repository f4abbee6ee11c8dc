#pragma once
// The system's own tab strip: trapezoid tabs hanging from a line along the
// top, the selected one open towards the top. Painted entirely by itself
// through an off-screen image; a small two-arrow scroller appears at the
// right end when the tabs do not fit.
#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QStringList>
#include <QWidget>

#include <array>
#include <optional>

#include "common/Result.h"

class QToolButton;

namespace vantrel {

class TRedTabSet : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList tabs READ tabs WRITE setTabs)
    Q_PROPERTY(int tabIndex READ tabIndex WRITE setTabIndex NOTIFY tabIndexChanged)
    Q_PROPERTY(int visibleTabs READ visibleTabs)
    Q_PROPERTY(int startMargin READ startMargin WRITE setStartMargin)
    Q_PROPERTY(int endMargin READ endMargin WRITE setEndMargin)
    Q_PROPERTY(QColor selectedColor READ selectedColor WRITE setSelectedColor)
    Q_PROPERTY(QColor unselectedColor READ unselectedColor WRITE setUnselectedColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(QColor selectedFontColor READ selectedFontColor WRITE setSelectedFontColor)
    Q_PROPERTY(bool autoScroll READ autoScroll WRITE setAutoScroll)
public:
    // Where a visible tab's caption lies, from the last painting.
    struct TabPosition {
        int x = 0;
        int width = 0;
    };
    // Width of the sloping edge between neighbouring caption areas.
    static constexpr int EdgeWidth = 9;
    static constexpr int ScrollerWidth = 23;
    static constexpr int ScrollerHeight = 13;

    explicit TRedTabSet(QWidget* parent = nullptr);

    // Captions. Assigning the whole list selects tab 0 (when there is one).
    QStringList tabs() const { return tabs_; }
    void setTabs(const QStringList& captions);
    // Caption list operations, the way a stored window fills the strip: none
    // of them selects a tab by itself. replaceTabs (clear, then add all) is
    // what the base window's caption loading uses; TabIndex stays -1.
    void addTab(const QString& caption);
    void addTabs(const QStringList& captions);
    void insertTab(int index, const QString& caption);
    void removeTab(int index);
    void setTabText(int index, const QString& caption);
    void clearTabs();
    void replaceTabs(const QStringList& captions);
    int count() const { return int(tabs_.size()); }

    int tabIndex() const { return tabIndex_; }
    // Fails with "Tab index out of bounds" outside -1 .. count() - 1; an
    // unchanged value or a veto from changing() changes nothing.
    Status changeTabIndex(int index);
    void setTabIndex(int index) { static_cast<void>(changeTabIndex(index)); }

    int visibleTabs() const { return int(positions_.size()); }
    int firstIndex() const { return firstIndex_; }
    int drawHeight() const { return drawHeight_; }
    const QList<TabPosition>& tabPositions() const { return positions_; }

    int startMargin() const { return startMargin_; }
    void setStartMargin(int pixels);
    int endMargin() const { return endMargin_; }
    void setEndMargin(int pixels);
    // Colours left unset follow the palette (button face, window).
    QColor selectedColor() const;
    void setSelectedColor(const QColor& color);
    QColor unselectedColor() const;
    void setUnselectedColor(const QColor& color);
    QColor backgroundColor() const;
    void setBackgroundColor(const QColor& color);
    QColor lineColor() const { return lineColor_; }
    void setLineColor(const QColor& color);
    QColor selectedFontColor() const { return selectedFontColor_; }
    void setSelectedFontColor(const QColor& color);
    bool autoScroll() const { return autoScroll_; }
    void setAutoScroll(bool on);

    // The scroller's range and position as the last painting left them.
    bool scrollerVisible() const;
    int scrollMaximum() const { return scrollMax_; }
    // One step of the scroller's arrows (-1 left, +1 right).
    void scrollBy(int step);

    QSize sizeHint() const override { return {185, 21}; }

signals:
    // Asked before the selection changes; clearing *allowChange vetoes it.
    void changing(int newIndex, bool* allowChange);
    // After the selection changed (and when the selected caption was deleted).
    void clicked();
    void tabIndexChanged(int index);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int captionWidth(const QString& caption) const;
    int layoutTabs(int startX, int stopX);
    void layoutForPainting();
    void bringSelectedIntoView();
    void rebuildEdges();
    template <class Slot>
    void setColor(Slot& slot, const QColor& color, bool edges);
    void paintStrip(QImage& image);
    void paintEdgeBefore(QPainter& painter, int visible, int x);
    void setIndexSilently(int index);
    void tabsChanged();
    void updateShortcuts();

    QStringList tabs_;
    int tabIndex_ = -1;
    int firstIndex_ = 0;
    int startMargin_ = 5;
    int endMargin_ = 5;
    std::optional<QColor> selectedColor_;
    std::optional<QColor> unselectedColor_;
    std::optional<QColor> backgroundColor_;
    QColor lineColor_{255, 0, 0};
    QColor selectedFontColor_{255, 0, 0};
    bool autoScroll_ = true;
    int drawHeight_ = 0;
    bool pendingFix_ = false;
    bool suspended_ = false;
    QList<TabPosition> positions_;
    std::array<QImage, 4> edges_;
    QImage frame_;
    QWidget* scroller_ = nullptr;
    QToolButton* scrollLeft_ = nullptr;
    QToolButton* scrollRight_ = nullptr;
    int scrollMax_ = 0;
    QHash<int, int> shortcutTabs_;  // shortcut id -> tab index
};

}  // namespace vantrel
