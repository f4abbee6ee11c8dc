#pragma once
// The base window of the library's windows: a fixed dialog with the shared
// panels, the message box and the caption overrides from Bank.ini.
//
// Qt gives a window its objectName only after construction, and the caption
// override and the tab captions are looked up by that name. So the creation
// steps that need the name run in FinishCreation(), which the creator calls
// once the window is fully built; CreateForm<T>() does both. Doing it in the
// first showEvent instead would turn a failure to build (a tab strip without
// captions) into a half-shown window, and exceptions must not leave a Qt
// event handler.
#include <QDialog>
#include <QString>
#include <QStringList>

#include <memory>
#include <stdexcept>
#include <utility>

#include "widgets/UserPrompts.h"
#include "widgets/WindowLogSink.h"

class QComboBox;
class QFrame;
class QLabel;

namespace vantrel {

// A window that cannot be built as configured.
class FormCreationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The title of every message box of the system.
QString SystemPromptTitle();

class TfrmNoneForm : public QDialog, public LogReceiver {
    Q_OBJECT
public:
    // Every window of the system is created as a dialog: fixed size, dialog
    // border. `asDialog` false keeps the window resizable.
    explicit TfrmNoneForm(QWidget* parent = nullptr, bool asDialog = true);
    ~TfrmNoneForm() override;

    // The creation steps: caption := CaptionFor(objectName, caption), then
    // LoadTabCaptions(). Runs once; throws FormCreationError when the window
    // cannot be built as configured.
    void FinishCreation();
    bool CreationFinished() const { return creationFinished_; }

    // A modal message box with the information icon, owned by this window;
    // returns the pressed button (IdOk, IdYes...).
    int ShowMsg(const QString& text, int buttons, const QString& title);
    // Every tab strip of the window takes its captions from the Bank.ini
    // section named after the strip; without the file or the section the
    // strip keeps its design-time captions.
    virtual void LoadTabCaptions();

    // The sink to hand to this window's requests as their OwnerWindow.
    LogSink* logSink() { return &sink_; }
    // Log events of this window's requests; ignored unless a window wants them.
    void LogBlockMessage(const QString& block, int level) override;
    void LogTextMessage(const QString& message, int level) override;

    // The client size at design; fixed for a dialog.
    void SetDesignSize(int width, int height);
    bool IsDialogBorder() const { return asDialog_; }
    // Escape closes a dialog; a window where Escape is typed into fields
    // (passwords) keeps it from doing so.
    void KeepOpenOnEscape() { keepOpenOnEscape_ = true; }

    // Where derived windows place their controls: PanMore above PanStatu.
    QWidget* ClientArea() const { return clientArea_; }

    QFrame* PanBack = nullptr;
    QFrame* PanMore = nullptr;
    QFrame* PanStatu = nullptr;
    QLabel* lblBottom = nullptr;
    QLabel* lblRight = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    // Keeps the host's window as the Windows owner while the window is shown.
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool asDialog_;
    bool keepOpenOnEscape_ = false;
    bool creationFinished_ = false;
    bool centred_ = false;
    QWidget* clientArea_ = nullptr;
    WindowLogSink sink_{*this};
};

// The combo's items := the values of section prefix + combo's objectName in
// Bank.ini; no items when the file or the section is missing.
void LoadComboItems(const QString& prefix, QComboBox* combo);

// Builds a window and runs its creation steps; a window that fails them is
// freed and the failure rethrown.
template <class Form, class... Args>
std::unique_ptr<Form> CreateForm(Args&&... args) {
    auto form = std::make_unique<Form>(std::forward<Args>(args)...);
    form->FinishCreation();
    return form;
}

}  // namespace vantrel
