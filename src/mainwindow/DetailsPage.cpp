#include "mainwindow/DetailsPage.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace vantrel {

using namespace page;

DetailsPage::DetailsPage(QWidget* parent) : AccountPage("TabSheet2", 2, false, parent) {
    QWidget* p = this;
    Caption(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(0));
    txtMemo2 = Memo(p, "txtMemo2", kRightFieldX, RowY(0), 73);
    btnOk2 = Button(p, "btnOk2", QStringLiteral("查  询"), kButtonX, RowY(0));
    makeClearButton("btnClear2", kButtonX, RowY(1) + 6);
    // Takes page 0's currencies at start-up.
    makeMoneyTypeBox("txtMonMB2", {});

    connect(btnOk2, &QPushButton::clicked, this, &DetailsPage::queryAsked);
}

void DetailsPage::clear() {
    txtMemo2->clear();
    FocusIfPossible(account_.bankNo);
}

std::optional<AccountQuery> DetailsPage::order() {
    if (Blank(account_.tradeNo)) {
        Refuse(this, kChooseAccount, account_.tradeNo);
        return std::nullopt;
    }
    return AccountQuery{account_.input(), MemoText(txtMemo2)};
}

}  // namespace vantrel
