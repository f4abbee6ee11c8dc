#include "entry/TfrmLoginMoney.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtDebug>

#include "common/AppPaths.h"
#include "common/BankIni.h"
#include "common/ErrorLog.h"
#include "common/Profile.h"
#include "common/TextUtil.h"
#include "entry/MainWindowLauncher.h"
#include "protocol/Session.h"
#include "protocol/TBankLogin.h"
#include "servers/HostCheckAdapter.h"
#include "servers/ServerList.h"
#include "servers/THostRespondCheck.h"
#include "servers/TfrmConfigSet.h"
#include "widgets/PasswordEcho.h"
#include "widgets/TfFormSK.h"
#include "widgets/WaitCursorGuard.h"

namespace vantrel {
namespace {

// The system's trimming: blanks and control characters at both ends.
QString TrimText(const QString& text) { return QString::fromStdString(Trim(text.toStdString())); }

QPixmap KeyboardPicture() {
    QPixmap picture(16, 12);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(70, 70, 70));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 11), 2, 2);
    for (int row = 0; row < 2; ++row)
        for (int col = 0; col < 5; ++col) painter.fillRect(2 + col * 3, 2 + row * 3, 2, 2, QColor(70, 70, 70));
    painter.fillRect(4, 8, 8, 2, QColor(70, 70, 70));
    return picture;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(geometry);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

void NoInputMethod(QLineEdit* edit) {
    edit->setAttribute(Qt::WA_InputMethodEnabled, false);
    edit->setInputMethodHints(Qt::ImhNoPredictiveText | Qt::ImhLatinOnly);
}

}  // namespace

TfrmLoginMoney::TfrmLoginMoney(Session& session, QWidget* parent) : TfrmNoneForm(parent, true), session_(session) {
    setObjectName("frmLoginMoney");
    setWindowTitle(QStringLiteral("银行转账登录"));
    SetDesignSize(342, 206);

    QWidget* area = ClientArea();
    RzLabel2 = MakeLabel(area, "RzLabel2", QStringLiteral("交易商号："), QRect(16, 22, 94, 22));
    txtUser = new QLineEdit(area);
    txtUser->setObjectName("txtUser");
    txtUser->setGeometry(112, 22, 150, 22);
    txtUser->setReadOnly(true);
    txtUser->setMaxLength(15);
    NoInputMethod(txtUser);
    // Shown in upper case whatever is put in.
    connect(txtUser, &QLineEdit::textChanged, this, [this](const QString& text) {
        const QString upper = text.toUpper();
        if (upper != text) txtUser->setText(upper);
    });

    RzLabel3 = MakeLabel(area, "RzLabel3", QStringLiteral("资金密码："), QRect(16, 56, 94, 22));
    txtPass = new QLineEdit(area);
    txtPass->setObjectName("txtPass");
    txtPass->setGeometry(112, 56, 150, 22);
    txtPass->setMaxLength(8);
    ShowAsStars(txtPass);
    NoInputMethod(txtPass);

    btnKey = new QToolButton(area);
    btnKey->setObjectName("btnKey");
    btnKey->setAutoRaise(true);
    btnKey->setIcon(QIcon(KeyboardPicture()));
    btnKey->setToolTip(QStringLiteral("软键盘"));
    btnKey->setFocusPolicy(Qt::NoFocus);
    btnKey->setGeometry(264, 56, 24, 22);

    btnSet = MakeButton(area, "btnSet", QStringLiteral("设  置"), QRect(14, 100, 75, 25));
    btnSet->setVisible(false);
    btnSet->setEnabled(false);
    btnOk = MakeButton(area, "btnOk", QStringLiteral("登  录"), QRect(132, 100, 75, 25));
    btnOk->setDefault(true);
    btnOk->setEnabled(false);
    btnExit = MakeButton(area, "btnExit", QStringLiteral("返  回"), QRect(226, 100, 75, 25));
    btnExit->setEnabled(false);

    lblHint = new QLabel(QStringLiteral("正在检测服务器,请稍候..."), area);
    lblHint->setObjectName("lblHint");
    lblHint->setGeometry(14, 134, 314, 20);
    lblHint->setAlignment(Qt::AlignCenter);
    lblHint->setStyleSheet(QStringLiteral("color: red;"));
    lblHint->setVisible(false);

    // Below the visible area until btnSet enlarges the dialog.
    Panel1 = new QFrame(area);
    Panel1->setObjectName("Panel1");
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setGeometry(6, 186, 328, 84);
    ChkAuto = new QCheckBox(QStringLiteral("自动选择"), Panel1);
    ChkAuto->setObjectName("ChkAuto");
    ChkAuto->setChecked(true);
    ChkAuto->setGeometry(116, 8, 120, 20);
    RzLabel1 = MakeLabel(Panel1, "RzLabel1", QStringLiteral("资金中间件地址："), QRect(4, 36, 110, 22));
    txtHost = new QComboBox(Panel1);
    txtHost->setObjectName("txtHost");
    txtHost->setEnabled(false);
    txtHost->setGeometry(116, 36, 140, 22);
    btn1 = MakeButton(Panel1, "btn1", QStringLiteral("配  置"), QRect(260, 35, 60, 24));

    setTabOrder(txtPass, txtUser);
    txtPass->setFocus();
    txtPass->installEventFilter(this);
    txtUser->installEventFilter(this);

    connect(btnKey, &QToolButton::clicked, this, &TfrmLoginMoney::btnKeyClick);
    connect(btnSet, &QPushButton::clicked, this, &TfrmLoginMoney::btnSetClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmLoginMoney::btnOkClick);
    connect(btnExit, &QPushButton::clicked, this, &TfrmLoginMoney::btnExitClick);
    connect(ChkAuto, &QCheckBox::toggled, this, &TfrmLoginMoney::ChkAutoClick);
    connect(btn1, &QPushButton::clicked, this, &TfrmLoginMoney::btn1Click);

    login_ = std::make_unique<TBankLogin>(session_, logSink());

    Timer = new QTimer(this);
    Timer->setObjectName("Timer");
    Timer->setInterval(100);
    connect(Timer, &QTimer::timeout, this, &TfrmLoginMoney::TimerTimer);
    Timer->start();
}

TfrmLoginMoney::~TfrmLoginMoney() {
    // Joins a probe still running before the adapter goes.
    checker_.reset();
}

bool TfrmLoginMoney::CheckerBusy() const { return checker_ && checker_->IsChecking(); }

void TfrmLoginMoney::showEvent(QShowEvent* event) {
    TfrmNoneForm::showEvent(event);
    if (!ServerChoicePath() || checker_) return;
    // The dialog takes the notices through the adapter but learns the end of
    // a probe from IsChecking on its timer.
    adapter_ = std::make_unique<HostCheckAdapter>();
    checker_ = std::make_unique<THostRespondCheck>();
    checker_->SetListener(adapter_.get());
    ReloadServers();
}

void TfrmLoginMoney::ReloadServers() {
    const QStringList names = LoadServerList();
    txtHost->clear();
    txtHost->addItems(names);
    txtHost->setCurrentIndex(-1);
}

QStringList TfrmLoginMoney::LoadServerList() {
    QStringList names;
    serverNumbers_.clear();
    const auto ini = Profile::Load(PathFromUtf8(BankIniPath()));
    if (!ini.fileExists()) return names;
    const auto sections = ReadServerSections(ini, ServerSectionHead);
    if (!sections) return names;
    for (const auto& server : NamedServers(*sections)) {
        names << QString::fromStdString(server.ServerName);
        serverNumbers_.push_back(server.Number);
    }
    if (names.isEmpty() || !checker_) return names;

    checker_->StopCheck();
    checker_->ClearHosts();
    for (const auto& server : *sections) {
        const auto section = ServerSection(ServerSectionHead, server.Number);
        // A refused host (not dotted IPv4) is simply not probed.
        (void)checker_->AddHost(server.Number, ini.readString(section, "ServerIP", "127.0.0.1"),
                                ini.readInteger(section, "Port", 11111), ReadServerTls(ini, section, AppPath()));
    }
    checker_->StartCheck(static_cast<uint16_t>(checker_->HostCount()));
    Timer->start();
    return names;
}

void TfrmLoginMoney::ChkAutoClick() { txtHost->setEnabled(!ChkAuto->isChecked()); }

void TfrmLoginMoney::btn1Click() {
    auto dialog = CreateForm<TfrmConfigSet>(this);
    dialog->SectionPrefix = QString::fromUtf8(ServerSectionHead.data(), static_cast<int>(ServerSectionHead.size()));
    if (dialog->exec() == QDialog::Accepted) ReloadServers();
}

void TfrmLoginMoney::UseServerChoice() { btnSet->setVisible(true); }

bool TfrmLoginMoney::ServerChoicePath() const { return !btnSet->isHidden(); }

void TfrmLoginMoney::TimerTimer() {
    if (CheckerBusy()) {
        if (lblHint->isHidden()) lblHint->setVisible(true);
        return;
    }
    lblHint->setVisible(false);
    Timer->stop();
    btnSet->setEnabled(true);
    btnOk->setEnabled(true);
    btnExit->setEnabled(true);
}

bool TfrmLoginMoney::PasswordKeyAllowed(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        return true;
    default:
        break;
    }
    const QString text = event.text();
    bool typesSomething = false;
    for (const QChar c : text)
        if (c.isPrint()) typesSomething = true;
    if (!typesSomething) return true;
    if (text.size() != 1) return false;
    const char16_t c = text.front().unicode();
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool TfrmLoginMoney::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == txtPass) return txtPassKeyPress(key);
        if (watched == txtUser) return txtUserKeyPress(key);
    }
    return TfrmNoneForm::eventFilter(watched, event);
}

bool TfrmLoginMoney::txtUserKeyPress(QKeyEvent* event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return false;
    txtPass->setFocus();
    return true;
}

bool TfrmLoginMoney::txtPassKeyPress(QKeyEvent* event) {
    if (!PasswordKeyAllowed(*event)) return true;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Handled here, never by the default button as well: one login per
        // key press whether btnOk is enabled or not.
        btnOkClick();
        return true;
    }
    return false;
}

void TfrmLoginMoney::btnKeyClick() {
    txtPass->setFocus();
    const QPoint mouse = QCursor::pos();
    ShowSoftKeyboard(this, QPoint(mouse.x() - txtPass->width(), mouse.y() + 10));
}

void TfrmLoginMoney::btnSetClick() {
    const int height = this->height() > 220 ? 200 : 300;
    SetDesignSize(width(), height);
}

void TfrmLoginMoney::btnExitClick() { close(); }

void TfrmLoginMoney::reject() {
    if (!CanClose()) return;
    TfrmNoneForm::reject();
}

void TfrmLoginMoney::keyPressEvent(QKeyEvent* event) {
    // Only btnExit and the close box close the dialog; Escape reaches here
    // from txtPass, whose filter lets it pass.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TfrmNoneForm::keyPressEvent(event);
}

void TfrmLoginMoney::closeEvent(QCloseEvent* event) {
    if (!CanClose()) {
        event->ignore();
        return;
    }
    TfrmNoneForm::closeEvent(event);
}

void TfrmLoginMoney::btnOkClick() {
    // Message boxes shown during a login run a nested event loop; a second
    // Enter must not start a second login inside the first.
    if (loggingIn_) return;
    const QString tradeId = TrimText(txtUser->text());
    if (tradeId.isEmpty()) {
        ShowMsg(QStringLiteral("请输入正确的交易商号!"), MbOk, SystemPromptTitle());
        txtUser->setFocus();
        return;
    }
    const QString password = TrimText(txtPass->text());
    if (password.isEmpty()) {
        ShowMsg(QStringLiteral("密码不正确,请核实!"), MbOk, SystemPromptTitle());
        txtPass->clear();
        txtPass->setFocus();
        return;
    }
    if (ServerChoicePath() && txtHost->count() == 0) {
        ShowMsg(QStringLiteral("服务器列表为空，请先配置资金中间列表!"), MbOk, SystemPromptTitle());
        return;
    }

    loggingIn_ = true;
    try {
        LoginSteps(tradeId, password);
    } catch (const std::exception& failure) {
        loggingIn_ = false;
        const QString line = QStringLiteral("uMoneyLogin ->  btnOkClick -> ") + QString::fromUtf8(failure.what());
        // Nothing reaches the user; and nothing may leave a Qt event handler.
        try {
            WriteErrorLog(line.toStdString());
        } catch (const std::exception& logFailure) {
            qWarning("%s (error log not written: %s)", qUtf8Printable(line), logFailure.what());
        }
    }
    loggingIn_ = false;
}

void TfrmLoginMoney::ChooseServer() {
    if (ServerChoicePath()) {
        if (ChkAuto->isChecked()) {
            // No server answered: the request keeps what it holds ([system],
            // or an earlier attempt's choice).
            std::optional<THostInfo> best;
            if (checker_) best = checker_->ChooseBestHost();
            if (best) {
                login_->Settings.Host = best->IP;
                login_->Settings.Port = best->Port;
                login_->Settings.Tls = best->Tls;
            }
            return;
        }
        // The section the picked name came from; nameless sections before it
        // do not shift the choice onto another server.
        const int index = txtHost->currentIndex();
        int number = serverNumbers_.empty() ? 1 : serverNumbers_.front();
        if (index >= 0 && index < static_cast<int>(serverNumbers_.size())) number = serverNumbers_[index];
        const std::string section = ServerSection(ServerSectionHead, number);
        login_->Settings.Host = IniReadString(section, "ServerIP", "127.0.0.1");
        login_->Settings.Port = IniReadInteger(section, "Port", 0);
        login_->Settings.Tls =
            ReadServerTls(Profile::Load(PathFromUtf8(BankIniPath())), section, login_->Settings.AppPath);
        return;
    }
    login_->Settings.Host = FixedHost;
    login_->Settings.Port = FixedPort;
}

void TfrmLoginMoney::LoginSteps(const QString& tradeId, const QString& password) {
    ChooseServer();
    login_->Settings.CustTradeID = tradeId.toStdString();
    login_->Settings.CustMoneyPwd = password.toStdString();

    bool done = false;
    {
        WaitCursorGuard wait;
        done = login_->Execute();
    }
    if (!done) {
        ShowMsg(QString::fromStdString(login_->LastMessage), MbOk, SystemPromptTitle());
        txtPass->clear();
        txtPass->setFocus();
        return;
    }

    if (login_->ResultTable.recordCount() > 0) session_.SignedBankTable.copyFrom(login_->ResultTable);
    session_.CustomerSession.MoneyPwd = password.toStdString();
    hide();
    accept();
    loggingIn_ = false;
    LaunchMainWindow(session_);
}

void TfrmLoginMoney::LogBlockMessage(const QString& block, int) {
    QString text = TrimText(block);
    if (text.isEmpty()) return;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // The request keeps the wait cursor up; the message box needs the arrow.
    QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    ShowMsg(text, MbOk, SystemPromptTitle());
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace vantrel
