#include "mainwindow/InputRules.h"

#include <QRegularExpression>

#include "common/Money.h"

namespace vantrel {

bool IsPasswordCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

QChar MaskPasswordCharacter(QChar c) { return QChar(static_cast<char16_t>(c.unicode() ^ 8u)); }

QString UnmaskPassword(const QString& text) {
    QString plain = text;
    for (auto& c : plain) c = MaskPasswordCharacter(c);
    return plain;
}

bool DecimalKeyAccepted(const QString& text, int selStart, int selLength, QChar key, int places) {
    const QString trimmed = text.trimmed();
    const int point = static_cast<int>(trimmed.indexOf(QLatin1Char('.'))) + 1;  // 1-based, 0: none
    if (point == 0 || selStart < point) return true;
    const bool backspace = key == QChar(u'\b');
    const int decimals = static_cast<int>(trimmed.size()) - point;
    if (selLength == 0 && decimals >= places && !backspace) return false;
    if (key == QLatin1Char('.')) return false;
    if (selStart - point >= places && !backspace) return false;
    return true;
}

double AmountValue(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok ? value : 0.0;
}

QString AmountCents(const QString& text) {
    const double value = AmountValue(text);
    if (!(value > 0)) return {};
    // Two decimals first, so the exact decimal parser does the rounding's
    // last step and no binary fraction reaches the wire.
    const auto cents = YuanToCents(QString::number(value, 'f', 2).toStdString());
    return cents.ok() ? QString::fromStdString(CentsText(cents.value())) : QString();
}

QString MemoText(const QString& text) {
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\r|\\n"));
    QString line = text;
    line.replace(lineBreak, QStringLiteral(" "));
    return line.trimmed();
}

}  // namespace vantrel
