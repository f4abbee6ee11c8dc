#pragma once
// What the main window tests share: a simulator, a private Bank.ini made from
// the example file, a scripted user, the simulator's parameters, a login and
// an open main window.
#include <QtTest>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

#include <sqlite3.h>

#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <vector>

#include "LedgerText.h"
#include "MiddlewareProcess.h"
#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "common/TextCodec.h"
#include "mainwindow/TfrmBankList.h"
#include "mainwindow/TfrmVantrel.h"
#include "ProcessSession.h"
#include "protocol/TBankLogin.h"
#include "widgets/TfrmNoneForm.h"

namespace vantrel::test {

inline std::string ExampleBankIni() {
    std::ifstream in(std::string(VANTREL_SOURCE_DIR) + "/examples/Bank.ini", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    auto text = GbkToUtf8(bytes.str());
    return text.ok() ? text.value() : std::string();
}

// The example file without one section.
inline std::string WithoutSection(std::string ini, const std::string& section) {
    auto start = ini.find("\n[" + section + "]");
    if (start == std::string::npos) return ini;
    ++start;
    const auto end = ini.find("\n[", start + 1);
    ini.erase(start, end == std::string::npos ? std::string::npos : end + 1 - start);
    return ini;
}

// A control of the main window by its objectName: the names are what the
// tests, the walk-through and the host rely on.
template <class T>
T* Find(const QObject* window, const char* name) {
    T* found = window->findChild<T*>(QLatin1String(name));
    if (!found) qFatal("no %s named %s", T::staticMetaObject.className(), name);
    return found;
}
template <class T, class W>
T* Find(const std::unique_ptr<W>& window, const char* name) {
    return Find<T>(window.get(), name);
}

// The customer's choice of the item a combo box shows.
inline void Chosen(QComboBox* combo) { emit combo->activated(combo->currentIndex()); }

inline QStringList VisiblePages(QTabWidget* pages) {
    QStringList visible;
    for (int i = 0; i < pages->count(); ++i)
        if (pages->isTabVisible(i)) visible << QString::number(i);
    return visible;
}


// For its lifetime another simulator (started with `args`) takes the place
// of the fixture's: logins and Bank.ini written then point to it.
class SimulatorInPlace {
public:
    SimulatorInPlace(std::unique_ptr<MiddlewareProcess>& slot, std::vector<std::string> args)
        : slot_(slot), other_(std::make_unique<MiddlewareProcess>(std::move(args))) {
        std::swap(slot_, other_);
    }
    ~SimulatorInPlace() { std::swap(slot_, other_); }
    SimulatorInPlace(const SimulatorInPlace&) = delete;
    SimulatorInPlace& operator=(const SimulatorInPlace&) = delete;

private:
    std::unique_ptr<MiddlewareProcess>& slot_;
    std::unique_ptr<MiddlewareProcess> other_;
};

class MainWindowFixture : public QObject {
protected:
    std::unique_ptr<MiddlewareProcess> sim;
    std::unique_ptr<TestFolder> folder;
    std::unique_ptr<ScopedAppPath> appPath;
    std::unique_ptr<ScriptedPrompts> user;

    void writeBankIni(std::string ini) {
        const auto port = ini.find("Port=17990");
        QVERIFY(port != std::string::npos);
        ini.replace(port, 10, "Port=" + std::to_string(sim->port()));
        auto gbk = Utf8ToGbk(ini);
        QVERIFY(gbk.ok());
        folder->write("Bank.ini", gbk.value());
    }

    // The first column of the first row of `sql` in the simulator's ledger,
    // as text ("" when there is no row).
    std::string ledgerText(const std::string& sql) { return LedgerText(sim->db(), sql); }
    long long ledgerNumber(const std::string& sql) { return std::atoll(ledgerText(sql).c_str()); }

    // Changes a parameter of the simulator's ledger; an empty value removes it.
    void setParam(const char* bank, const char* param, const char* value) {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(sim->db().c_str(), &db), SQLITE_OK);
        sqlite3_busy_timeout(db, 2000);
        const char* sql = *value ? "INSERT INTO sys_param(bank_id, param, value, name) VALUES(?1, ?2, ?3, ?2) "
                                   "ON CONFLICT(bank_id, param) DO UPDATE SET value = excluded.value"
                                 : "DELETE FROM sys_param WHERE bank_id = ?1 AND param = ?2";
        sqlite3_stmt* statement = nullptr;
        QCOMPARE(sqlite3_prepare_v2(db, sql, -1, &statement, nullptr), SQLITE_OK);
        sqlite3_bind_text(statement, 1, bank, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 2, param, -1, SQLITE_TRANSIENT);
        if (*value) sqlite3_bind_text(statement, 3, value, -1, SQLITE_TRANSIENT);
        QCOMPARE(sqlite3_step(statement), SQLITE_DONE);
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }

    // What the login dialog leaves behind for the main window.
    bool login(const std::string& trade) {
        TBankLogin request(Process());
        request.Settings.Host = "127.0.0.1";
        request.Settings.Port = sim->port();
        request.Settings.CustTradeID = trade;
        request.Settings.CustMoneyPwd = "123456";
        if (!request.Execute()) return false;
        SignedBankTable().clear();
        if (request.ResultTable.recordCount() > 0) SignedBankTable().copyFrom(request.ResultTable);
        CustomerSession().MoneyPwd = "123456";
        return true;
    }

    std::unique_ptr<TfrmVantrel> openWindow(const std::string& trade) {
        if (!login(trade)) return nullptr;
        auto window = CreateForm<TfrmVantrel>(Process());
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
        window->activateWindow();
        // Another test program on the same display may hold the activation.
        QApplication::setActiveWindow(window.get());
        static_cast<void>(QTest::qWaitForWindowActive(window.get()));
        return window;
    }

    // Runs `act` once the picker that the next search click opens is shown.
    void whenPickerShown(std::function<void(TfrmBankList*)> act) {
        auto* poll = new QTimer(this);
        poll->setInterval(10);
        connect(poll, &QTimer::timeout, this, [poll, act] {
            TfrmBankList* picker = TfrmBankList::Current();
            if (!picker || !picker->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            act(picker);
        });
        poll->start();
    }

    static QAction* searchButton(QLineEdit* field) {
        return field->findChild<QAction*>(field->objectName() + "Button");
    }

};

}  // namespace vantrel::test
