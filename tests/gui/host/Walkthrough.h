#pragma once
// The scripted walk-through of the demo host: while the export runs, it
// drives the library's real windows as a customer would (login, account
// choice, a deposit, the details and the log), saves a picture of each step
// and says what happened. Each dialog runs its own nested modal loop, so the
// script polls on a timer and runs every action that may open a dialog from
// a separate zero-time timer.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

class QMessageBox;
class QWidget;

namespace vantrel::host {

struct WalkthroughScript {
    QString tradeId;
    QString fundPassword = QStringLiteral("123456");
    QString bankId = QStringLiteral("005");
    QString amount = QStringLiteral("100.00");
    QString memo;  // empty: "演示划转 hh:mm:ss"
    uintptr_t ownerWindow = 0;  // the host window the export was given; 0: not checked
    int stepTimeoutMs = 10000;
};

class Walkthrough : public QObject {
    Q_OBJECT
public:
    Walkthrough(QString folder, WalkthroughScript script, QObject* parent = nullptr);

    // Prepares the folder (old pictures of a previous run are removed) and
    // starts polling; false, with the reason printed, when the folder cannot
    // be made.
    bool start();
    // The export returned: the walk-through fails if steps were left.
    void exportReturned();
    bool succeeded() const { return done_ && !failed_; }
    int exitCode() const { return succeeded() ? 0 : 1; }

private:
    enum class Poll { Wait, Done };
    struct Step {
        QString what;  // what the step waits for or does
        std::function<Poll()> poll;
    };

    void buildSteps();
    void tick();
    void fail(const QString& why);
    // fail(), for a step's poll.
    Poll stop(const QString& why);
    void say(const QString& line);
    // say(), numbered with the current step.
    void report(const QString& what);
    // Saves `base` with the windows of `over` drawn where they are on screen.
    bool picture(const QString& name, QWidget* base, const std::vector<QWidget*>& over = {});
    // Runs `action` outside the polling slot: a timer does not fire again
    // while its slot runs, and the action may open a modal dialog.
    void later(std::function<void()> action);

    // The box in front, if a message box is in front.
    static QMessageBox* FrontBox();
    // A message box that is not the one the step waits for: a connection or
    // success notice is closed with OK and the step keeps waiting; anything
    // else fails the walk-through.
    Poll notice(QMessageBox* box);
    // Presses `button` (a QMessageBox::StandardButton) of `box`, later.
    void answer(QMessageBox* box, int button);

    QString folder_;
    WalkthroughScript script_;
    std::vector<Step> steps_;
    std::size_t current_ = 0;
    QTimer poll_;
    QElapsedTimer stepClock_;
    QElapsedTimer totalClock_;
    bool done_ = false;
    bool failed_ = false;
    QPointer<QMessageBox> answered_;  // a box already answered, still closing
    QPointer<QWidget> login_;
    QPointer<QWidget> main_;
    QPointer<QMessageBox> confirmation_;
};

}  // namespace vantrel::host
