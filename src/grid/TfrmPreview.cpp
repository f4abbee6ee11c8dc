#include "grid/TfrmPreview.h"

#include "common/SafeFormat.h"
#include "grid/TfrmPrintSetup.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantrel {

namespace {
// Percentages of the zoom list, then page width and whole page.
constexpr int kZoomPercents[] = {500, 200, 150, 100, 75, 50, 25, 10};
constexpr int kPageWidthChoice = 8;
constexpr int kWholePageChoice = 9;
}  // namespace

QStringList TfrmPreview::zoomChoices() {
    QStringList list;
    for (int percent : kZoomPercents) list << QString::number(percent) + QLatin1Char('%');
    list << QStringLiteral("页面宽度") << QStringLiteral("整页");
    return list;
}

TfrmPreview::TfrmPreview(QPrinter* printer, GridPrintSettings* settings, std::function<Status(QPrinter*)> render,
                         QWidget* parent)
    : QDialog(parent), printer_(printer), settings_(settings), render_(std::move(render)) {
    setObjectName(QStringLiteral("TfrmPreview"));
    setWindowTitle(QStringLiteral("预览"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto action = [&](const QString& caption, const char* name) {
        QAction* a = bar->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(caption);
        return a;
    };
    print_ = action(QStringLiteral("打印"), "btnPrint");
    setup_ = action(QStringLiteral("打印设置"), "btnPrintSetup");
    zoomButton_ = new QToolButton(bar);
    zoomButton_->setObjectName(QStringLiteral("btnZoom"));
    zoomButton_->setText(QStringLiteral("比例"));
    zoomButton_->setToolTip(QStringLiteral("比例"));
    zoomButton_->setPopupMode(QToolButton::InstantPopup);
    auto* zoomMenu = new QMenu(zoomButton_);
    const QStringList choices = zoomChoices();
    for (int i = 0; i < choices.size(); ++i)
        connect(zoomMenu->addAction(choices[i]), &QAction::triggered, this, [this, i] { chooseZoom(i); });
    zoomButton_->setMenu(zoomMenu);
    bar->addWidget(zoomButton_);
    prior_ = action(QStringLiteral("上一页"), "btnPrior");
    next_ = action(QStringLiteral("下一页"), "btnNext");
    stop_ = action(QStringLiteral("停止"), "btnStop");
    close_ = action(QStringLiteral("关闭"), "btnClose");
    layout->addWidget(bar);

    preview_ = new QPrintPreviewWidget(printer_, this);
    preview_->setObjectName(QStringLiteral("PrintPreview"));
    layout->addWidget(preview_, 1);
    auto* statusBar = new QStatusBar(this);
    status_label_ = new QLabel(statusBar);
    status_label_->setObjectName(QStringLiteral("lblPage"));
    statusBar->addWidget(status_label_);
    layout->addWidget(statusBar);

    connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) {
        rendering_ = true;
        updateState();
        Status done = render_(p);
        if (!done && status_.ok()) status_ = done;
        rendering_ = false;
    });
    connect(preview_, &QPrintPreviewWidget::previewChanged, this, &TfrmPreview::updateState);
    connect(print_, &QAction::triggered, preview_, [this] { preview_->print(); });
    connect(setup_, &QAction::triggered, this, &TfrmPreview::openPrintSetup);
    connect(prior_, &QAction::triggered, this, [this] { goToPage(currentPage() - 1); });
    connect(next_, &QAction::triggered, this, [this] { goToPage(currentPage() + 1); });
    // Rendering runs to its end inside paintRequested, so there is never
    // anything left to stop by the time a click arrives.
    connect(stop_, &QAction::triggered, this, [] {});
    connect(close_, &QAction::triggered, this, &QDialog::accept);

    setWindowState(windowState() | Qt::WindowMaximized);
    chooseZoom(kPageWidthChoice);
    preview_->updatePreview();
    updateState();
}

int TfrmPreview::currentPage() const { return preview_->currentPage(); }
int TfrmPreview::pageCount() const { return preview_->pageCount(); }

QString TfrmPreview::statusText() const { return status_label_->text(); }

void TfrmPreview::chooseZoom(int item) {
    zoom_ = item;
    if (item == kPageWidthChoice) {
        preview_->fitToWidth();
    } else if (item == kWholePageChoice) {
        preview_->fitInView();
    } else if (item >= 0 && item < kPageWidthChoice) {
        preview_->setZoomMode(QPrintPreviewWidget::CustomZoom);
        preview_->setZoomFactor(kZoomPercents[item] / 100.0);
    }
}

void TfrmPreview::goToPage(int page) {
    if (page < 1 || page > pageCount()) return;
    preview_->setCurrentPage(page);
    updateState();
}

void TfrmPreview::openPrintSetup() {
    TfrmPrintSetup dialog(settings_, printer_, this);
    if (dialog.exec() == QDialog::Accepted) preview_->updatePreview();
}

void TfrmPreview::updateState() {
    const int page = currentPage(), pages = pageCount();
    const bool done = !rendering_;
    print_->setEnabled(done && pages > 0 && !QPrinterInfo::availablePrinters().isEmpty());
    prior_->setEnabled(page > 1);
    next_->setEnabled(page < pages);
    stop_->setEnabled(rendering_);
    close_->setEnabled(done);
    auto text = Format("第 %d页/共 %d页", page, pages);
    status_label_->setText(text ? QString::fromStdString(*text) : QString());
}

}  // namespace vantrel
