#include "mainwindow/PageControls.h"

#include <QAction>
#include <QComboBox>
#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

#include "mainwindow/InputRules.h"
#include "mainwindow/TfrmBankList.h"
#include "protocol/SessionTypes.h"
#include "widgets/ControlMakers.h"
#include "widgets/PasswordEcho.h"
#include "widgets/TfFormSK.h"
#include "widgets/UserPrompts.h"
#include "widgets/TfrmNoneForm.h"

namespace vantrel::page {

const QString kChooseAccount = QStringLiteral("请选择正确的银行账号!");
const QString kFundPassword = QStringLiteral("请输入正确的客户资金密码!");
const QString kBankPassword = QStringLiteral("请输入正确的客户银行密码!");
const QString kAmount = QStringLiteral("划转金额不能小于或等于零!");

namespace {

// Each typed letter or digit goes in masked; Backspace, Enter, Escape,
// Delete and keys that type nothing pass; every other character, pasting
// shortcuts included, is dropped.
class PasswordKeys : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* field = static_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Delete: return false;
        default: break;
        }
        const QString text = key->text();
        if (text.isEmpty()) return false;  // arrows, Home, Tab...
        if (text.size() == 1 && IsPasswordCharacter(text.front())) field->insert(QString(MaskPasswordCharacter(text.front())));
        return true;
    }
};

// At most two decimals while typing; emptied on entry when not above zero;
// two decimals once the customer leaves.
class AmountKeys : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* field = static_cast<QLineEdit*>(watched);
        switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->text().isEmpty()) return false;
            const QChar typed = key->key() == Qt::Key_Backspace ? QChar(u'\b') : key->text().front();
            const bool selected = field->hasSelectedText();
            const int start = selected ? field->selectionStart() : field->cursorPosition();
            const int length = selected ? static_cast<int>(field->selectedText().size()) : 0;
            return !DecimalKeyAccepted(field->text(), start, length, typed, 2);
        }
        case QEvent::FocusIn:
            if (AmountValue(field->text()) <= 0) field->clear();
            return false;
        case QEvent::FocusOut:
            if (!field->text().trimmed().isEmpty()) field->setText(QString::number(AmountValue(field->text()), 'f', 2));
            return false;
        default: return false;
        }
    }
};

// The red mark of a required row.
void RequiredMark(QWidget* parent, int x, int y) {
    MakeRedLabel(parent, nullptr, QStringLiteral("*"), QRect(x, y + 3, 8, 16));
}

// An account number longer than its field shows its first digits, not its last.
void ShowFromStart(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);
}

// The account field: the whole account number beside the search action inside it.
QLineEdit* SearchEdit(QWidget* page, const char* name, int x, int y, QAction** search) {
    QLineEdit* edit = Edit(page, name, x, y, 0, true);
    // The search button (icon + 6) and its margin (icon / 4), the frame and
    // the 2 pixels QLineEdit keeps either side of its text; up to the right column.
    const int icon = edit->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, edit);
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const int needed = AccountNumberWidth(edit->fontMetrics()) + icon + 6 + icon / 4 + 2 * frame + 2 * 2 + 2;
    edit->resize(std::clamp(needed, kFieldWidth, kRightLabelX - 10 - x), edit->height());
    *search = edit->addAction(page->style()->standardIcon(QStyle::SP_FileDialogContentsView),
                              QLineEdit::TrailingPosition);
    (*search)->setObjectName(QString::fromLatin1(name) + QStringLiteral("Button"));
    return edit;
}

}  // namespace

QLabel* Caption(QWidget* parent, const char* name, const QString& text, int x, int y, bool required) {
    QLabel* label = MakeLabel(parent, name, text, QRect(x, y + 3, 70, 16));
    if (required) RequiredMark(parent, x - 9, y);
    return label;
}

QLineEdit* Edit(QWidget* parent, const char* name, int x, int y, int maxLength, bool readOnly, bool enabled,
                int width) {
    QLineEdit* edit = MakeEdit(parent, name, QRect(x, y, width, 21));
    if (maxLength > 0) edit->setMaxLength(maxLength);
    edit->setReadOnly(readOnly);
    edit->setEnabled(enabled);
    return edit;
}

QLineEdit* Password(QWidget* parent, const char* name, int x, int y, int maxLength, int width) {
    QLineEdit* edit = Edit(parent, name, x, y, maxLength, false, true, width);
    ShowAsStars(edit);
    // Pasting or dropping would put unmasked text into the field.
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setAcceptDrops(false);
    edit->installEventFilter(new PasswordKeys(edit));
    return edit;
}

QLineEdit* Amount(QWidget* parent, const char* name, int x, int y) {
    QLineEdit* edit = Edit(parent, name, x, y, 10, false);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}(\\.\\d{0,2})?")), edit));
    edit->setText(QStringLiteral("0.00"));
    edit->installEventFilter(new AmountKeys(edit));
    return edit;
}

QComboBox* Combo(QWidget* parent, const char* name, int x, int y, const QStringList& items, bool enabled) {
    QComboBox* combo = MakeCombo(parent, name, QRect(x, y, kFieldWidth, 21), items);
    combo->setEnabled(enabled);
    return combo;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name, int x, int y, int height) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QLatin1String(name));
    memo->setGeometry(x, y, kFieldWidth, height);
    memo->setTabChangesFocus(true);
    return memo;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int x, int y) {
    return MakeButton(parent, name, text, QRect(x, y, 88, 25));
}

QToolButton* KeyButton(QWidget* parent, const char* name, int x, int y, int tag, QLineEdit* field) {
    QToolButton* button = MakeToolButton(parent, name, QStringLiteral("软键盘"));
    button->setGeometry(x, y, 21, 21);
    button->setText(QStringLiteral("⌨"));
    button->setProperty("Tag", tag);
    QObject::connect(button, &QToolButton::clicked, button, [field] {
        FocusIfPossible(field);
        // Left of the pointer by the width of a password field.
        const QPoint cursor = QCursor::pos();
        ShowSoftKeyboard(field->window(), QPoint(cursor.x() - 141, cursor.y() + 10));
    });
    return button;
}

QFrame* BankPasswordPanel(QWidget* page, const char* name, const char* editName, const char* keyName, int keyTag,
                          int y, QLineEdit** edit) {
    auto* panel = new QFrame(page);
    panel->setObjectName(QLatin1String(name));
    panel->setGeometry(kRightLabelX, y, 254, 24);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->setFrameShape(QFrame::NoFrame);
    constexpr int fieldX = kRightFieldX - kRightLabelX;
    Caption(panel, nullptr, QStringLiteral("银行密码"), 0, 1);
    *edit = Password(panel, editName, fieldX, 1, 25, 140);
    RequiredMark(panel, fieldX + 142, 1);
    KeyButton(panel, keyName, fieldX + 151, 1, keyTag, *edit);
    panel->hide();
    return panel;
}

void AccountFields::build(QWidget* p, int suffix, bool namedLabels) {
    const auto name = [suffix](const char* stem) { return QByteArray(stem) + QByteArray::number(suffix); };
    const auto label = [&](const char* stem) { return namedLabels ? name(stem) : QByteArray(); };
    const auto labelName = [](const QByteArray& n) { return n.isEmpty() ? nullptr : n.constData(); };
    tradeLabel = Caption(p, labelName(label("lblTradeNo")), QStringLiteral("市场账号"), kLabelX, RowY(0), true);
    tradeNo = Edit(p, name("txtTradeNo").constData(), kFieldX, RowY(0), 25, true);
    bankNoLabel = Caption(p, labelName(label("lblBankNo")), QStringLiteral("银行账号"), kLabelX, RowY(1), true);
    bankNo = SearchEdit(p, name("txtBankNo").constData(), kFieldX, RowY(1), &search_);
    bankNameLabel = Caption(p, labelName(label("lblBankName")), QStringLiteral("签约银行"), kLabelX, RowY(2),
                            namedLabels);
    bankName = Edit(p, name("txtBankName").constData(), kFieldX, RowY(2), 25, false, false);
    // Kept for the operations, not shown.
    bankId = Edit(p, name("txtBankID").constData(), 0, 0, 25, false, false);
    bankId->hide();
}

void AccountFields::show(const TBankInfo& account, const QString& shownName) {
    bankId->setText(QString::fromStdString(account.BankID));
    ShowFromStart(bankNo, QString::fromStdString(account.CustBankAcctNo));
    bankName->setText(shownName);
}

void AccountFields::setTradeId(const QString& tradeId) { tradeNo->setText(tradeId); }

AccountInput AccountFields::input() const { return {Text(bankId), Text(bankNo), Text(tradeNo)}; }

void ShowDirections(QComboBox* choice, QPushButton* button, OnlyDirection directions) {
    choice->setEnabled(directions == OnlyDirection::Both);
    button->setEnabled(directions != OnlyDirection::Neither);
    if (directions == OnlyDirection::First)
        choice->setCurrentIndex(0);
    else if (directions == OnlyDirection::Second)
        choice->setCurrentIndex(1);
}

QStringList MoneyKinds() {
    return {QStringLiteral("0.人民币"), QStringLiteral("1.美元"), QStringLiteral("2.港元")};
}

std::string Text(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }
std::string PasswordText(const QLineEdit* edit) { return UnmaskPassword(edit->text().trimmed()).toStdString(); }
std::string MemoText(const QPlainTextEdit* memo) { return vantrel::MemoText(memo->toPlainText()).toStdString(); }
bool Blank(const QLineEdit* edit) { return edit->text().trimmed().isEmpty(); }

void FocusIfPossible(QWidget* widget) {
    if (widget && widget->isVisible() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus)
        widget->setFocus(Qt::OtherFocusReason);
}

void Refuse(QWidget* page, const QString& message, QWidget* field, bool onlyIfFocusable) {
    Prompts().messageBox(page->window(), message, SystemPromptTitle(), MbOk);
    if (onlyIfFocusable)
        FocusIfPossible(field);
    else
        field->setFocus(Qt::OtherFocusReason);
}

}  // namespace vantrel::page
