#include "widgets/TRedTabSet.h"

#include <QApplication>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QShortcutEvent>
#include <QToolButton>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

namespace vantrel {

namespace {

// The edge images are drawn pixel by pixel as the strip's look was designed:
// lines include their first point and exclude their last, filled polygons
// include their outline.
void StrokeLine(QImage& image, QPoint from, QPoint to, const QColor& color) {
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int sx = from.x() < to.x() ? 1 : -1;
    const int sy = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint p = from;
    const QRgb rgb = color.rgba();
    while (p != to) {
        if (image.rect().contains(p)) image.setPixel(p, rgb);
        const int twice = 2 * error;
        if (twice >= dy) { error += dy; p.rx() += sx; }
        if (twice <= dx) { error += dx; p.ry() += sy; }
    }
}

void StrokePolyline(QImage& image, std::initializer_list<QPoint> points, const QColor& color) {
    const QPoint* previous = nullptr;
    for (const QPoint& point : points) {
        if (previous) StrokeLine(image, *previous, point, color);
        previous = &point;
    }
}

void FillPolygon(QImage& image, std::initializer_list<QPoint> points, const QColor& color) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(color, 0));
    painter.setBrush(color);
    painter.drawPolygon(QPolygon(QList<QPoint>(points)));
}

enum Edge { SelectedLeft = 0, UnselectedLeft = 1, SelectedRight = 2, UnselectedRight = 3 };

}  // namespace

TRedTabSet::TRedTabSet(QWidget* parent) : QWidget(parent) {
    setObjectName("RedTabSet");
    resize(185, 21);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    // The application's font, regular; set field by field so that it counts
    // as the strip's own and does not follow the parent's.
    QFont font = QApplication::font();
    font.setFamilies(font.families());
    if (font.pixelSize() > 0) font.setPixelSize(font.pixelSize());
    else font.setPointSizeF(font.pointSizeF());
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    setFont(font);

    scroller_ = new QWidget(this);
    scroller_->setObjectName("Scroller");
    scroller_->resize(ScrollerWidth, ScrollerHeight);
    scrollLeft_ = new QToolButton(scroller_);
    scrollLeft_->setObjectName("ScrollLeft");
    scrollLeft_->setArrowType(Qt::LeftArrow);
    scrollLeft_->setGeometry(0, 0, ScrollerWidth / 2, ScrollerHeight);
    scrollRight_ = new QToolButton(scroller_);
    scrollRight_->setObjectName("ScrollRight");
    scrollRight_->setArrowType(Qt::RightArrow);
    scrollRight_->setGeometry(ScrollerWidth / 2, 0, ScrollerWidth - ScrollerWidth / 2, ScrollerHeight);
    for (QToolButton* arrow : {scrollLeft_, scrollRight_}) {
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setIconSize(QSize(5, 5));
    }
    connect(scrollLeft_, &QToolButton::clicked, this, [this] { scrollBy(-1); });
    connect(scrollRight_, &QToolButton::clicked, this, [this] { scrollBy(1); });
    scroller_->hide();

    rebuildEdges();
}

// ---- captions ----

void TRedTabSet::setTabs(const QStringList& captions) {
    tabs_ = captions;
    firstIndex_ = 0;
    setIndexSilently(-1);
    tabsChanged();
    if (!tabs_.isEmpty()) setTabIndex(0);
}

void TRedTabSet::addTab(const QString& caption) {
    tabs_.append(caption);
    tabsChanged();
}

void TRedTabSet::addTabs(const QStringList& captions) {
    tabs_.append(captions);
    tabsChanged();  // one repaint for the lot
}

void TRedTabSet::insertTab(int index, const QString& caption) {
    index = std::clamp(index, 0, count());
    tabs_.insert(index, caption);
    if (tabIndex_ >= 0 && index <= tabIndex_) setIndexSilently(tabIndex_ + 1);
    tabsChanged();
}

void TRedTabSet::removeTab(int index) {
    if (index < 0 || index >= count()) return;
    const bool wasSelected = index == tabIndex_;
    tabs_.removeAt(index);
    // Keep the same caption selected when an earlier one goes.
    if (index < tabIndex_) setIndexSilently(tabIndex_ - 1);
    if (tabIndex_ >= count()) setIndexSilently(count() - 1);
    tabsChanged();
    if (wasSelected) emit clicked();
}

void TRedTabSet::setTabText(int index, const QString& caption) {
    if (index < 0 || index >= count() || tabs_[index] == caption) return;
    tabs_[index] = caption;
    tabsChanged();
}

void TRedTabSet::clearTabs() {
    tabs_.clear();
    firstIndex_ = 0;
    setIndexSilently(-1);
    tabsChanged();
}

void TRedTabSet::replaceTabs(const QStringList& captions) {
    clearTabs();
    addTabs(captions);
}

void TRedTabSet::tabsChanged() {
    firstIndex_ = std::clamp(firstIndex_, 0, std::max(0, count() - 1));
    updateShortcuts();
    update();
}

void TRedTabSet::setIndexSilently(int index) {
    if (index == tabIndex_) return;
    tabIndex_ = index;
    emit tabIndexChanged(index);
}

// ---- selection ----

Status TRedTabSet::changeTabIndex(int index) {
    if (index == tabIndex_) return {};
    if (index < -1 || index >= count()) return Error{"Tab index out of bounds"};
    bool allow = true;
    emit changing(index, &allow);
    if (!allow) return {};
    setIndexSilently(index);
    bringSelectedIntoView();
    emit clicked();
    update();
    return {};
}

// The width of the caption as shown: an accelerator mark takes no room.
int TRedTabSet::captionWidth(const QString& caption) const {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;  // "&x" shows x, "&&" shows &
        shown += caption[i];
    }
    return fontMetrics().horizontalAdvance(shown);
}

int TRedTabSet::layoutTabs(int startX, int stopX) {
    positions_.clear();
    int x = startX;
    for (int i = firstIndex_; i < count() && x < stopX; ++i) {
        const int width = captionWidth(tabs_[i]);
        if (x + width + EdgeWidth > stopX) break;
        positions_.append({x, width});
        x += width + EdgeWidth;
    }
    return visibleTabs();
}

void TRedTabSet::bringSelectedIntoView() {
    if (tabs_.isEmpty()) return;
    if (tabIndex_ > firstIndex_ + visibleTabs() - 1) {
        // The same right limit as the painting uses with the scroller shown,
        // so the selected tab ends up as the last visible one.
        int limit = width() - endMargin_;
        if (autoScroll_) limit -= ScrollerWidth - 4;
        const int start = startMargin_ + EdgeWidth;
        int first = tabIndex_;
        int used = captionWidth(tabs_[first]) + EdgeWidth;
        while (first > 0) {
            const int previous = captionWidth(tabs_[first - 1]) + EdgeWidth;
            if (start + used + previous > limit) break;
            used += previous;
            --first;
        }
        firstIndex_ = first;
    }
    if (tabIndex_ >= 0 && tabIndex_ < firstIndex_) firstIndex_ = tabIndex_;
}

void TRedTabSet::scrollBy(int step) {
    const int position = std::clamp(firstIndex_ + step, 0, scrollMax_);
    if (position == firstIndex_) return;
    firstIndex_ = position;
    update();
}

bool TRedTabSet::scrollerVisible() const { return scroller_->isVisibleTo(this); }

// ---- properties ----

void TRedTabSet::setStartMargin(int pixels) {
    if (pixels == startMargin_) return;
    startMargin_ = pixels;
    update();
}

void TRedTabSet::setEndMargin(int pixels) {
    if (pixels == endMargin_) return;
    endMargin_ = pixels;
    update();
}

QColor TRedTabSet::selectedColor() const { return selectedColor_.value_or(palette().color(QPalette::Button)); }
QColor TRedTabSet::unselectedColor() const { return unselectedColor_.value_or(palette().color(QPalette::Base)); }
QColor TRedTabSet::backgroundColor() const { return backgroundColor_.value_or(palette().color(QPalette::Button)); }

// The edge images are drawn in these colours: all but the background's
// rebuild them.
template <class Slot>
void TRedTabSet::setColor(Slot& slot, const QColor& color, bool edges) {
    if (slot == color) return;
    slot = color;
    if (edges) rebuildEdges();
    update();
}

void TRedTabSet::setSelectedColor(const QColor& color) { setColor(selectedColor_, color, true); }
void TRedTabSet::setUnselectedColor(const QColor& color) { setColor(unselectedColor_, color, true); }
void TRedTabSet::setBackgroundColor(const QColor& color) { setColor(backgroundColor_, color, false); }
void TRedTabSet::setLineColor(const QColor& color) { setColor(lineColor_, color, true); }
void TRedTabSet::setSelectedFontColor(const QColor& color) { setColor(selectedFontColor_, color, true); }

void TRedTabSet::setAutoScroll(bool on) {
    if (on == autoScroll_) return;
    autoScroll_ = on;
    scroller_->hide();
    update();
}

// ---- painting ----

void TRedTabSet::rebuildEdges() {
    drawHeight_ = QFontMetrics(font()).height() + 4;
    const int h = drawHeight_ - 1;
    for (QImage& edge : edges_) {
        edge = QImage(EdgeWidth, drawHeight_, QImage::Format_ARGB32_Premultiplied);
        edge.fill(Qt::transparent);
    }
    const QColor line = lineColor_;

    QImage& selectedLeft = edges_[SelectedLeft];
    FillPolygon(selectedLeft, {{4, 0}, {9, h}, {9, h}, {9, 0}, {4, 0}}, selectedColor());
    StrokeLine(selectedLeft, {0, 0}, {4, 0}, line);
    StrokeLine(selectedLeft, {4, 1}, {9, h + 1}, line);

    QImage& unselectedLeft = edges_[UnselectedLeft];
    StrokeLine(unselectedLeft, {0, 0}, {10, 0}, line);
    FillPolygon(unselectedLeft, {{3, 1}, {8, h}, {9, h}, {9, 1}, {3, 1}}, unselectedColor());
    StrokeLine(unselectedLeft, {3, 1}, {8, h + 1}, line);

    QImage& selectedRight = edges_[SelectedRight];
    FillPolygon(selectedRight, {{6, 1}, {2, h}, {0, h}, {0, 0}, {10, 0}}, selectedColor());
    StrokePolyline(selectedRight, {{9, 0}, {7, 0}, {2, h}, {-1, h}}, line);

    QImage& unselectedRight = edges_[UnselectedRight];
    StrokeLine(unselectedRight, {-1, 0}, {10, 0}, line);
    FillPolygon(unselectedRight, {{6, 1}, {1, h}, {0, h}, {0, 1}, {6, 1}}, unselectedColor());
    StrokePolyline(unselectedRight, {{7, 1}, {2, h}, {-1, h}}, line);
}

void TRedTabSet::layoutForPainting() {
    scroller_->move(width() - 2 - ScrollerWidth, 3);
    const int start = startMargin_ + EdgeWidth;
    const int stop = width() - endMargin_;
    if (layoutTabs(start, stop) < count() && autoScroll_) {
        layoutTabs(start, stop - (ScrollerWidth - 4));
        scrollMax_ = count() - visibleTabs();
        scrollLeft_->setEnabled(firstIndex_ > 0);
        scrollRight_->setEnabled(firstIndex_ < scrollMax_);
        scroller_->show();
    } else {
        scrollMax_ = 0;
        scroller_->hide();
    }
}

void TRedTabSet::paintEdgeBefore(QPainter& painter, int visible, int x) {
    const int index = firstIndex_ + visible;
    const bool selected = index == tabIndex_;
    auto draw = [&](int edge) { painter.drawImage(x, 0, edges_[edge]); };
    if (visible == 0) {
        draw(selected ? SelectedLeft : UnselectedLeft);
    } else if (selected) {
        draw(UnselectedRight);
        draw(SelectedLeft);
    } else if (index - 1 == tabIndex_) {
        draw(UnselectedLeft);
        draw(SelectedRight);
    } else {
        draw(UnselectedLeft);
        draw(UnselectedRight);
    }
}

void TRedTabSet::paintStrip(QImage& image) {
    image.fill(backgroundColor());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());
    painter.setPen(lineColor_);
    painter.drawLine(0, 0, image.width() - 1, 0);

    const int last = visibleTabs() - 1;
    for (int i = 0; i <= last; ++i) {
        const auto [x, w] = positions_[i];
        const bool selected = firstIndex_ + i == tabIndex_;
        paintEdgeBefore(painter, i, x - EdgeWidth);
        painter.fillRect(QRect(x, 0, w, drawHeight_), selected ? selectedColor() : unselectedColor());
        painter.setPen(selected ? selectedFontColor_ : palette().color(QPalette::WindowText));
        painter.drawText(QRect(x, 2, w, drawHeight_), Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic,
                         tabs_[firstIndex_ + i]);
        if (i == last) painter.drawImage(x + w, 0, edges_[selected ? SelectedRight : UnselectedRight]);
        painter.setPen(lineColor_);
        if (w > 0) painter.drawLine(x, drawHeight_ - 1, x + w - 1, drawHeight_ - 1);
        // The selected tab stays open towards the top.
        if (!selected) painter.drawLine(x, 0, x + w, 0);
    }
}

void TRedTabSet::paintEvent(QPaintEvent*) {
    layoutForPainting();
    if (pendingFix_) {
        bringSelectedIntoView();
        layoutForPainting();
        pendingFix_ = false;
    }
    const QSize size(width(), std::max(height(), drawHeight_ + 5));
    if (frame_.size() != size) frame_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    paintStrip(frame_);
    QPainter(this).drawImage(0, 0, frame_);
}

void TRedTabSet::resizeEvent(QResizeEvent* event) {
    if (count() >= 2) {
        const int start = startMargin_ + EdgeWidth;
        const int stop = width() - endMargin_;
        int fit = 0;
        for (int x = start; fit < count(); ++fit) {
            const int w = captionWidth(tabs_[fit]);
            if (x + w + EdgeWidth > stop) break;
            x += w + EdgeWidth;
        }
        // A wider strip fills up from the left; it never scrolls forward.
        if (fit > visibleTabs() || fit == count()) firstIndex_ = std::min(firstIndex_, count() - fit);
        pendingFix_ = true;
    }
    QWidget::resizeEvent(event);
    update();
}

void TRedTabSet::changeEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        rebuildEdges();
        updateShortcuts();
        update();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

// ---- mouse and accelerators ----

void TRedTabSet::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && at.y() <= drawHeight_) {
        const int slack = at.y() < drawHeight_ / 2 ? 3 : 4;
        for (int i = 0; i < visibleTabs(); ++i) {
            const auto [x, w] = positions_[i];
            if (at.x() >= x - slack && at.x() <= x + w + slack) {
                setTabIndex(firstIndex_ + i);
                break;
            }
        }
    }
    QWidget::mousePressEvent(event);
}

void TRedTabSet::mouseDoubleClickEvent(QMouseEvent* event) { mousePressEvent(event); }

void TRedTabSet::updateShortcuts() {
    for (auto it = shortcutTabs_.cbegin(); it != shortcutTabs_.cend(); ++it) releaseShortcut(it.key());
    shortcutTabs_.clear();
    QList<QKeySequence> taken;
    for (int i = 0; i < count(); ++i) {
        const QKeySequence sequence = QKeySequence::mnemonic(tabs_[i]);
        if (sequence.isEmpty() || taken.contains(sequence)) continue;  // the first tab wins
        taken.append(sequence);
        shortcutTabs_.insert(grabShortcut(sequence, Qt::WindowShortcut), i);
    }
}

bool TRedTabSet::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut) {
        const auto* shortcut = static_cast<QShortcutEvent*>(event);
        const auto it = shortcutTabs_.constFind(shortcut->shortcutId());
        if (it != shortcutTabs_.cend()) {
            if (it.value() != tabIndex_) setTabIndex(it.value());
            return true;
        }
    }
    return QWidget::event(event);
}

}  // namespace vantrel
