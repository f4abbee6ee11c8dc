#include "grid/TfrmPrintSetup.h"

#include "widgets/UserPrompts.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vantrel {

namespace {
QString FontText(const QFont& font) { return font.family() + QStringLiteral(", %1pt").arg(font.pointSize()); }
}  // namespace

TfrmPrintSetup::TfrmPrintSetup(GridPrintSettings* settings, QPrinter* printer, QWidget* parent)
    : QDialog(parent), settings_(settings), printer_(printer), font_(settings->font) {
    setObjectName(QStringLiteral("TfrmPrintSetup"));
    setWindowTitle(QStringLiteral("打印设置"));
    auto* layout = new QVBoxLayout(this);

    auto* margins = new QGroupBox(QStringLiteral(" 页边距"), this);
    auto* grid = new QGridLayout(margins);
    auto spin = [&](const char* name, double value) {
        auto* box = new QDoubleSpinBox(margins);
        box->setObjectName(QString::fromLatin1(name));
        box->setRange(0, 100);
        box->setDecimals(1);
        box->setSuffix(QStringLiteral(" mm"));
        box->setValue(value);
        return box;
    };
    top_ = spin("edtTop", settings->marginsMm.top());
    bottom_ = spin("edtBottom", settings->marginsMm.bottom());
    left_ = spin("edtLeft", settings->marginsMm.left());
    right_ = spin("edtRight", settings->marginsMm.right());
    grid->addWidget(new QLabel(QStringLiteral("上"), margins), 0, 0);
    grid->addWidget(top_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("下"), margins), 0, 2);
    grid->addWidget(bottom_, 0, 3);
    grid->addWidget(new QLabel(QStringLiteral("左"), margins), 1, 0);
    grid->addWidget(left_, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("右"), margins), 1, 2);
    grid->addWidget(right_, 1, 3);
    layout->addWidget(margins);

    auto* fontRow = new QHBoxLayout;
    fontRow->addWidget(new QLabel(QStringLiteral("字体"), this));
    fontEdit_ = new QLineEdit(FontText(font_), this);
    fontEdit_->setObjectName(QStringLiteral("edtFont"));
    fontEdit_->setReadOnly(true);
    fontRow->addWidget(fontEdit_, 1);
    auto* fontButton = new QPushButton(QStringLiteral("..."), this);
    fontButton->setObjectName(QStringLiteral("btnFont"));
    fontButton->setFixedWidth(30);
    connect(fontButton, &QPushButton::clicked, this, &TfrmPrintSetup::chooseFont);
    fontRow->addWidget(fontButton);
    layout->addLayout(fontRow);

    auto check = [&](const QString& caption, const char* name, bool on) {
        auto* box = new QCheckBox(caption, this);
        box->setObjectName(QString::fromLatin1(name));
        box->setChecked(on);
        layout->addWidget(box);
        return box;
    };
    color_ = check(QStringLiteral("彩色"), "chkColor", settings->color);
    fitWidth_ = check(QStringLiteral("调整页面宽度"), "chkFitWidth", settings->fitToPageWidth);
    optimal_ = check(QStringLiteral("优化列宽"), "chkOptimalWidth", settings->optimalColumnWidths);
    stretch_ = check(QStringLiteral("拉伸线条"), "chkStretchLines", settings->stretchLines);

    auto* fitBox = new QGroupBox(this);
    auto* fitLayout = new QVBoxLayout(fitBox);
    scaleGrid_ = new QRadioButton(QStringLiteral("调整整个网格"), fitBox);
    scaleGrid_->setObjectName(QStringLiteral("rbScaleGrid"));
    changeWidths_ = new QRadioButton(QStringLiteral("改变列宽"), fitBox);
    changeWidths_->setObjectName(QStringLiteral("rbChangeWidths"));
    (settings->fit == PrintFit::ScaleGrid ? scaleGrid_ : changeWidths_)->setChecked(true);
    fitLayout->addWidget(scaleGrid_);
    fitLayout->addWidget(changeWidths_);
    fitBox->setEnabled(fitWidth_->isChecked());
    connect(fitWidth_, &QCheckBox::toggled, fitBox, &QWidget::setEnabled);
    layout->addWidget(fitBox);

    auto* buttons = new QHBoxLayout;
    auto button = [&](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        buttons->addWidget(b);
        return b;
    };
    QPushButton* printerSetup = button(QStringLiteral("打印机设置"), "btnPrinterSetup");
    buttons->addStretch(1);
    QPushButton* ok = button(QStringLiteral("确定"), "btnOk");
    QPushButton* cancel = button(QStringLiteral("取消"), "btnCancel");
    ok->setDefault(true);
    connect(printerSetup, &QPushButton::clicked, this, [this] {
        if (!printer_) return;
        QPageSetupDialog dialog(printer_, this);
        dialog.exec();
    });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addLayout(buttons);
}

void TfrmPrintSetup::chooseFont() {
    if (auto chosen = Prompts().chooseFont(this, font_)) {
        font_ = *chosen;
        fontEdit_->setText(FontText(font_));
    }
}

void TfrmPrintSetup::accept() {
    settings_->marginsMm = QMarginsF(left_->value(), top_->value(), right_->value(), bottom_->value());
    settings_->font = font_;
    settings_->color = color_->isChecked();
    settings_->fitToPageWidth = fitWidth_->isChecked();
    settings_->optimalColumnWidths = optimal_->isChecked();
    settings_->stretchLines = stretch_->isChecked();
    settings_->fit = scaleGrid_->isChecked() ? PrintFit::ScaleGrid : PrintFit::ChangeColumnWidths;
    QDialog::accept();
}

}  // namespace vantrel
