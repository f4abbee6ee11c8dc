#pragma once
// What the pages of the main window are made of: the grid they are laid out
// on, the field makers with the input rules of their kind (password fields
// mask what is typed, amount fields keep two decimals), the account rows,
// and the reading and refusing of fields that every page's checks share.
#include <QString>
#include <QStringList>

#include <string>

#include "mainwindow/PageOrders.h"
#include "protocol/BankPolicy.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class QWidget;

namespace vantrel {

struct TBankInfo;

namespace page {

constexpr int kLabelX = 12;
constexpr int kFieldX = 84;
constexpr int kFieldWidth = 170;
constexpr int kRightLabelX = 300;
constexpr int kRightFieldX = 372;
constexpr int kButtonX = 660;
constexpr int kRowHeight = 26;
constexpr int kTop = 6;

constexpr int RowY(int row) { return kTop + row * kRowHeight; }

// A caption left of a field on row y; `required` adds the red mark before it.
QLabel* Caption(QWidget* parent, const char* name, const QString& text, int x, int y, bool required = false);
QLineEdit* Edit(QWidget* parent, const char* name, int x, int y, int maxLength, bool readOnly, bool enabled = true,
                int width = kFieldWidth);
// Shown as stars; typed letters and digits are stored masked, everything
// else is dropped; nothing can be pasted or dropped in.
QLineEdit* Password(QWidget* parent, const char* name, int x, int y, int maxLength, int width = kFieldWidth);
// "0.00" at first; up to 999999999 with two decimals; emptied on entry when
// not above zero, shown with two decimals on leaving.
QLineEdit* Amount(QWidget* parent, const char* name, int x, int y);
QComboBox* Combo(QWidget* parent, const char* name, int x, int y, const QStringList& items, bool enabled = true);
// Tab leaves a memo.
QPlainTextEdit* Memo(QWidget* parent, const char* name, int x, int y, int height);
QPushButton* Button(QWidget* parent, const char* name, const QString& text, int x, int y);
// The soft keyboard button of `field`: focuses it when it can, then opens the
// keyboard left of the pointer. `tag` numbers the twelve password fields.
QToolButton* KeyButton(QWidget* parent, const char* name, int x, int y, int tag, QLineEdit* field);
// The panel that takes the fund password row's place when the bank wants its
// own password: white, 254 x 24, hidden at first.
QFrame* BankPasswordPanel(QWidget* page, const char* name, const char* editName, const char* keyName, int keyTag,
                          int y, QLineEdit** edit);

// Trade number, bank account with its search action, bank name and the
// hidden bank code, named by the page's suffix.
class AccountFields {
public:
    // The first three rows; `namedLabels` names the captions and marks the
    // bank row required (page 0).
    void build(QWidget* page, int suffix, bool namedLabels = false);
    // Emitted by the account field's search action.
    QAction* searchAction() const { return search_; }
    void show(const TBankInfo& account, const QString& bankName);
    void setTradeId(const QString& tradeId);
    // Bank code, account number and trade number as the requests take them.
    AccountInput input() const;

    QLabel *tradeLabel = nullptr, *bankNoLabel = nullptr, *bankNameLabel = nullptr;
    QLineEdit *tradeNo = nullptr, *bankNo = nullptr, *bankName = nullptr, *bankId = nullptr;

private:
    QAction* search_ = nullptr;
};

// The directions a bank offers onto a page: the choice is free with both,
// fixed on item 0 or 1 with one; the button works with at least one.
void ShowDirections(QComboBox* choice, QPushButton* button, OnlyDirection directions);

// The currencies of the hidden currency combo boxes.
QStringList MoneyKinds();

// A field as the request takes it.
std::string Text(const QLineEdit* edit);
std::string PasswordText(const QLineEdit* edit);
std::string MemoText(const QPlainTextEdit* memo);
bool Blank(const QLineEdit* edit);
// A check failed: the message, then the focus (only where the field can take
// it when `onlyIfFocusable`).
void Refuse(QWidget* page, const QString& message, QWidget* field, bool onlyIfFocusable = false);
void FocusIfPossible(QWidget* widget);

extern const QString kChooseAccount;
extern const QString kFundPassword;
extern const QString kBankPassword;
extern const QString kAmount;

}  // namespace page
}  // namespace vantrel
