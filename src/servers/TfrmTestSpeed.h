#pragma once
// "测速": every server of the stored list in a row, probed at once by the
// window's own checker on "测  试"; each row follows its host's notices.
#include <QString>

#include <memory>
#include <vector>

#include "protocol/TlsSettings.h"

#include "widgets/TfrmNoneForm.h"

class QPainter;
class QPushButton;
class QTableWidget;

namespace vantrel {

class HostCheckAdapter;
class THostRespondCheck;

class TfrmTestSpeed : public TfrmNoneForm {
    Q_OBJECT
public:
    explicit TfrmTestSpeed(QWidget* parent = nullptr);
    ~TfrmTestSpeed() override;

    // Row n (from 1) is server n of the list and the checker's host n.
    void LoadServers(const QString& prefix);

    THostRespondCheck& Checker() { return *checker_; }
    bool Interrupted() const { return interrupted_; }
    QString SectionPrefix;

    QTableWidget* SGrid = nullptr;
    QPushButton* btnStart = nullptr;
    QPushButton* btnStop = nullptr;
    QPushButton* btnExit = nullptr;

    // Colours of a cell: the text colour by its content, the background by
    // the row (title, odd, even, selected).
    static QColor CellTextColor(const QString& text);
    static QColor CellBackground(int row, bool selected);

public slots:
    void btnStartClick();
    void btnStopClick();
    void btnExitClick();

private slots:
    void CheckStatus(int hostId);
    void CheckEnd();

private:
    friend class SpeedCellDelegate;
    void SGridDrawCell(QPainter* painter, const QRect& rect, int row, int column, bool selected) const;
    void SetRunning(bool running);

    std::unique_ptr<HostCheckAdapter> adapter_;
    // Declared after the adapter so that it is destroyed first: its workers
    // call the adapter until they have been joined.
    std::unique_ptr<THostRespondCheck> checker_;
    bool interrupted_ = false;
    // Row n's server's TLS settings, as loaded with the list.
    std::vector<TlsSettings> serverTls_;
};

}  // namespace vantrel
