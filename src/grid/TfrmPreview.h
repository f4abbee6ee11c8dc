#pragma once
// The print preview window "预览": a tool bar over QPrintPreviewWidget and a
// status bar with the page number.
#include "common/Result.h"
#include "grid/GridPrinter.h"

#include <QDialog>

#include <functional>

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QToolButton;

namespace vantrel {

class TfrmPreview : public QDialog {
    Q_OBJECT
public:
    // `render` draws the document on the printer it is given; `settings`
    // is what the set-up dialog edits (both outlive the window).
    TfrmPreview(QPrinter* printer, GridPrintSettings* settings, std::function<Status(QPrinter*)> render,
                QWidget* parent = nullptr);

    QPrintPreviewWidget* previewWidget() const { return preview_; }
    int currentPage() const;
    int pageCount() const;
    QString statusText() const;
    // The first rendering failure, if any.
    const Status& renderStatus() const { return status_; }

    // The zoom list in its order; choosing item i applies it.
    static QStringList zoomChoices();
    void chooseZoom(int item);
    int zoomChoice() const { return zoom_; }

    void goToPage(int page);
    void openPrintSetup();

private:
    void rendered();
    void updateState();

    QPrinter* printer_;
    GridPrintSettings* settings_;
    std::function<Status(QPrinter*)> render_;
    Status status_;
    QPrintPreviewWidget* preview_;
    QLabel* status_label_;
    QAction* print_;
    QAction* setup_;
    QToolButton* zoomButton_;
    QAction* prior_;
    QAction* next_;
    QAction* stop_;
    QAction* close_;
    int zoom_ = 8;
    bool rendering_ = false;
};

}  // namespace vantrel
