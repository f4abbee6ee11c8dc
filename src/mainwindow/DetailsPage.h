#pragma once
// Page 1 of the main window (TabSheet2): the transfer details.
#include <QWidget>

#include <optional>
#include <string>

#include "mainwindow/PageControls.h"
#include "mainwindow/PageOrders.h"

class QComboBox;
class QPlainTextEdit;
class QPushButton;

namespace vantrel {

struct TBankInfo;

class DetailsPage : public QWidget {
    Q_OBJECT
public:
    explicit DetailsPage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId);
    void load(const TBankInfo& account, const QString& bankName, bool withMoneyType);
    void setMoneyKinds(const QStringList& kinds);
    // The clear button: the memo.
    void clear();
    // Only the trade number is required: without an account every
    // account's transfers are listed.
    std::optional<AccountQuery> order();

signals:
    void queryAsked();
    void clearAsked();
    void accountSearchAsked(QWidget* field);

private:
    page::AccountFields account_;
    QComboBox* txtMonMB2 = nullptr;
    QPlainTextEdit* txtMemo2 = nullptr;
    QPushButton *btnOk2 = nullptr, *btnClear2 = nullptr;
};

}  // namespace vantrel
