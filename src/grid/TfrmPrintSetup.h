#pragma once
// The print set-up dialog "打印设置": margins, print font, colour, fitting
// and column-width choices of a grid's printout.
#include "grid/GridPrinter.h"

#include <QDialog>

class QCheckBox;
class QDoubleSpinBox;
class QLineEdit;
class QPrinter;
class QRadioButton;

namespace vantrel {

class TfrmPrintSetup : public QDialog {
    Q_OBJECT
public:
    // Shows `settings`; accepting writes the choices back.
    TfrmPrintSetup(GridPrintSettings* settings, QPrinter* printer, QWidget* parent = nullptr);

    void accept() override;

private:
    void chooseFont();

    GridPrintSettings* settings_;
    QPrinter* printer_;
    QFont font_;
    QDoubleSpinBox* top_;
    QDoubleSpinBox* bottom_;
    QDoubleSpinBox* left_;
    QDoubleSpinBox* right_;
    QLineEdit* fontEdit_;
    QCheckBox* color_;
    QCheckBox* fitWidth_;
    QCheckBox* optimal_;
    QCheckBox* stretch_;
    QRadioButton* scaleGrid_;
    QRadioButton* changeWidths_;
};

}  // namespace vantrel
