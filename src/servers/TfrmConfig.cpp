#include "servers/TfrmConfig.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "common/MemoryTable.h"
#include "common/TextUtil.h"
#include "servers/ServerList.h"
#include "widgets/ControlMakers.h"

namespace vantrel {
namespace {

constexpr Qt::Alignment kCaption = Qt::AlignRight | Qt::AlignVCenter;

std::string TrimmedText(const QLineEdit* edit) { return Trim(edit->text().toStdString()); }

}  // namespace

TfrmConfig::TfrmConfig(QWidget* parent) : TfrmNoneForm(parent, true) {
    setObjectName("frmConfig");
    setWindowTitle(QStringLiteral("系统设置"));
    SetDesignSize(399, 211);

    QWidget* area = ClientArea();
    RzLabel3 = MakeLabel(area, "RzLabel3", QStringLiteral("服务器名称"), QRect(10, 16, 90, 22), kCaption);
    txtServerName = MakeEdit(area, "txtServerName", QRect(106, 16, 170, 22));
    RzLabel1 = MakeLabel(area, "RzLabel1", QStringLiteral("服务器地址"), QRect(10, 48, 90, 22), kCaption);
    txtServerIP = MakeEdit(area, "txtServerIP", QRect(106, 48, 170, 22));
    RzLabel4 = MakeRedLabel(area, "RzLabel4", QStringLiteral("IP地址或域名"), QRect(282, 48, 100, 22));
    RzLabel2 = MakeLabel(area, "RzLabel2", QStringLiteral("端  口"), QRect(10, 80, 90, 22), kCaption);
    txtPort = MakeEdit(area, "txtPort", QRect(106, 80, 100, 22));
    txtPort->setMaxLength(10);
    // Digits only, and blank is allowed.
    txtPort->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), txtPort));
    chkNext = MakeCheckBox(area, "chkNext", QStringLiteral("添加下一个"), QRect(106, 112, 120, 22));
    chkNext->setFocusPolicy(Qt::NoFocus);

    btnOk = MakeButton(area, "btnOk", QStringLiteral("应  用"), QRect(200, 140, 80, 26));
    btnExit = MakeButton(area, "btnExit", QStringLiteral("返  回"), QRect(290, 140, 80, 26));

    setTabOrder(txtServerName, txtServerIP);
    setTabOrder(txtServerIP, txtPort);
    for (QLineEdit* edit : {txtServerName, txtServerIP, txtPort}) edit->installEventFilter(this);
    txtServerName->setFocus();

    connect(btnOk, &QPushButton::clicked, this, &TfrmConfig::btnOkClick);
    connect(btnExit, &QPushButton::clicked, this, &TfrmConfig::btnExitClick);
}

void TfrmConfig::EditServer(MemoryTable* table, bool modify) {
    table_ = table;
    modify_ = modify;
    chkNext->setVisible(!modify);
    if (!modify || !table || table->recNo() < 0) return;
    const int row = table->recNo();
    txtServerName->setText(QString::fromStdString(table->text(row, sfName)));
    txtServerIP->setText(QString::fromStdString(table->text(row, sfIP)));
    txtPort->setText(QString::fromStdString(table->text(row, sfPort)));
}

bool TfrmConfig::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == txtServerName) txtServerIP->setFocus();
            else if (watched == txtServerIP) txtPort->setFocus();
            else if (watched == txtPort) btnOkClick();
            return true;
        }
    }
    return TfrmNoneForm::eventFilter(watched, event);
}

void TfrmConfig::btnOkClick() {
    const std::string name = TrimmedText(txtServerName);
    if (name.empty()) {
        ShowMsg(QStringLiteral("服务器名称不能为空!"), MbOk, SystemPromptTitle());
        txtServerName->setFocus();
        return;
    }
    if (table_ && table_->fieldCount() > sfPort) {
        const std::string ip = TrimmedText(txtServerIP);
        const std::string port = txtPort->text().toStdString();
        if (modify_ && table_->recNo() >= 0) {
            const int row = table_->recNo();
            // A failed cell leaves the row as far as it got; the table keeps
            // its own values valid.
            (void)(table_->setText(row, sfName, name).ok() && table_->setText(row, sfIP, ip).ok() &&
                   table_->setText(row, sfPort, port).ok());
        } else if (!modify_) {
            std::vector<std::string> texts(static_cast<size_t>(table_->fieldCount()));
            texts[sfName] = name;
            texts[sfIP] = ip;
            texts[sfPort] = port;
            if (table_->appendRow(std::move(texts)).ok()) table_->last();
        }
    }
    txtServerName->clear();
    txtServerIP->clear();
    txtPort->clear();
    if (!modify_ && chkNext->isChecked()) {
        txtServerName->setFocus();
        return;
    }
    reject();
}

void TfrmConfig::btnExitClick() { reject(); }

}  // namespace vantrel
