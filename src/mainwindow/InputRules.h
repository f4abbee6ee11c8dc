#pragma once
// The input rules the operation pages share, as plain functions so that the
// window's handlers and the tests use the same code.
#include <QString>


namespace vantrel {

// A password field keeps every typed character with bit 3 inverted, so the
// typed password never sits in the widget as typed.
bool IsPasswordCharacter(QChar c);
QChar MaskPasswordCharacter(QChar c);
// The typed password from a field's text (XOR 8 on every character).
QString UnmaskPassword(const QString& text);

// Whether a key typed into an amount field keeps at most `places` decimals.
// `text` is the field's text, `selStart` the start of the selection (or the
// caret), `selLength` its length; `key` is '\b' for Backspace.
bool DecimalKeyAccepted(const QString& text, int selStart, int selLength, QChar key, int places);

// The amount in an amount field, 0 when the field is empty or unreadable.
double AmountValue(const QString& text);

// The amount as the middleware takes it: whole cents, rounded to the nearest
// cent ("0.29" -> "29", "100" -> "10000"); empty when the amount is not
// greater than zero or above the largest amount a transfer may carry.
QString AmountCents(const QString& text);

// A memo as one line: every CR LF, CR or LF becomes one blank (a line break
// would end a field of the request frame), then the ends are trimmed.
QString MemoText(const QString& text);

}  // namespace vantrel
