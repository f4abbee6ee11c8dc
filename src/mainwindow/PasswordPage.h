#pragma once
// Page 2 of the main window (TabSheet3): the fund password change.
#include <QWidget>

#include <optional>
#include <string>

#include "mainwindow/PageOrders.h"

class QLineEdit;
class QPushButton;

namespace vantrel {

class PasswordPage : public QWidget {
    Q_OBJECT
public:
    explicit PasswordPage(QWidget* parent = nullptr);

    void setTradeId(const QString& tradeId);
    // The clear button: the three passwords.
    void clear();
    // Old password present, new one of 6 characters at least, typed twice alike.
    std::optional<PasswordChange> order();

signals:
    void changeAsked();
    void clearAsked();

private:
    QLineEdit *txtTradeNo4 = nullptr, *txtOldPass = nullptr, *txtNewPass1 = nullptr, *txtNewPass2 = nullptr;
    QPushButton *btnOk4 = nullptr, *btnClear4 = nullptr;
};

}  // namespace vantrel
