#pragma once
// Every modal interaction with the user goes through one replaceable object:
// message boxes, the save-file, font and colour dialogs, and handing an
// address to the system browser. Windows use Prompts(); tests install a
// scripted implementation so that every flow runs without a person.
#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

class QWidget;

namespace vantrel {

// Button sets and answers, numbered as the platform message box numbers them.
enum MessageButtons : int { MbOk = 0, MbOkCancel = 1, MbYesNo = 4 };
enum MessageAnswer : int { IdOk = 1, IdCancel = 2, IdYes = 6, IdNo = 7 };

struct SaveFileRequest {
    QString caption;
    QString directory;
    QString fileName;       // suggested name
    QString filter;         // "Excel 文件 (*.xls)" style, ";;"-separated
    QString defaultSuffix;  // added when the user types none
    // False: the caller asks itself before replacing a file (it may write
    // another name than the one chosen).
    bool confirmOverwrite = true;
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A modal message box with the information icon; returns the answer.
    virtual int messageBox(QWidget* owner, const QString& text, const QString& title, int buttons) = 0;
    // The chosen file, or nothing when the user cancelled.
    virtual std::optional<QString> saveFileName(QWidget* owner, const SaveFileRequest& request) = 0;
    virtual std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) = 0;
    virtual std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) = 0;
    // Opens the address with the system's default handler; false when the
    // address was refused or could not be opened.
    virtual bool openUrl(const QString& address) = 0;
};

// How the Qt prompts hand an accepted address, fully encoded, to the system:
// ShellExecuteW's "open" on Windows, QDesktopServices elsewhere. Tests record
// the hand-over instead, so the platform path runs without a browser.
using SystemOpener = bool (*)(const QString& encodedAddress);
// Installs `opener`; nullptr goes back to the default.
void SetSystemOpener(SystemOpener opener);

// The prompts in force: the Qt dialogs unless a test installed its own.
UserPrompts& Prompts();
// Installs `prompts` (not owned); nullptr goes back to the Qt dialogs.
void SetPrompts(UserPrompts* prompts);

// The extension of a filter's first pattern ("xlsx" for "Excel (*.xlsx)"),
// empty when it has none: the suffix a typed name gets under that filter.
QString FilterSuffix(const QString& filter);

// Only http and https addresses may reach the system browser. This is the
// core's CheckBrowsableAddress (common/WebAddress.h) on the UTF-8 text, so the
// Qt side and the core accept exactly the same addresses.
bool IsBrowsableAddress(const QString& address);

}  // namespace vantrel
