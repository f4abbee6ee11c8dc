#pragma once
// RTF export of a rich-text document (Qt reads and writes HTML only): the
// log page saves its whole content this way, whatever extension the customer
// typed. Covered: fonts, sizes, bold, italic, underline, strike-out, text and
// background colours, paragraph alignment, bullet and numbered lists, line
// breaks and tabs. Pictures and tables are written as their text.
#include "common/Result.h"

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace vantrel {

// The document as RTF: pure ASCII, every non-ASCII character as \uN.
QByteArray DocumentToRtf(const QTextDocument& document);

// Writes DocumentToRtf to `fileName` through ReplaceFileAtomically: on a
// failure the file is as it was and the error names the reason.
Status SaveDocumentAsRtf(const QTextDocument& document, const QString& fileName);

}  // namespace vantrel
