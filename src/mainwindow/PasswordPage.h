#pragma once
// Page 2 of the main window (TabSheet3): the fund password change.
#include <optional>
#include <string>

#include "mainwindow/OperationPage.h"
#include "mainwindow/PageOrders.h"

class QLineEdit;
class QPushButton;

namespace vantrel {

class PasswordPage : public OperationPage {
    Q_OBJECT
public:
    explicit PasswordPage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId) override;
    // the three passwords.
    void clear() override;
    // Old password present, new one of 6 characters at least, typed twice alike.
    std::optional<PasswordChange> order();

signals:
    void changeAsked();

private:
    QLineEdit *txtTradeNo4 = nullptr, *txtOldPass = nullptr, *txtNewPass1 = nullptr, *txtNewPass2 = nullptr;
    QPushButton* btnOk4 = nullptr;
};

}  // namespace vantrel
