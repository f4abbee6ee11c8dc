#pragma once
// The account picker: a small borderless list of the customer's signed
// accounts dropped down under an account field of the main window. A
// double-click makes the row the current account (CustomerSession) and tells
// the main window through accountChosen().
#include <QDialog>
#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>

class QFontMetrics;
class QFrame;
class QLabel;
class QToolButton;

namespace vantrel {

class DBGrid;
class MemoryTable;
class TFormatDBGrid;

// Where the picker goes under a control whose top-left corner is at screen
// point `control` and whose height is `controlHeight`, within `workArea`.
// The size may shrink to fit.
QRect PickerGeometry(const QPoint& control, int controlHeight, const QSize& picker, const QRect& workArea);

// The width of the widest account number (19 digits) in `metrics`: the
// account fields and the picker's account column show it whole.
int AccountNumberWidth(const QFontMetrics& metrics);

// Copies the current row of `table` into CustomerSession; the first failure
// ends the copy silently, what was copied stays.
void CopyAccountRow(const MemoryTable& table, bool netBank);

class TfrmBankList : public QDialog {
    Q_OBJECT
public:
    explicit TfrmBankList(QWidget* parent = nullptr);
    ~TfrmBankList() override;

    // Opens the one picker for `field` of `mainWindow` and runs it modally;
    // the choice arrives at the main window's BankChosen.
    static void Open(QWidget* mainWindow, QWidget* field, bool netBank);
    // The picker that is open, or nullptr.
    static TfrmBankList* Current();
    // Closes the open picker without a choice.
    static void CloseOpen();
    // The desktop work area; tests set their own.
    static void SetWorkAreaOverride(std::optional<QRect> area);
    static QRect WorkArea();

    void PlaceBelow(QWidget* control);
    void DBGridDblClick();
    void btnCloseClick() { close(); }

    QWidget* NotifyWindow = nullptr;
    bool NetBank = false;

    QFrame* Panel5 = nullptr;
    QToolButton* btnClose = nullptr;
    DBGrid* Grid = nullptr;  // objectName "DBGrid"

signals:
    void accountChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<TFormatDBGrid> formatter_;
};

}  // namespace vantrel
