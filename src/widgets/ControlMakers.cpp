#include "widgets/ControlMakers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantrel {

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  Qt::Alignment alignment) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QLatin1String(name));
    label->setAlignment(alignment);
    label->setGeometry(geometry);
    return label;
}

QLabel* MakeRedLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                     Qt::Alignment alignment) {
    QLabel* label = MakeLabel(parent, name, text, geometry, alignment);
    label->setStyleSheet(QStringLiteral("color: red;"));
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, const QRect& geometry) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, const QRect& geometry, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    combo->setGeometry(geometry);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    return combo;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(geometry);
    return box;
}

namespace {

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    // Enter belongs to the fields (it moves on) or to the one default button.
    button->setAutoDefault(false);
    return button;
}

}  // namespace

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    QPushButton* button = NewButton(parent, name, text);
    button->setGeometry(geometry);
    return button;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QSize& size) {
    QPushButton* button = NewButton(parent, name, text);
    button->setFixedSize(size);
    return button;
}

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QString& toolTip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(toolTip);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QHBoxLayout* MakeButtonStrip(QWidget* strip, int height) {
    strip->setFixedHeight(height);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(4, 2, 4, 2);
    return row;
}

QVBoxLayout* MakeTightColumn(QWidget* owner) {
    auto* column = new QVBoxLayout(owner);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    return column;
}

}  // namespace vantrel
