#include "widgets/PasswordEcho.h"

#include <QLineEdit>

namespace vantrel {

void ShowAsStars(QLineEdit* edit) {
    edit->setEchoMode(QLineEdit::Password);
    // The style sheet's rule answers the style's password-character hint
    // for this edit only; 42 is "*".
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
}

}  // namespace vantrel
