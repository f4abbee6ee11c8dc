#pragma once
// Page 1 of the main window (TabSheet2): the transfer details.
#include <optional>
#include <string>

#include "mainwindow/OperationPage.h"
#include "mainwindow/PageOrders.h"

class QPlainTextEdit;
class QPushButton;

namespace vantrel {

class DetailsPage : public AccountPage {
    Q_OBJECT
public:
    explicit DetailsPage(QWidget* parent = nullptr);

    // The memo.
    void clear() override;
    // Only the trade number is required: without an account every
    // account's transfers are listed.
    std::optional<AccountQuery> order();

signals:
    void queryAsked();

private:
    QPlainTextEdit* txtMemo2 = nullptr;
    QPushButton* btnOk2 = nullptr;
};

}  // namespace vantrel
