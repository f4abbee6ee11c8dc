#pragma once
// "系统设置": adds servers to, or changes the current row of, the list
// dialog's table. The changes are in the table when the dialog returns; the
// list dialog saves them at its next save point.
#include "widgets/TfrmNoneForm.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vantrel {

class MemoryTable;

class TfrmConfig : public TfrmNoneForm {
    Q_OBJECT
public:
    explicit TfrmConfig(QWidget* parent = nullptr);

    // Called once before the dialog is shown. modify: change the table's
    // current row; otherwise append new rows.
    void EditServer(MemoryTable* table, bool modify);

    QLabel* RzLabel3 = nullptr;
    QLineEdit* txtServerName = nullptr;
    QLabel* RzLabel1 = nullptr;
    QLineEdit* txtServerIP = nullptr;
    QLabel* RzLabel4 = nullptr;
    QLabel* RzLabel2 = nullptr;
    QLineEdit* txtPort = nullptr;
    QCheckBox* chkNext = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnExit = nullptr;

public slots:
    void btnOkClick();
    void btnExitClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MemoryTable* table_ = nullptr;
    bool modify_ = false;
};

}  // namespace vantrel
