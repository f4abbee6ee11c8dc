#pragma once
// The controls every window of the system makes the same way: named, placed,
// and with the settings the windows share (buttons are never auto-default,
// tool buttons never take the focus). Windows add what is their own.
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;
class QWidget;

namespace vantrel {

// `name` may be null for a caption nothing refers to.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
// A label in red: hints and the marks of required fields.
QLabel* MakeRedLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                     Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry);
// With no item selected.
QComboBox* MakeCombo(QWidget* parent, const char* name, const QRect& geometry, const QStringList& items = {});
QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, const QRect& geometry);
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry);
// For a button that a layout places.
QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QSize& size);
// A flat button of a strip or toolbar, outside the focus chain.
QToolButton* MakeToolButton(QWidget* parent, const char* name, const QString& toolTip);
// The bottom strip of a dialog as a row of buttons, `height` high.
QHBoxLayout* MakeButtonStrip(QWidget* strip, int height);
// A column that fills `owner` edge to edge: no margins, no spacing.
QVBoxLayout* MakeTightColumn(QWidget* owner);

}  // namespace vantrel
