#include "widgets/TfFormSK.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <numeric>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace vantrel {

const std::array<TKey, KeyCount> KeyTable = {{
    {1, "`", nullptr, "~"},    {2, "1", nullptr, "!"},    {3, "2", nullptr, "@"},
    {4, "3", nullptr, "#"},    {5, "4", nullptr, "$"},    {6, "5", nullptr, "%"},
    {7, "6", nullptr, "^"},    {8, "7", nullptr, "&"},    {9, "8", nullptr, "*"},
    {10, "9", nullptr, "("},   {11, "0", nullptr, ")"},   {12, "-", nullptr, "_"},
    {13, "=", nullptr, "+"},   {14, "q", "Q", nullptr},   {15, "w", "W", nullptr},
    {16, "e", "E", nullptr},   {17, "r", "R", nullptr},   {18, "t", "T", nullptr},
    {19, "y", "Y", nullptr},   {20, "u", "U", nullptr},   {21, "i", "I", nullptr},
    {22, "o", "O", nullptr},   {23, "p", "P", nullptr},   {24, "[", nullptr, "{"},
    {25, "]", nullptr, "}"},   {26, "\\", nullptr, "|"},  {27, "a", "A", nullptr},
    {28, "s", "S", nullptr},   {29, "d", "D", nullptr},   {30, "f", "F", nullptr},
    {31, "g", "G", nullptr},   {32, "h", "H", nullptr},   {33, "j", "J", nullptr},
    {34, "k", "K", nullptr},   {35, "l", "L", nullptr},   {36, ";", nullptr, ":"},
    {37, "'", nullptr, "\""},  {38, "z", "Z", nullptr},   {39, "x", "X", nullptr},
    {40, "c", "C", nullptr},   {41, "v", "V", nullptr},   {42, "b", "B", nullptr},
    {43, "n", "N", nullptr},   {44, "m", "M", nullptr},   {45, ",", nullptr, "<"},
    {46, ".", nullptr, ">"},   {47, "/", nullptr, "?"},   {48, nullptr, nullptr, " "},
    {49, nullptr, nullptr, "\t"},   // Tab key (9)
    {50, nullptr, nullptr, "\x2d"}, // Insert key (45)
    {51, nullptr, nullptr, "\x2e"}, // Delete key (46)
    {52, nullptr, nullptr, "\b"},   // Backspace
    {53, nullptr, nullptr, "\r"},   // Enter (13)
}};

const TKey* FindKey(int code) {
    if (code < 1 || code > KeyCount) return nullptr;
    return &KeyTable[code - 1];
}

namespace {

QPointer<TfFormSK> gKeyboard;
std::optional<std::uint32_t> gSeed;
TfFormSK::CapsLockProbe gCapsProbe;

const QColor Maroon(128, 0, 0);
constexpr int KeyHeight = 25;
constexpr int KeyWidth = 24;

enum class Arrow { None, Left, Up, Return };

// The small monochrome pictures of the word keys.
QPixmap KeyPicture(const QString& word, Arrow arrow, const QColor& color) {
    QFont font("Arial");
    font.setPixelSize(9);
    font.setBold(true);
    const int textWidth = word.isEmpty() ? 0 : QFontMetrics(font).horizontalAdvance(word) + 1;
    const int arrowWidth = arrow == Arrow::None ? 0 : (arrow == Arrow::Left ? 16 : 10);
    const int width = std::max(1, textWidth + arrowWidth);
    QPixmap picture(width, 14);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(color);
    painter.setFont(font);
    int textLeft = 0;
    switch (arrow) {
    case Arrow::Left:
        painter.drawLine(2, 7, 14, 7);
        painter.drawLine(2, 7, 6, 3);
        painter.drawLine(2, 7, 6, 11);
        textLeft = 16;
        break;
    case Arrow::Up:
        painter.drawLine(5, 2, 1, 7);
        painter.drawLine(5, 2, 9, 7);
        painter.drawLine(3, 7, 3, 12);
        painter.drawLine(7, 7, 7, 12);
        painter.drawLine(3, 12, 7, 12);
        textLeft = 11;
        break;
    case Arrow::Return:  // after the word
        painter.drawLine(width - 1, 3, width - 1, 9);
        painter.drawLine(width - 1, 9, width - 8, 9);
        painter.drawLine(width - 8, 9, width - 5, 6);
        painter.drawLine(width - 8, 9, width - 5, 12);
        break;
    case Arrow::None:
        break;
    }
    if (!word.isEmpty()) painter.drawText(QRect(textLeft, 0, textWidth, 14), Qt::AlignLeft | Qt::AlignVCenter, word);
    return picture;
}

int QtKeyFor(char16_t c) {
    if (c == u'\b') return Qt::Key_Backspace;
    if (c == u'\r') return Qt::Key_Return;
    if (c >= u'a' && c <= u'z') return Qt::Key_A + (c - u'a');
    // Printable ASCII keys share their code with Qt::Key.
    return c;
}

// The caption a key shows for the current modes: a letter follows caps mode,
// a digit or sign follows shift mode, the special keys show none.
QString CaptionFor(int code, bool caps, bool shift) {
    const TKey* key = FindKey(code);
    if (!key || !key->Plain) return {};
    if (key->Caps) return QString::fromLatin1(caps ? key->Caps : key->Plain);
    if (key->Shift) return QString::fromLatin1(shift ? key->Shift : key->Plain);
    return QString::fromLatin1(key->Plain);
}

}  // namespace

TfFormSK::TfFormSK(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    if (gSeed) {
        random_.seed(*gSeed);
    } else {
        std::random_device device;
        random_.seed(device());
    }
    std::iota(codes_.begin(), codes_.end(), 0);
    setObjectName("fFormSK");
    setFixedSize(350, 128);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setCursor(Qt::SizeAllCursor);
    QFont font("Arial");
    font.setPixelSize(12);
    font.setBold(true);
    setFont(font);
    CreateKeys();
    Recaption();
}

TfFormSK::~TfFormSK() {
    if (gKeyboard == this) gKeyboard = nullptr;
}

void TfFormSK::CreateKeys() {
    auto make = [this](const QString& name, int x, int y, int width) {
        auto* button = new QPushButton(this);
        button->setObjectName(name);
        button->setGeometry(x, y, width, KeyHeight);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::PointingHandCursor);
        return button;
    };
    auto numbered = [&](int code, int x, int y, int width) {
        QPushButton* button = make(QString("Btn_%1").arg(code), x, y, width);
        buttons_[code] = button;
        connect(button, &QPushButton::clicked, this, &TfFormSK::Btn_1Click);
        return button;
    };
    auto maroon = [](QPushButton* button) {
        QPalette palette = button->palette();
        palette.setColor(QPalette::ButtonText, Maroon);
        button->setPalette(palette);
    };
    auto picture = [](QPushButton* button, const QPixmap& pixmap) {
        button->setIcon(QIcon(pixmap));
        button->setIconSize(pixmap.size());
    };

    // Row 1: ` 1 ... 0 - = and Backspace.
    for (int code = 1; code <= 13; ++code) numbered(code, 1 + (code - 1) * KeyWidth, 1, KeyWidth);
    picture(numbered(KeyBackspace, 313, 1, 36), KeyPicture({}, Arrow::Left, Qt::black));
    // Row 2: Tab, q ... p [ ] backslash.
    picture(numbered(KeyTab, 1, 26, 36), KeyPicture("Tab", Arrow::None, Qt::black));
    for (int code = 14; code <= 26; ++code) numbered(code, 37 + (code - 14) * KeyWidth, 26, KeyWidth);
    // Row 3: Caps, a ... l ; ' and Enter.
    QPushButton* caps = make("Btn_Caps", 1, 51, 42);
    caps->setText("Caps");
    maroon(caps);
    connect(caps, &QPushButton::clicked, this, &TfFormSK::Btn_TabClick);
    for (int code = 27; code <= 37; ++code) numbered(code, 43 + (code - 27) * KeyWidth, 51, KeyWidth);
    QPushButton* enter = numbered(KeyEnter, 307, 51, 42);
    maroon(enter);
    picture(enter, KeyPicture("Enter", Arrow::Return, Maroon));
    // Row 4: Shift, z ... m , . /
    QPushButton* shift = make("Btn_Shift", 1, 76, 55);
    shift->setText("Shift");
    maroon(shift);
    picture(shift, KeyPicture({}, Arrow::Up, Maroon));
    connect(shift, &QPushButton::clicked, this, &TfFormSK::Btn_TabClick);
    for (int code = 38; code <= 47; ++code) numbered(code, 56 + (code - 38) * KeyWidth, 76, KeyWidth);
    // Row 5: Ins, Del, space bar, Esc.
    QPushButton* insert = numbered(KeyInsert, 17, 101, 36);
    maroon(insert);
    picture(insert, KeyPicture("Ins", Arrow::None, Maroon));
    QPushButton* del = numbered(KeyDelete, 53, 101, 35);
    maroon(del);
    picture(del, KeyPicture("Del", Arrow::None, Maroon));
    numbered(KeySpace, 88, 101, 175);
    QPushButton* esc = make("Btn_Esc", 309, 101, 40);
    esc->setText("Esc");
    maroon(esc);
    connect(esc, &QPushButton::clicked, this, &TfFormSK::Btn_EscClick);
}

QPushButton* TfFormSK::Button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName, Qt::FindDirectChildrenOnly);
}

int TfFormSK::KeyCode(const QPushButton* button) const {
    for (int n = 1; n <= KeyCount; ++n)
        if (buttons_[n] == button) return codes_[n];
    return 0;
}

QChar TfFormSK::KeyChar(const QPushButton* button) const {
    const int code = KeyCode(button);
    const QString caption = CaptionFor(code, caps_, shift_);
    if (!caption.isEmpty()) return caption.front();
    const TKey* key = FindKey(code);
    if (key && key->Shift) return QChar(key->Shift[0]);
    return {};
}

void TfFormSK::ShuffleRange(int first, int last) {
    std::vector<int> codes(last - first + 1);
    std::iota(codes.begin(), codes.end(), first);
    std::shuffle(codes.begin(), codes.end(), random_);
    for (int n = first; n <= last; ++n) codes_[n] = codes[n - first];
}

void TfFormSK::ShuffleKeys() {
    ShuffleRange(2, 11);   // the digits
    ShuffleRange(12, 47);  // - = letters and punctuation
    Recaption();
}

void TfFormSK::SetCapsMode(bool on) {
    caps_ = on;
    Recaption();
}

void TfFormSK::SetShiftMode(bool on) {
    shift_ = on;
    Recaption();
}

void TfFormSK::Recaption() {
    for (int n = 1; n <= KeyCount; ++n) {
        QString caption = CaptionFor(codes_[n], caps_, shift_);
        buttons_[n]->setText(caption.replace('&', "&&"));  // a sign, not a mnemonic
    }
}

void TfFormSK::Btn_1Click() {
    if (auto* button = qobject_cast<QPushButton*>(sender())) Deliver(button);
}

void TfFormSK::Deliver(QPushButton* button) {
    if (!target_) return;
    QPointer<QWidget> control = target_->focusWidget();
    if (!control) return;
    const QChar ch = KeyChar(button);
    if (ch.isNull()) return;
    const int code = KeyCode(button);

    if (code == KeyEnter) {
        // Posted, so that whatever Enter starts (a login, a modal window)
        // runs after the keyboard has closed.
        QCoreApplication::postEvent(control, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r"));
        QCoreApplication::postEvent(control, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r"));
        close();
        return;
    }

    int key = 0;
    QString text;
    switch (code) {
    case KeyTab: key = Qt::Key_Tab; text = "\t"; break;
    case KeyInsert: key = Qt::Key_Insert; break;   // the key, not the "-" it is stored as
    case KeyDelete: key = Qt::Key_Delete; break;   // the key, not "."
    default: key = QtKeyFor(ch.unicode()); text = ch; break;
    }

    QPointer<TfFormSK> self = this;
    ++delivering_;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(control, &press);
    if (control) {
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(control, &release);
    }
    if (!self) return;
    if (--delivering_ == 0 && deleteWhenIdle_) deleteLater();
}

void TfFormSK::Btn_TabClick() {
    const QString name = sender() ? sender()->objectName() : QString();
    if (name == "Btn_Caps") SetCapsMode(!caps_);
    else if (name == "Btn_Shift") SetShiftMode(!shift_);
}

void TfFormSK::Btn_EscClick() { close(); }

bool TfFormSK::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate && isVisible()) close();
    return QWidget::event(event);
}

void TfFormSK::closeEvent(QCloseEvent* event) {
    event->accept();
    if (gKeyboard == this) gKeyboard = nullptr;
    hide();
    if (delivering_ > 0) deleteWhenIdle_ = true;
    else deleteLater();
}

void TfFormSK::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Shift:
        SetShiftMode(!shift_);
        return;
    case Qt::Key_CapsLock:
        // Without a readable toggle, a Caps Lock press flips it.
        SetCapsMode(SystemCapsLock().value_or(!caps_));
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TfFormSK::mousePressEvent(QMouseEvent* event) {
    dragging_ = event->button() == Qt::LeftButton;
    if (dragging_) dragStart_ = event->position().toPoint();
}

void TfFormSK::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(pos() + event->position().toPoint() - dragStart_);
}

void TfFormSK::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void TfFormSK::SetSeedForTesting(std::optional<std::uint32_t> seed) { gSeed = seed; }

void TfFormSK::SetCapsLockProbe(CapsLockProbe probe) { gCapsProbe = std::move(probe); }

std::optional<bool> TfFormSK::SystemCapsLock() {
    if (gCapsProbe) return gCapsProbe();
#ifdef Q_OS_WIN
    return (GetKeyState(VK_CAPITAL) & 1) != 0;
#else
    // Qt gives no portable reading of the toggle; the keyboard starts in
    // lower case and Caps Lock presses flip it.
    return std::nullopt;
#endif
}

void ShowSoftKeyboard(QWidget* form, const QPoint& topLeft) {
    // Owned by the opener's window: while that window runs modally, Qt passes
    // input only to it and the windows it owns, and a keyboard of its own
    // takes clicks. The owner changes when another window opens it.
    QWidget* owner = form ? form->window() : nullptr;
    if (gKeyboard && gKeyboard->parentWidget() != owner) gKeyboard->setParent(owner, gKeyboard->windowFlags());
    if (!gKeyboard) gKeyboard = new TfFormSK(owner);
    TfFormSK* keyboard = gKeyboard;
    keyboard->SetTarget(form);

    // The callers place it left of the pointer; keep it wholly on the screen.
    QPoint place = topLeft;
    QScreen* screen = QGuiApplication::screenAt(topLeft);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        place.setX(std::clamp(place.x(), area.left(), std::max(area.left(), area.right() + 1 - keyboard->width())));
        place.setY(std::clamp(place.y(), area.top(), std::max(area.top(), area.bottom() + 1 - keyboard->height())));
    }
    keyboard->move(place);

    keyboard->ShuffleKeys();
    keyboard->SetShiftMode(false);
    keyboard->SetCapsMode(TfFormSK::SystemCapsLock().value_or(false));
    keyboard->show();
    keyboard->raise();
    keyboard->activateWindow();
}

TfFormSK* CurrentSoftKeyboard() { return gKeyboard; }

}  // namespace vantrel
