#pragma once
// "系统配置": the server list in a grid formatted from [SetDBGrid4], with
// add, modify, delete, speed test, apply and back. The list is saved at
// "删 除", "测 速", "应 用" and "返 回"; the result is Accepted only after
// "应 用", which tells the login dialog to reload its server choice.
#include <QString>

#include <memory>

#include "widgets/TfrmNoneForm.h"

class QFrame;
class QPushButton;

namespace vantrel {

class DBGrid;
class MemoryTable;
class TFormatDBGrid;

class TfrmConfigSet : public TfrmNoneForm {
    Q_OBJECT
public:
    explicit TfrmConfigSet(QWidget* parent = nullptr);
    ~TfrmConfigSet() override;

    QString SectionPrefix;

    // The table behind the grid (empty fields until the dialog was shown).
    MemoryTable& ServerTable();
    // Erase and save in one replacement of Bank.ini; a failure is shown.
    // Does nothing when the stored list could not be read.
    bool SaveServerList();

    QFrame* PanMain = nullptr;
    DBGrid* DBGrid4 = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnModi = nullptr;
    QPushButton* btnDel = nullptr;
    QPushButton* btnCheck = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnExit = nullptr;

public slots:
    void btnAddClick();
    void btnModiClick();
    void btnDelClick();
    void btnCheckClick();
    void btnOkClick();
    void btnExitClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetUpGrid();
    bool HasRows();
    void Refresh();
    // The server dialog on a new row, or on the current one when `existing`.
    void EditServer(bool existing);

    std::unique_ptr<TFormatDBGrid> formatter_;
    std::unique_ptr<MemoryTable> fallback_;  // when the formatter cannot be built
    bool shown_ = false;
    bool listLoaded_ = false;
};

}  // namespace vantrel
