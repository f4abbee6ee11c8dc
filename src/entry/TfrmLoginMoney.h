#pragma once
// The login dialog: asks for the fund password of the trade number the host
// passed in, logs in with TBankLogin, stores the login state and opens the
// main window.
//
// Two paths: OpenVantrel gives a fixed server (FixedHost, FixedPort);
// OpenVantrelEx shows btnSet and the server controls of Panel1, and the
// server comes from Bank.ini.
#include <QString>

#include <cstdint>
#include <memory>
#include <string>

#include "entry/TfrmNoneForm.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;

namespace vantrel {

class TBankLogin;

class TfrmLoginMoney : public TfrmNoneForm {
    Q_OBJECT
public:
    // Throws when the login request cannot be built (logs folder not writable).
    explicit TfrmLoginMoney(QWidget* parent = nullptr);
    ~TfrmLoginMoney() override;

    // Selects the server-choice path: btnSet becomes visible.
    void UseServerChoice();
    bool ServerChoicePath() const;

    // The fixed-server path's server, given by OpenVantrel (UTF-8).
    std::string FixedHost;
    int32_t FixedPort = 0;

    TBankLogin& Login() { return *login_; }

    QLabel* RzLabel2 = nullptr;
    QLineEdit* txtUser = nullptr;
    QLabel* RzLabel3 = nullptr;
    QLineEdit* txtPass = nullptr;
    QToolButton* btnKey = nullptr;
    QPushButton* btnSet = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnExit = nullptr;
    QLabel* lblHint = nullptr;
    QFrame* Panel1 = nullptr;
    QCheckBox* ChkAuto = nullptr;
    QLabel* RzLabel1 = nullptr;
    QComboBox* txtHost = nullptr;
    QPushButton* btn1 = nullptr;
    QTimer* Timer = nullptr;

    // Whether a key typed into txtPass may reach it: Backspace, Enter,
    // Escape, 0-9, a-z, A-Z. Keys that type no character (arrows, Delete,
    // Tab, Ctrl shortcuts such as paste) are not typing and pass too.
    static bool PasswordKeyAllowed(const QKeyEvent& event);

    void LogBlockMessage(const QString& block, int level) override;

public slots:
    void TimerTimer();
    void btnKeyClick();
    void btnSetClick();
    void btnExitClick();
    void btnOkClick();

public:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Both return true when the key was handled here and must go no further.
    bool txtUserKeyPress(QKeyEvent* event);
    bool txtPassKeyPress(QKeyEvent* event);
    // The server-responsiveness check of the server-choice path runs; the
    // check itself is added with that path.
    bool CheckerBusy() const { return false; }
    bool CanClose() const { return !CheckerBusy() && !loggingIn_; }
    void ChooseServer();
    void LoginSteps(const QString& tradeId, const QString& password);

    std::unique_ptr<TBankLogin> login_;
    bool loggingIn_ = false;
};

}  // namespace vantrel
