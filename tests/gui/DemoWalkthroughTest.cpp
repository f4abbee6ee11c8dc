// The demo's scripted walk-through: the built vantrel-walkthrough drives the real
// library against a simulator, leaves a picture per step and a deposit in the
// ledger; a step that does not happen ends it with a reason and status 1.
#include <QtTest>

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>

#include <sqlite3.h>

#include <fstream>
#include <sstream>

#include "LedgerText.h"
#include "MiddlewareProcess.h"
#include "TestFolder.h"

using namespace vantrel;

namespace {

const QStringList kPictures = {"01-login.png",         "02-main-window.png", "03-account-picker.png",
                               "04-deposit-filled.png", "05-confirm.png",     "06-success.png",
                               "07-details.png",        "08-log.png"};
const char* const kAccount005 = "6222020200112345678";

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

std::string SampleBankIni(int port) {
    std::ifstream in(VANTREL_SOURCE_DIR "/examples/Bank.ini", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    // GBK, but the port lines are ASCII: [system] and [MoneyServer1].
    std::string ini = bytes.str();
    const std::string sample = "Port=17990";
    int replaced = 0;
    for (auto at = ini.find(sample); at != std::string::npos; at = ini.find(sample, at + 1), ++replaced)
        ini.replace(at, sample.size(), "Port=" + std::to_string(port));
    return replaced == 2 ? ini : std::string();
}

}  // namespace

class DemoWalkthroughTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::MiddlewareProcess> sim;
    std::unique_ptr<test::TestFolder> folder;

    QString pictures() const { return QString::fromStdString((folder->path() / "pictures").string()); }

    // Runs SQL on the simulator's ledger; returns the first column of the
    // first row, "" when there is none.
    std::string ledger(const std::string& sql) { return test::LedgerText(sim->db(), sql); }
    long long ledgerNumber(const std::string& sql) { return std::atoll(ledger(sql).c_str()); }
    // Runs one changing statement; the number of rows it changed, -1 on error.
    int change(const std::string& sql) {
        sqlite3* db = nullptr;
        int changed = -1;
        if (sqlite3_open(sim->db().c_str(), &db) == SQLITE_OK) {
            sqlite3_busy_timeout(db, 2000);
            if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) changed = sqlite3_changes(db);
        }
        sqlite3_close(db);
        return changed;
    }

    Run walk() {
        QProcess host;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VANTREL_APP_PATH", QString::fromStdString(folder->appPath()));
        host.setProcessEnvironment(env);
        QString program = VANTREL_HOST_FILE;
        QStringList args = {"--ex", "--trade", "8001234", "--walkthrough", pictures()};
        // As the demo runs it when there is no display.
        if (!env.contains("DISPLAY") && !env.contains("WAYLAND_DISPLAY")) {
            args = QStringList{"-a", "-s", "-screen 0 1280x1024x24", program} + args;
            program = "xvfb-run";
        }
        host.start(program, args);
        Run run;
        if (!host.waitForStarted(10000)) {
            run.err = "cannot start " + program;
            return run;
        }
        if (!host.waitForFinished(90000)) host.kill();
        host.waitForFinished(5000);
        run.exitCode = host.exitStatus() == QProcess::NormalExit ? host.exitCode() : -1;
        run.out = QString::fromUtf8(host.readAllStandardOutput());
        run.err = QString::fromUtf8(host.readAllStandardError());
        return run;
    }

    long long depositsOf10000() {
        return ledgerNumber("SELECT count(*) FROM transfer WHERE trade_id = '8001234' AND amount = 10000");
    }

private slots:
    void init() {
        sim = std::make_unique<test::MiddlewareProcess>();
        folder = std::make_unique<test::TestFolder>();
        const std::string ini = SampleBankIni(sim->port());
        QVERIFY2(!ini.empty(), "examples/Bank.ini no longer has the two Port=17990 lines");
        folder->write("Bank.ini", ini);
    }

    void cleanup() {
        folder.reset();
        sim.reset();
    }

    void walkThroughDepositsAndPicturesEveryStep() {
        const long long market = ledgerNumber("SELECT market_balance FROM customer WHERE trade_id = '8001234'");
        const long long bank = ledgerNumber(std::string("SELECT bank_balance FROM account WHERE acct_no = '") +
                                            kAccount005 + "'");
        const Run run = walk();
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QVERIFY2(!run.err.contains("failed"), qPrintable(run.err));

        // One numbered line per step, in order, then the end.
        qsizetype at = 0;
        for (int step = 1; step <= 12; ++step) {
            const qsizetype found = run.out.indexOf(QString("\n[%1] ").arg(step), at);
            QVERIFY2(found > at, qPrintable(QString("no line [%1] after the previous one:\n%2").arg(step).arg(run.out)));
            at = found;
        }
        QVERIFY(run.out.indexOf("walk-through done in ", at) > at);
        QVERIFY(run.out.contains("notice \"入金成功\""));

        // Every picture: a readable PNG, none the same as another (each step
        // changes what is on screen), the main window's at its full size.
        QSet<QByteArray> seen;
        for (const QString& name : kPictures) {
            const QString path = QDir(pictures()).filePath(name);
            QFile file(path);
            QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
            const QByteArray bytes = file.readAll();
            QVERIFY2(!bytes.isEmpty(), qPrintable(path));
            QImage image;
            QVERIFY2(image.loadFromData(bytes, "PNG"), qPrintable(path));
            if (name != kPictures[0]) QVERIFY2(image.width() >= 782 && image.height() >= 511, qPrintable(name));
            seen.insert(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
        }
        QCOMPARE(seen.size(), kPictures.size());
        QVERIFY(!QFile::exists(QDir(pictures()).filePath("failed.png")));

        // The ledger has the deposit, with the memo typed, and the money moved.
        const QRegularExpression memoLine("memo \"([^\"]+)\"");
        const auto memo = memoLine.match(run.out);
        QVERIFY(memo.hasMatch());
        QCOMPARE(depositsOf10000(), 1LL);
        const std::string row = ledger(
            "SELECT bank_id || '|' || acct_no || '|' || trade_type || '|' || state || '|' || memo FROM transfer "
            "WHERE trade_id = '8001234' AND amount = 10000");
        QCOMPARE(QString::fromStdString(row), QString("005|%1|1|0|%2").arg(kAccount005, memo.captured(1)));
        QCOMPARE(ledgerNumber("SELECT market_balance FROM customer WHERE trade_id = '8001234'"), market + 10000);
        QCOMPARE(ledgerNumber(std::string("SELECT bank_balance FROM account WHERE acct_no = '") + kAccount005 + "'"),
                 bank - 10000);
    }

    void aStepThatDoesNotHappenEndsTheWalkthrough_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("picturesLeft");
        QTest::newRow("wrong fund password")
            << "UPDATE customer SET fund_password = '654321' WHERE trade_id = '8001234'"
            << "failed at step 3 (the main window): unexpected message box" << "E1002 : 资金密码错误" << 1;
        QTest::newRow("no account at bank 005")
            << "DELETE FROM account WHERE trade_id = '8001234' AND bank_id = '005'"
            << "failed at step 5 (the account picker): " << "bank 005 is not listed (listed: 007)" << 2;
        QTest::newRow("deposits switched off at bank 005")
            << "UPDATE sys_param SET value = '1' WHERE bank_id = '005' AND param = '50005'"
            << "failed at step 7 (filling in the deposit): " << "the bank allows only \"0.出金\"" << 3;
    }

    void aStepThatDoesNotHappenEndsTheWalkthrough() {
        QFETCH(QString, sql);
        QFETCH(QString, failure);
        QFETCH(QString, reason);
        QFETCH(int, picturesLeft);
        QCOMPARE(change(sql.toStdString()), 1);
        // A picture from an earlier run must not stay behind.
        QVERIFY(QDir().mkpath(pictures()));
        folder->write("pictures/08-log.png", "old");

        const Run run = walk();
        QVERIFY2(run.exitCode == 1, qPrintable(QString("exit %1\n%2%3").arg(run.exitCode).arg(run.out, run.err)));
        QVERIFY2(run.err.contains(failure), qPrintable(run.err));
        QVERIFY2(run.err.contains(reason), qPrintable(run.err));
        QVERIFY(!run.out.contains("walk-through done"));
        for (int i = 0; i < kPictures.size(); ++i)
            QVERIFY2(QFile::exists(QDir(pictures()).filePath(kPictures[i])) == (i < picturesLeft), qPrintable(kPictures[i]));
        QVERIFY(QFileInfo(QDir(pictures()).filePath("failed.png")).size() > 0);
        QCOMPARE(depositsOf10000(), 0LL);
    }
};

QTEST_GUILESS_MAIN(DemoWalkthroughTest)
#include "DemoWalkthroughTest.moc"
