#pragma once
// The login dialog: asks for the fund password of the trade number the host
// passed in, logs in with TBankLogin, stores the login state and opens the
// main window.
//
// Two paths: OpenVantrel gives a fixed server (FixedHost, FixedPort);
// OpenVantrelEx shows btnSet and the server controls of Panel1, and the
// server comes from Bank.ini.
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "widgets/TfrmNoneForm.h"

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

struct Session;
class HostCheckAdapter;
class TBankLogin;
class THostRespondCheck;

class TfrmLoginMoney : public TfrmNoneForm {
    Q_OBJECT
public:
    // Logs into `session`, which outlives the dialog. Throws when the login
    // request cannot be built (logs folder not writable).
    explicit TfrmLoginMoney(Session& session, QWidget* parent = nullptr);
    ~TfrmLoginMoney() override;

    // Selects the server-choice path: btnSet becomes visible.
    void UseServerChoice();
    bool ServerChoicePath() const;

    // The fixed-server path's server, given by OpenVantrel (UTF-8).
    std::string FixedHost;
    int32_t FixedPort = 0;

    TBankLogin& Login() { return *login_; }
    // The probe of the server-choice path; none before the dialog is shown
    // and in the fixed-server path.
    THostRespondCheck* Checker() const { return checker_.get(); }

    // Reads the named servers of [MoneyServer1..Count], restarts the probe
    // over all of them and returns the names for txtHost.
    QStringList LoadServerList();

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
    void ChkAutoClick();
    void btn1Click();

public:
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // Both return true when the key was handled here and must go no further.
    bool txtUserKeyPress(QKeyEvent* event);
    bool txtPassKeyPress(QKeyEvent* event);
    bool CheckerBusy() const;
    void ReloadServers();
    bool CanClose() const { return !CheckerBusy() && !loggingIn_; }
    void ChooseServer();
    void LoginSteps(const QString& tradeId, const QString& password);

    Session& session_;
    std::unique_ptr<TBankLogin> login_;
    std::unique_ptr<HostCheckAdapter> adapter_;
    // After the adapter: destroyed first, so its workers stop calling it.
    std::unique_ptr<THostRespondCheck> checker_;
    // Section number of each txtHost entry; nameless sections have none.
    std::vector<int> serverNumbers_;
    bool loggingIn_ = false;
};

}  // namespace vantrel
