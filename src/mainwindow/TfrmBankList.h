#pragma once
// The account picker: a small borderless list of the customer's signed
// accounts dropped down under an account field of the main window. A
// double-click hands the row to whoever listens to accountChosen().
#include <QDialog>
#include <QPointer>
#include <QRect>

#include <memory>
#include <optional>

#include "protocol/SessionTypes.h"

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

// Copies the current row of `table` over `account`; the first failure ends
// the copy silently, what was copied stays.
void CopyAccountRow(const MemoryTable& table, bool netBank, TBankInfo& account);

class TfrmBankList : public QDialog {
    Q_OBJECT
public:
    // Lists `accounts`, which must outlive the picker.
    explicit TfrmBankList(MemoryTable& accounts, QWidget* parent = nullptr);
    ~TfrmBankList() override;

    // The one picker over `accounts`, made when none is open; the caller
    // connects accountChosen() and then calls Run().
    static TfrmBankList* Prepare(QWidget* owner, MemoryTable& accounts);
    // Places the picker under `field`, runs it modally and frees it. A chosen
    // row is copied over `current` (the account in use) and emitted.
    static void Run(TfrmBankList* picker, QWidget* field, const TBankInfo& current, bool netBank);
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
    TBankInfo Chosen;


signals:
    void accountChosen(const vantrel::TBankInfo& account);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Tests find them by objectName ("Panel5", "btnClose", "DBGrid").
    QFrame* Panel5 = nullptr;
    QToolButton* btnClose = nullptr;
    DBGrid* Grid = nullptr;
    MemoryTable& accounts_;
    std::unique_ptr<TFormatDBGrid> formatter_;
};

}  // namespace vantrel
