#include "widgets/TfrmNoneForm.h"

#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include "common/AppPaths.h"
#include "common/BankIni.h"
#include "common/Profile.h"
#include "widgets/ControlMakers.h"
#include "widgets/OwnerWindow.h"
#include "widgets/TRedTabSet.h"

namespace vantrel {
namespace {

std::string Utf8(const QString& text) { return text.toStdString(); }

QStringList ToQt(const std::vector<std::string>& values) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(values.size()));
    for (const auto& value : values) list << QString::fromStdString(value);
    return list;
}

}  // namespace

QString SystemPromptTitle() { return QStringLiteral("系统提示"); }

TfrmNoneForm::TfrmNoneForm(QWidget* parent, bool asDialog) : QDialog(parent), asDialog_(asDialog) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (asDialog) flags |= Qt::MSWindowsFixedSizeDialogHint;
    setWindowFlags(flags);
    setWindowTitle(QStringLiteral("资金划转"));

    auto* outer = MakeTightColumn(this);

    PanBack = new QFrame(this);
    PanBack->setObjectName("PanBack");
    outer->addWidget(PanBack);
    auto* back = MakeTightColumn(PanBack);

    PanMore = new QFrame(PanBack);
    PanMore->setObjectName("PanMore");
    PanMore->setFrameShape(QFrame::StyledPanel);
    PanMore->setFrameShadow(QFrame::Plain);
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun")});
    font.setPixelSize(12);
    PanMore->setFont(font);
    back->addWidget(PanMore);
    auto* more = MakeTightColumn(PanMore);

    clientArea_ = new QWidget(PanMore);
    more->addWidget(clientArea_, 1);

    PanStatu = new QFrame(PanMore);
    PanStatu->setObjectName("PanStatu");
    PanStatu->setFixedHeight(24);
    PanStatu->setStyleSheet(QStringLiteral("#PanStatu { border: none; border-top: 1px solid palette(mid); }"));
    more->addWidget(PanStatu);

    // One-pixel edges along the bottom and the right of the window.
    lblBottom = new QLabel(this);
    lblBottom->setObjectName("lblBottom");
    lblRight = new QLabel(this);
    lblRight->setObjectName("lblRight");

    SetDesignSize(911, 578);
}

TfrmNoneForm::~TfrmNoneForm() = default;

void TfrmNoneForm::SetDesignSize(int width, int height) {
    if (asDialog_)
        setFixedSize(width, height);
    else
        resize(width, height);
}

void TfrmNoneForm::FinishCreation() {
    if (creationFinished_) return;
    creationFinished_ = true;
    setWindowTitle(QString::fromStdString(CaptionFor(Utf8(objectName()), Utf8(windowTitle()))));
    LoadTabCaptions();
}

int TfrmNoneForm::ShowMsg(const QString& text, int buttons, const QString& title) {
    return Prompts().messageBox(this, text, title, buttons);
}

void LoadComboItems(const QString& prefix, QComboBox* combo) {
    const auto values = SectionValues(Utf8(prefix + combo->objectName()), "Bank.ini");
    combo->clear();
    if (values) combo->addItems(ToQt(*values));
}

void TfrmNoneForm::LoadTabCaptions() {
    const auto strips = findChildren<TRedTabSet*>();
    if (strips.isEmpty()) return;
    // Without Bank.ini or without the strip's section the design-time
    // captions stay: a missing configuration must not cost the window.
    const auto ini = Profile::Load(PathFromUtf8(BankIniPath()));
    for (auto* strip : strips) {
        const auto section = Utf8(strip->objectName());
        if (!ini.hasSection(section)) continue;
        strip->replaceTabs(ToQt(ini.sectionValues(section)));
    }
}

void TfrmNoneForm::LogBlockMessage(const QString&, int) {}
void TfrmNoneForm::LogTextMessage(const QString&, int) {}

bool TfrmNoneForm::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    KeepOwnerOnShow(this, message);
    return QDialog::nativeEvent(eventType, message, result);
}

void TfrmNoneForm::showEvent(QShowEvent* event) {
    // The native window exists by now and is not yet mapped: the moment to
    // give a parentless window the host's window as owner.
    AttachToOwner(this);
    if (!centred_) {
        centred_ = true;
        QScreen* screen = windowHandle() ? windowHandle()->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QDialog::showEvent(event);
}

void TfrmNoneForm::keyPressEvent(QKeyEvent* event) {
    if (keepOpenOnEscape_ && event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TfrmNoneForm::resizeEvent(QResizeEvent* event) {
    lblBottom->setGeometry(0, height() - 1, width(), 1);
    lblRight->setGeometry(width() - 1, 0, 1, height());
    lblBottom->raise();
    lblRight->raise();
    QDialog::resizeEvent(event);
}

}  // namespace vantrel
