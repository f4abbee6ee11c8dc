#pragma once
// The on-screen keyboard for passwords. Each opening shuffles the keys so that
// the screen position of a character gives nothing away; a click on a key
// reaches the opener's focused control as ordinary key events, so the
// control's own key filter decides what it accepts.
#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <random>

class QPushButton;

namespace vantrel {

// One key of the table. nullptr marks a missing variant. For the special keys
// (48 to 53) `Shift` holds the one character or key code they produce.
struct TKey {
    std::uint16_t Code;
    const char* Plain;
    const char* Caps;
    const char* Shift;
};

inline constexpr int KeyCount = 53;
extern const std::array<TKey, KeyCount> KeyTable;
// The record with this code, or nullptr.
const TKey* FindKey(int code);

// Special key codes.
enum SoftKey : int {
    KeySpace = 48,
    KeyTab = 49,
    KeyInsert = 50,
    KeyDelete = 51,
    KeyBackspace = 52,
    KeyEnter = 53,
};

class TfFormSK : public QWidget {
    Q_OBJECT
public:
    // Reads the platform's Caps Lock toggle; nothing when the platform does
    // not tell (then the keyboard keeps its own caps mode).
    using CapsLockProbe = std::function<std::optional<bool>()>;

    explicit TfFormSK(QWidget* parent = nullptr);
    ~TfFormSK() override;

    QWidget* Target() const { return target_; }
    void SetTarget(QWidget* form) { target_ = form; }

    // Gives the digit keys new places among themselves, and the letter and
    // punctuation keys new places among themselves.
    void ShuffleKeys();
    void SetCapsMode(bool on);
    void SetShiftMode(bool on);
    bool CapsMode() const { return caps_; }
    bool ShiftMode() const { return shift_; }

    // The code a numbered key button currently carries; 0 for Caps, Shift,
    // Esc and for widgets that are not keys of this keyboard.
    int KeyCode(const QPushButton* button) const;
    // The character a key types: its caption's first character, or for a
    // key without caption the character of its code's record; 0 for none.
    QChar KeyChar(const QPushButton* button) const;
    QPushButton* Button(const QString& objectName) const;

    // Test seams. A fixed seed applies to keyboards created afterwards;
    // nothing goes back to std::random_device. The probe replaces the
    // platform's Caps Lock reading; an empty function restores it.
    static void SetSeedForTesting(std::optional<std::uint32_t> seed);
    static void SetCapsLockProbe(CapsLockProbe probe);
    static std::optional<bool> SystemCapsLock();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private slots:
    void Btn_1Click();    // every character and special key
    void Btn_TabClick();  // Caps and Shift
    void Btn_EscClick();

private:
    void CreateKeys();
    void Recaption();
    void Deliver(QPushButton* button);
    void ShuffleRange(int first, int last);

    QPointer<QWidget> target_;
    bool caps_ = false;
    bool shift_ = false;
    bool dragging_ = false;
    QPoint dragStart_;
    // Code carried by Btn_N is codes_[N]; index 0 is unused.
    std::array<int, KeyCount + 1> codes_{};
    std::array<QPushButton*, KeyCount + 1> buttons_{};
    std::mt19937 random_;
    // Clicks deliver key events synchronously; a close during one (for
    // example a message box opened by the target's key filter) must not free
    // the window under the running click handler.
    int delivering_ = 0;
    bool deleteWhenIdle_ = false;
};

// Opens the single keyboard for `form` with its top-left corner at the screen
// point `topLeft`, or retargets, moves, reshuffles and resets the open one.
void ShowSoftKeyboard(QWidget* form, const QPoint& topLeft);
// The open keyboard, or nullptr.
TfFormSK* CurrentSoftKeyboard();

}  // namespace vantrel
