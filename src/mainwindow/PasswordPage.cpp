#include "mainwindow/PasswordPage.h"

#include <QLineEdit>
#include <QPushButton>


namespace vantrel {

using namespace page;

PasswordPage::PasswordPage(QWidget* parent) : OperationPage("TabSheet3", parent) {
    QWidget* p = this;
    const QString captions[] = {QStringLiteral("市场账号"), QStringLiteral("旧密码"), QStringLiteral("新密码"),
                                QStringLiteral("确认新密码")};
    for (int row = 0; row < 4; ++row) Caption(p, nullptr, captions[row], kLabelX, RowY(row), true);
    txtTradeNo4 = Edit(p, "txtTradeNo4", kFieldX, RowY(0), 25, true, true, 141);
    txtOldPass = Password(p, "txtOldPass", kFieldX, RowY(1), 8, 141);
    KeyButton(p, "btnKey2", kFieldX + 144, RowY(1), 2, txtOldPass);
    txtNewPass1 = Password(p, "txtNewPass1", kFieldX, RowY(2), 8, 141);
    KeyButton(p, "btnKey3", kFieldX + 144, RowY(2), 3, txtNewPass1);
    txtNewPass2 = Password(p, "txtNewPass2", kFieldX, RowY(3), 8, 141);
    KeyButton(p, "btnKey4", kFieldX + 144, RowY(3), 4, txtNewPass2);
    btnOk4 = Button(p, "btnOk4", QStringLiteral("确  认"), kButtonX, RowY(0));
    makeClearButton("btnClear4", kButtonX, RowY(1) + 6);

    connect(btnOk4, &QPushButton::clicked, this, &PasswordPage::changeAsked);
}

void PasswordPage::setTradeId(const QString& tradeId) { txtTradeNo4->setText(tradeId); }

void PasswordPage::clear() {
    txtOldPass->clear();
    txtNewPass1->clear();
    txtNewPass2->clear();
    FocusIfPossible(txtTradeNo4);
}

std::optional<PasswordChange> PasswordPage::order() {
    const auto refuse = [this](const QString& message, QWidget* field) {
        Refuse(this, message, field, true);
        return std::nullopt;
    };
    if (Blank(txtTradeNo4)) return refuse(kChooseAccount, txtTradeNo4);
    if (Blank(txtOldPass)) return refuse(QStringLiteral("旧密码不正确,请核实!"), txtOldPass);
    if (txtNewPass1->text().trimmed().size() < 6)
        return refuse(QStringLiteral("为了您资金的安全,新密码不能小于6位!"), txtNewPass1);
    if (txtNewPass1->text().trimmed() != txtNewPass2->text().trimmed())
        return refuse(QStringLiteral("输入的两次新密码不匹配,请重试!"), txtNewPass2);
    return PasswordChange{Text(txtTradeNo4), PasswordText(txtOldPass), PasswordText(txtNewPass2)};
}

}  // namespace vantrel
