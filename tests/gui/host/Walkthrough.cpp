#include "Walkthrough.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QTime>
#include <QWindow>

#include <cstdio>

#include "common/Win32.h"

namespace vantrel::host {
namespace {

// The native window that owns `window`: the Windows owner, or the
// transient parent elsewhere; 0 for none.
uintptr_t NativeOwner(QWidget* window) {
#ifdef _WIN32
    return reinterpret_cast<uintptr_t>(GetWindow(reinterpret_cast<HWND>(window->winId()), GW_OWNER));
#else
    const QWindow* handle = window->windowHandle();
    const QWindow* parent = handle ? handle->transientParent() : nullptr;
    return parent ? static_cast<uintptr_t>(parent->winId()) : 0;
#endif
}

constexpr int kPollMs = 50;
// Pages of the main window's PageControl the walk-through visits.
constexpr int kTransferPage = 0;
constexpr int kDetailsPage = 1;
constexpr int kLogPage = 7;

const QStringList kPictures = {
    QStringLiteral("01-login.png"),         QStringLiteral("02-main-window.png"),
    QStringLiteral("03-account-picker.png"), QStringLiteral("04-deposit-filled.png"),
    QStringLiteral("05-confirm.png"),        QStringLiteral("06-success.png"),
    QStringLiteral("07-details.png"),        QStringLiteral("08-log.png"),
};
const QString kFailurePicture = QStringLiteral("failed.png");

QWidget* VisibleWindow(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->objectName() == QLatin1String(name)) return widget;
    return nullptr;
}

template <typename T>
T* Child(QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
}

// A message box's text on one line, for the report.
QString OneLine(const QString& text) {
    QStringList lines;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts))
        if (!line.trimmed().isEmpty()) lines << line.trimmed();
    return lines.join(QStringLiteral(" / "));
}

QString LastLine(const QString& text) {
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    for (auto it = lines.crbegin(); it != lines.crend(); ++it)
        if (!it->trimmed().isEmpty()) return it->trimmed();
    return {};
}

// The key a keyboard would report for a character; text the keyboard cannot
// type directly (Chinese, typed through an input method) comes with no key.
int KeyFor(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return Qt::Key_0 + (u - u'0');
    if (u >= u'a' && u <= u'z') return Qt::Key_A + (u - u'a');
    if (u >= u'A' && u <= u'Z') return Qt::Key_A + (u - u'A');
    if (u == u'.') return Qt::Key_Period;
    if (u == u' ') return Qt::Key_Space;
    if (u == u':') return Qt::Key_Colon;
    return Qt::Key_unknown;
}

void SendKey(QWidget* target, int key, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

// Types `text` key by key into the focused field, so that the window's
// input rules (masking, amount limits) see every character.
void Type(QWidget* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    for (const QChar c : text) SendKey(field, KeyFor(c), QString(c));
}

void SendMouse(QWidget* target, QEvent::Type type, const QPoint& at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), QPointF(target->mapToGlobal(at)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void Click(QWidget* target, const QPoint& at) {
    SendMouse(target, QEvent::MouseButtonPress, at, Qt::LeftButton);
    SendMouse(target, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void DoubleClick(QAbstractItemView* view, const QModelIndex& index) {
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QWidget* viewport = view->viewport();
    Click(viewport, at);
    SendMouse(viewport, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
    SendMouse(viewport, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

// Clicks the page's tab; true when the page is then the current one.
bool ShowPage(QTabWidget* pages, int index) {
    QTabBar* bar = pages->tabBar();
    if (!pages->isTabVisible(index)) return false;
    Click(bar, bar->tabRect(index).center());
    return pages->currentIndex() == index;
}

bool Usable(const QWidget* widget) { return widget && widget->isVisible() && widget->isEnabled(); }

// The password as the main window's password fields keep it (each
// character XOR 8).
QString Masked(const QString& password) {
    QString masked;
    for (const QChar c : password) masked += QChar(static_cast<char16_t>(c.unicode() ^ 8));
    return masked;
}

// The first row of `view` whose cells include every one of `texts`, or -1.
int RowWith(const QAbstractItemView* view, const QStringList& texts) {
    const QAbstractItemModel* model = view->model();
    if (!model) return -1;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells << model->index(row, column).data().toString().trimmed();
        bool all = true;
        for (const QString& text : texts) all = all && cells.contains(text);
        if (all) return row;
    }
    return -1;
}

QString RowText(const QAbstractItemView* view, int row) {
    QStringList cells;
    const QAbstractItemModel* model = view->model();
    for (int column = 0; column < model->columnCount(); ++column) {
        const QString cell = model->index(row, column).data().toString().trimmed();
        if (!cell.isEmpty()) cells << cell;
    }
    return cells.join(QStringLiteral(" | "));
}

// `base` with the windows of `over` drawn where they are on the screen: the
// picture a person would see, without depending on the display's own
// capture (Xvfb has no window manager to place or frame the windows).
QPixmap Composed(QWidget* base, const std::vector<QWidget*>& over) {
    const auto rect = [](QWidget* w) { return QRect(w->mapToGlobal(QPoint(0, 0)), w->size()); };
    QRect area = rect(base);
    for (QWidget* w : over) area |= rect(w);
    QPixmap canvas(area.size());
    canvas.fill(QColor(96, 96, 96));
    QPainter painter(&canvas);
    painter.drawPixmap(rect(base).topLeft() - area.topLeft(), base->grab());
    for (QWidget* w : over) painter.drawPixmap(rect(w).topLeft() - area.topLeft(), w->grab());
    return canvas;
}

// What `call` does to `object` when the event loop gets to it, if the object
// still exists then.
template <class Object, class Call>
std::function<void()> IfAlive(Object* object, Call call) {
    QPointer<Object> guarded(object);
    return [guarded, call] {
        if (guarded) call(guarded.data());
    };
}

}  // namespace

Walkthrough::Walkthrough(QString folder, WalkthroughScript script, QObject* parent)
    : QObject(parent), folder_(std::move(folder)), script_(std::move(script)) {
    if (script_.memo.isEmpty())
        script_.memo = QStringLiteral("演示划转 ") + QTime::currentTime().toString(QStringLiteral("hh:mm:ss"));
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &Walkthrough::tick);
    buildSteps();
}

bool Walkthrough::start() {
    QDir dir(folder_);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "walk-through: cannot make the folder %s\n", qUtf8Printable(folder_));
        return false;
    }
    // Pictures of an earlier run must not pass for this run's.
    for (const QString& name : kPictures + QStringList{kFailurePicture}) dir.remove(name);
    say(QStringLiteral("walk-through: trade number %1, pictures in %2")
            .arg(script_.tradeId, QDir::toNativeSeparators(dir.absolutePath())));
    totalClock_.start();
    stepClock_.start();
    poll_.start();
    return true;
}

void Walkthrough::exportReturned() {
    if (done_ || failed_) return;
    if (current_ + 1 != steps_.size()) {
        fail(QStringLiteral("the library returned before this step"));
        return;
    }
    if (main_ && main_->isVisible()) {
        fail(QStringLiteral("the library returned with the main window still shown"));
        return;
    }
    poll_.stop();
    done_ = true;
    report(QStringLiteral("main window closed, the export returned"));
    say(QStringLiteral("walk-through done in %1 s").arg(totalClock_.elapsed() / 1000.0, 0, 'f', 1));
}

void Walkthrough::say(const QString& line) {
    std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
}

void Walkthrough::report(const QString& what) { say(QStringLiteral("[%1] ").arg(current_ + 1) + what); }

void Walkthrough::later(std::function<void()> action) { QTimer::singleShot(0, this, std::move(action)); }

void Walkthrough::fail(const QString& why) {
    if (failed_) return;
    failed_ = true;
    poll_.stop();
    const QString step = steps_[current_].what;
    std::fprintf(stderr, "walk-through failed at step %zu (%s): %s\n", current_ + 1, qUtf8Printable(step),
                 qUtf8Printable(why));
    // What was in front, for whoever reads the report.
    if (QWidget* front = QApplication::activeModalWidget()) {
        QWidget* base = main_ && main_->isVisible() ? main_.data() : front;
        std::vector<QWidget*> over;
        if (base != front) over.push_back(front);
        const QString path = QDir(folder_).filePath(kFailurePicture);
        if (Composed(base, over).save(path, "PNG"))
            std::fprintf(stderr, "walk-through: the windows then: %s\n", qUtf8Printable(path));
    }
    std::fflush(stderr);
    // Ends every nested modal loop: the dialogs return, the export returns.
    QCoreApplication::exit(1);
}

bool Walkthrough::picture(const QString& name, QWidget* base, const std::vector<QWidget*>& over) {
    const QString path = QDir(folder_).filePath(name);
    if (!Composed(base, over).save(path, "PNG")) {
        fail(QStringLiteral("cannot save %1").arg(path));
        return false;
    }
    return true;
}

Walkthrough::Poll Walkthrough::stop(const QString& why) {
    fail(why);
    return Poll::Wait;
}

QMessageBox* Walkthrough::FrontBox() { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); }

Walkthrough::Poll Walkthrough::notice(QMessageBox* box) {
    if (box == answered_) return Poll::Wait;  // answered, still closing
    const QString text = box->text().trimmed();
    const bool okOnly = box->standardButtons() == QMessageBox::Ok;
    // The requests report connecting, disconnecting and every success in a
    // box; anything else (a refusal, a failure, a question) is not in the script.
    const bool passes = okOnly && (text.contains(QStringLiteral("已连接服务器")) ||
                                   text.contains(QStringLiteral("已断开服务器")) || text.endsWith(QStringLiteral("成功")));
    if (!passes)
        return stop(QStringLiteral("unexpected message box \"%1\": %2").arg(box->windowTitle(), OneLine(text)));
    say(QStringLiteral("      notice: %1 (OK)").arg(LastLine(text)));
    answer(box, QMessageBox::Ok);
    return Poll::Wait;
}

void Walkthrough::answer(QMessageBox* box, int button) {
    answered_ = box;
    later(IfAlive(box, [button](QMessageBox* target) {
        if (QAbstractButton* pressed = target->button(static_cast<QMessageBox::StandardButton>(button))) pressed->click();
    }));
}

void Walkthrough::tick() {
    if (failed_ || done_) return;
    if (stepClock_.elapsed() > script_.stepTimeoutMs) {
        QString front = QStringLiteral("nothing");
        if (QMessageBox* box = FrontBox())
            front = QStringLiteral("a message box: ") + OneLine(box->text());
        else if (QWidget* modal = QApplication::activeModalWidget())
            front = modal->objectName().isEmpty() ? QString::fromLatin1(modal->metaObject()->className())
                                                  : modal->objectName();
        fail(QStringLiteral("not done after %1 s; in front: %2").arg(script_.stepTimeoutMs / 1000.0).arg(front));
        return;
    }
    const Poll result = steps_[current_].poll();
    if (failed_ || result == Poll::Wait) return;
    // The last step is ended by exportReturned.
    if (current_ + 1 < steps_.size()) ++current_;
    stepClock_.restart();
}

void Walkthrough::buildSteps() {
    // 1. The login dialog, once the server check has enabled its buttons.
    steps_.push_back({QStringLiteral("the login dialog"), [this] {
        if (QMessageBox* box = FrontBox()) return notice(box);
        QWidget* dialog = VisibleWindow("frmLoginMoney");
        auto* ok = Child<QPushButton>(dialog, "btnOk");
        if (!dialog || !ok || !ok->isEnabled()) return Poll::Wait;
        auto* user = Child<QLineEdit>(dialog, "txtUser");
        auto* pass = Child<QLineEdit>(dialog, "txtPass");
        if (!user || !pass) return stop(QStringLiteral("the dialog has no txtUser or txtPass"));
        if (user->text() != script_.tradeId)
            return stop(QStringLiteral("the dialog shows trade number \"%1\"").arg(user->text()));
        if (script_.ownerWindow != 0 && NativeOwner(dialog) != script_.ownerWindow)
            return stop(QStringLiteral("the login dialog is owned by window %1, not by the host's %2")
                            .arg(NativeOwner(dialog))
                            .arg(script_.ownerWindow));
        login_ = dialog;
        dialog->activateWindow();
        if (!picture(kPictures[0], dialog)) return Poll::Wait;
        report(QStringLiteral("login dialog \"%1\" shown for trade number %2, owned by the host window -> %3")
                .arg(dialog->windowTitle(), user->text(), kPictures[0]));
        return Poll::Done;
    }});

    // 2. The fund password, then 登录.
    steps_.push_back({QStringLiteral("typing the fund password"), [this] {
        auto* pass = Child<QLineEdit>(login_, "txtPass");
        auto* ok = Child<QPushButton>(login_, "btnOk");
        if (!pass || !Usable(ok)) return stop(QStringLiteral("the login dialog went away"));
        pass->clear();
        Type(pass, script_.fundPassword);
        if (pass->text() != script_.fundPassword)
            return stop(QStringLiteral("txtPass holds %1 characters after typing %2")
                            .arg(pass->text().size())
                            .arg(script_.fundPassword.size()));
        report(QStringLiteral("typed the fund password (%1 characters) and pressed \"%2\"")
                .arg(script_.fundPassword.size())
                .arg(ok->text()));
        later(IfAlive(ok, [](QPushButton* button) { button->click(); }));
        return Poll::Done;
    }});

    // 3. The main window, once its start-up is over: nothing of the
    // start-up runs outside a message box, so the window in front means done.
    steps_.push_back({QStringLiteral("the main window"), [this] {
        if (QMessageBox* box = FrontBox()) return notice(box);
        QWidget* window = VisibleWindow("frmVantrel");
        if (!window || QApplication::activeModalWidget() != window) return Poll::Wait;
        auto* pages = Child<QTabWidget>(window, "PageControl");
        auto* trade = Child<QLineEdit>(window, "txtTradeNo1");
        if (!pages || !trade) return stop(QStringLiteral("the main window has no PageControl or txtTradeNo1"));
        if (trade->text() != script_.tradeId)
            return stop(QStringLiteral("the transfer page shows trade number \"%1\"").arg(trade->text()));
        if (VisibleWindow("frmLoginMoney")) return stop(QStringLiteral("the login dialog is still shown"));
        main_ = window;
        window->activateWindow();
        QStringList tabs;
        for (int i = 0; i < pages->count(); ++i)
            if (pages->isTabVisible(i)) tabs << pages->tabText(i);
        if (!picture(kPictures[1], window)) return Poll::Wait;
        report(QStringLiteral("logged in; main window \"%1\" open with the pages %2 -> %3")
                .arg(window->windowTitle(), tabs.join(QStringLiteral(", ")), kPictures[1]));
        return Poll::Done;
    }});

    // 4. The account picker of the transfer page.
    steps_.push_back({QStringLiteral("opening the account picker"), [this] {
        auto* pages = Child<QTabWidget>(main_, "PageControl");
        auto* account = Child<QLineEdit>(main_, "txtBankNo1");
        QAction* search = account ? account->findChild<QAction*>(QStringLiteral("txtBankNo1Button")) : nullptr;
        if (!pages || !search) return stop(QStringLiteral("no search button in txtBankNo1"));
        if (pages->currentIndex() != kTransferPage && !ShowPage(pages, kTransferPage))
            return stop(QStringLiteral("the transfer page cannot be shown"));
        if (!search->isEnabled()) return stop(QStringLiteral("the account search is disabled"));
        auto* label = Child<QLabel>(main_, "lblBankNo1");
        report(QStringLiteral("pressed the search button of \"%1\"").arg(label ? label->text() : account->objectName()));
        later(IfAlive(search, [](QAction* action) { action->trigger(); }));
        return Poll::Done;
    }});

    // 5. Double-click the row of the script's bank.
    steps_.push_back({QStringLiteral("the account picker"), [this] {
        if (QMessageBox* box = FrontBox()) return notice(box);
        QWidget* picker = VisibleWindow("frmBankList");
        auto* grid = Child<QAbstractItemView>(picker, "DBGrid");
        if (!grid || !grid->model() || grid->model()->rowCount() == 0) return Poll::Wait;
        QStringList listed;
        int row = -1;
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            const QString bank = grid->model()->index(r, 0).data().toString().trimmed();
            listed << bank;
            if (bank == script_.bankId && row < 0) row = r;
        }
        if (row < 0)
            return stop(QStringLiteral("bank %1 is not listed (listed: %2)")
                            .arg(script_.bankId, listed.join(QStringLiteral(", "))));
        if (!picture(kPictures[2], main_, {picker})) return Poll::Wait;
        report(QStringLiteral("account picker lists the banks %1; double-clicked %2 -> %3")
                .arg(listed.join(QStringLiteral(", ")), RowText(grid, row), kPictures[2]));
        later(IfAlive(grid, [row](QAbstractItemView* view) { DoubleClick(view, view->model()->index(row, 0)); }));
        return Poll::Done;
    }});

    // 6. The choice reaches the transfer page.
    steps_.push_back({QStringLiteral("the chosen account on the transfer page"), [this] {
        if (QMessageBox* box = FrontBox()) return notice(box);
        auto* bankId = Child<QLineEdit>(main_, "txtBankID1");
        auto* account = Child<QLineEdit>(main_, "txtBankNo1");
        auto* bankName = Child<QLineEdit>(main_, "txtBankName1");
        if (!bankId || !account || !bankName) return stop(QStringLiteral("the main window went away"));
        if (VisibleWindow("frmBankList") || bankId->text() != script_.bankId) return Poll::Wait;
        if (account->text().trimmed().isEmpty()) return stop(QStringLiteral("no account number"));
        report(QStringLiteral("chose %1, account %2").arg(bankName->text(), account->text()));
        return Poll::Done;
    }});

    // 7. A deposit with the fund password, then 划转.
    steps_.push_back({QStringLiteral("filling in the deposit"), [this] {
        auto* direction = Child<QComboBox>(main_, "txtIO1");
        auto* bankPanel = Child<QFrame>(main_, "PanBankPwdMask1");
        auto* password = Child<QLineEdit>(main_, "txtMoneyPass1");
        auto* amount = Child<QLineEdit>(main_, "txtMoney1");
        auto* memo = Child<QPlainTextEdit>(main_, "txtMemo1");
        auto* ok = Child<QPushButton>(main_, "btnOk1");
        if (!direction || !bankPanel || !password || !amount || !memo || !ok)
            return stop(QStringLiteral("a control of the transfer page is missing"));
        int deposit = -1;
        for (int i = 0; i < direction->count() && deposit < 0; ++i)
            if (direction->itemText(i).contains(QStringLiteral("入金"))) deposit = i;
        if (deposit < 0) return stop(QStringLiteral("txtIO1 offers no deposit"));
        if (direction->currentIndex() != deposit) {
            if (!direction->isEnabled())
                return stop(QStringLiteral("the bank allows only \"%1\"").arg(direction->currentText()));
            // Right and Left step through a combo's items on these pages.
            direction->setFocus(Qt::TabFocusReason);
            const int key = direction->currentIndex() < deposit ? Qt::Key_Right : Qt::Key_Left;
            for (int i = 0; i < direction->count() && direction->currentIndex() != deposit; ++i) SendKey(direction, key);
            if (direction->currentIndex() != deposit)
                return stop(QStringLiteral("the deposit item cannot be selected"));
        }
        if (!bankPanel->isHidden())
            return stop(QStringLiteral("the bank asks for its own password; the script has only the fund password"));
        // Typed into empty fields, as after choosing the account.
        password->clear();
        amount->clear();
        memo->clear();
        Type(password, script_.fundPassword);
        if (password->text() != Masked(script_.fundPassword))
            return stop(QStringLiteral("txtMoneyPass1 does not hold the masked password"));
        Type(amount, script_.amount);
        if (amount->text() != script_.amount)
            return stop(QStringLiteral("txtMoney1 shows \"%1\" after typing %2").arg(amount->text(), script_.amount));
        Type(memo, script_.memo);
        if (memo->toPlainText() != script_.memo)
            return stop(QStringLiteral("txtMemo1 shows \"%1\"").arg(memo->toPlainText()));
        if (!Usable(ok)) return stop(QStringLiteral("the transfer button is disabled"));
        if (!picture(kPictures[3], main_)) return Poll::Wait;
        report(QStringLiteral("filled in: %1, amount %2, fund password typed (kept masked), memo \"%3\"; pressed \"%4\" -> %5")
                .arg(direction->currentText(), amount->text(), memo->toPlainText(), ok->text(), kPictures[3]));
        later(IfAlive(ok, [](QPushButton* button) { button->click(); }));
        return Poll::Done;
    }});

    // 8. The confirmation: Yes.
    steps_.push_back({QStringLiteral("the confirmation box"), [this] {
        QMessageBox* box = FrontBox();
        if (!box) return Poll::Wait;
        if (!box->button(QMessageBox::Yes) || !box->text().startsWith(QStringLiteral("确定要划转吗")))
            return notice(box);
        auto* account = Child<QLineEdit>(main_, "txtBankNo1");
        if (!account || !box->text().contains(account->text()) || !box->text().contains(script_.amount))
            return stop(QStringLiteral("the confirmation does not name the account and amount: ") + OneLine(box->text()));
        confirmation_ = box;
        if (!picture(kPictures[4], main_, {box})) return Poll::Wait;
        report(QStringLiteral("confirmation asked: \"%1\"; answered Yes -> %2").arg(OneLine(box->text()), kPictures[4]));
        answer(box, QMessageBox::Yes);
        return Poll::Done;
    }});

    // 9. The deposit's success notice.
    steps_.push_back({QStringLiteral("the success notice"), [this] {
        QMessageBox* box = FrontBox();
        if (!box || box == confirmation_ || box == answered_) return Poll::Wait;
        const QString text = box->text().trimmed();
        if (!(text.contains(QStringLiteral("入金")) && text.endsWith(QStringLiteral("成功"))))
            return notice(box);
        if (!picture(kPictures[5], main_, {box})) return Poll::Wait;
        report(QStringLiteral("notice \"%1\"; closed with OK -> %2").arg(OneLine(text), kPictures[5]));
        answer(box, QMessageBox::Ok);
        return Poll::Done;
    }});

    // 10. AutoQueryFlag=1: the details arrive by themselves.
    steps_.push_back({QStringLiteral("the transfer details"), [this] {
        if (QMessageBox* box = FrontBox()) return notice(box);
        if (QApplication::activeModalWidget() != main_) return Poll::Wait;
        auto* pages = Child<QTabWidget>(main_, "PageControl");
        auto* grid = Child<QAbstractItemView>(main_, "DBMoreGrid");
        if (!pages || !grid) return stop(QStringLiteral("no PageControl or DBMoreGrid"));
        const int row = RowWith(grid, {script_.amount, script_.memo});
        if (row < 0) return Poll::Wait;
        if (!ShowPage(pages, kDetailsPage)) return stop(QStringLiteral("the details page cannot be shown"));
        if (!grid->isVisible()) return stop(QStringLiteral("DBMoreGrid is hidden on the details page"));
        grid->scrollTo(grid->model()->index(row, 0));
        if (!picture(kPictures[6], main_)) return Poll::Wait;
        report(QStringLiteral("details page \"%1\": %2 rows, the deposit: %3 -> %4")
                .arg(pages->tabText(kDetailsPage))
                .arg(grid->model()->rowCount())
                .arg(RowText(grid, row), kPictures[6]));
        return Poll::Done;
    }});

    // 11. The log page.
    steps_.push_back({QStringLiteral("the log page"), [this] {
        auto* pages = Child<QTabWidget>(main_, "PageControl");
        auto* logs = Child<QTextEdit>(main_, "RichLogs");
        if (!pages || !logs) return stop(QStringLiteral("no RichLogs"));
        if (!ShowPage(pages, kLogPage)) return stop(QStringLiteral("the log page cannot be shown"));
        const QString text = logs->toPlainText();
        if (!logs->isVisible() || !text.contains(QStringLiteral("入金")))
            return stop(QStringLiteral("the log page does not show the deposit"));
        if (!picture(kPictures[7], main_)) return Poll::Wait;
        report(QStringLiteral("log page \"%1\": %2 lines -> %3")
                .arg(pages->tabText(kLogPage))
                .arg(logs->document()->blockCount())
                .arg(kPictures[7]));
        later(IfAlive(main_.data(), [](QWidget* window) { window->close(); }));
        return Poll::Done;
    }});

    // 12. The window closes and the export returns (exportReturned ends
    // this step; nothing runs in the host after the export until then).
    steps_.push_back({QStringLiteral("the export's return after closing the main window"), [this] {
        if (QMessageBox* box = FrontBox()) return notice(box);
        return Poll::Wait;
    }});
}

}  // namespace vantrel::host
