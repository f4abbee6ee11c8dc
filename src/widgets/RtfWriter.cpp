#include "widgets/RtfWriter.h"

#include "common/AtomicFile.h"

#include <QColor>
#include <QFile>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {
namespace {

// Used when neither the text nor the document names a font.
const QString kFallbackFamily = QStringLiteral("SimSun");

// Indent of a list level in twips (1/1440 inch).
constexpr int kListIndent = 360;

void AppendNumber(QByteArray& out, long long value) { out += QByteArray::number(value); }

// Text as RTF: '\', '{', '}' escaped, ASCII printable as is, every other
// UTF-16 unit as \uN? with N signed 16-bit (so a character beyond the BMP
// becomes its surrogate pair), tabs and line separators as control words.
void AppendText(QByteArray& out, const QString& text) {
    bool afterUnicode = false;
    for (const QChar ch : text) {
        const char16_t unit = ch.unicode();
        // A plain converter (unrtf) takes the rest of the word after a \uN?
        // as its fallback and drops it; an empty group ends the word.
        if (afterUnicode && unit >= 0x20 && unit < 0x7F) out += "{}";
        afterUnicode = false;
        if (unit == '\\' || unit == '{' || unit == '}') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else if (unit == '\t') {
            out += "\\tab ";
        } else if (unit == QChar::LineSeparator || unit == '\n') {
            out += "\\line ";
        } else if (unit == QChar::Nbsp) {
            out += "\\~";
        } else if (unit == QChar::ObjectReplacementCharacter || unit < 0x20 || unit == 0x7F) {
            // Pictures and control characters have no text to keep.
        } else {
            out += "\\u";
            AppendNumber(out, static_cast<std::int16_t>(unit));
            out += '?';
            afterUnicode = true;
        }
    }
}

QString FamilyOf(const QTextCharFormat& format, const QString& fallback) {
    const QStringList families = format.property(QTextFormat::FontFamilies).toStringList();
    if (!families.isEmpty() && !families.front().isEmpty()) return families.front();
    const QString old = format.property(QTextFormat::OldFontFamily).toString();
    return old.isEmpty() ? fallback : old;
}

class RtfBuilder {
public:
    explicit RtfBuilder(const QTextDocument& document) : document_(document) {
        const QFont font = document.defaultFont();
        defaultFamily_ = font.family().isEmpty() ? kFallbackFamily : font.family();
        defaultPoints_ = font.pointSizeF() > 0 ? font.pointSizeF() : 10.5;
        fontIndex(defaultFamily_);  // font 0, the \deff font
    }

    QByteArray build() {
        QByteArray body;
        for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
            writeBlock(body, block);
            if (block.next().isValid()) body += "\\par\r\n";  // none after the last: no empty paragraph added
        }

        QByteArray out = "{\\rtf1\\ansi\\ansicpg936\\deff0\\deflang1033\\deflangfe2052\r\n{\\fonttbl";
        for (int i = 0; i < fonts_.size(); ++i) {
            out += "{\\f";
            AppendNumber(out, i);
            out += "\\fnil\\fcharset134 ";
            AppendText(out, QString(fonts_[i]).remove(';'));  // ';' ends the name
            out += ";}";
        }
        out += "}\r\n{\\colortbl ;";  // entry 0 is "automatic"
        for (const QColor& color : colors_) {
            out += "\\red";
            AppendNumber(out, color.red());
            out += "\\green";
            AppendNumber(out, color.green());
            out += "\\blue";
            AppendNumber(out, color.blue());
            out += ';';
        }
        out += "}\r\n\\viewkind4\\uc1\r\n";
        out += body;
        out += "}\r\n";
        return out;
    }

private:
    int fontIndex(const QString& family) {
        int index = static_cast<int>(fonts_.indexOf(family));
        if (index < 0) {
            index = static_cast<int>(fonts_.size());
            fonts_.append(family);
        }
        return index;
    }

    // Colour table index, counting the "automatic" entry 0.
    int colorIndex(const QColor& color) {
        const QColor opaque = QColor::fromRgb(color.rgb());
        for (std::size_t i = 0; i < colors_.size(); ++i)
            if (colors_[i] == opaque) return static_cast<int>(i) + 1;
        colors_.push_back(opaque);
        return static_cast<int>(colors_.size());
    }

    void writeBlock(QByteArray& out, const QTextBlock& block) {
        out += "\\pard";
        const Qt::Alignment alignment = block.blockFormat().alignment();
        if (alignment & Qt::AlignHCenter)
            out += "\\qc";
        else if (alignment & Qt::AlignJustify)
            out += "\\qj";
        else if (alignment & Qt::AlignRight)
            out += "\\qr";
        else
            out += "\\ql";
        if (QTextList* list = block.textList()) writeListLabel(out, *list, block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.isValid()) writeRun(out, fragment.charFormat(), fragment.text());
        }
    }

    // The label both as text (\pntext, for readers that only show it) and as
    // a paragraph numbering definition (\pn, for readers that rebuild it).
    void writeListLabel(QByteArray& out, const QTextList& list, const QTextBlock& block) {
        const QTextListFormat format = list.format();
        const int level = std::max(format.indent(), 1);
        out += "\\fi-";
        AppendNumber(out, kListIndent);
        out += "\\li";
        AppendNumber(out, kListIndent * (level + 1));
        const QTextListFormat::Style style = format.style();
        const bool bullet = style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
                            style == QTextListFormat::ListSquare;
        if (bullet) {
            out += "{\\pntext\\f0 \\bullet\\tab}{\\*\\pn\\pnlvlblt\\pnf0\\pnindent";
            AppendNumber(out, kListIndent);
            out += "{\\pntxtb\\bullet}}";
            return;
        }
        // Numbered styles: the label as Qt shows it ("3.", "c.", "iv.").
        out += "{\\pntext\\f0 ";
        AppendText(out, list.itemText(block));
        out += "\\tab}{\\*\\pn\\pnlvlbody\\pnf0\\pnindent";
        AppendNumber(out, kListIndent);
        switch (style) {
        case QTextListFormat::ListLowerAlpha: out += "\\pnlcltr"; break;
        case QTextListFormat::ListUpperAlpha: out += "\\pnucltr"; break;
        case QTextListFormat::ListLowerRoman: out += "\\pnlcrm"; break;
        case QTextListFormat::ListUpperRoman: out += "\\pnucrm"; break;
        default: out += "\\pndec"; break;
        }
        out += "\\pnstart1{\\pntxta.}}";
    }

    void writeRun(QByteArray& out, const QTextCharFormat& format, const QString& text) {
        // The font for double-byte text (\dbch\af) and for the rest (\loch\f):
        // without the first, readers give Chinese text a font of their own.
        const int font = fontIndex(FamilyOf(format, defaultFamily_));
        out += "{\\dbch\\af";
        AppendNumber(out, font);
        out += "\\loch\\f";
        AppendNumber(out, font);
        const double points = format.fontPointSize() > 0 ? format.fontPointSize() : defaultPoints_;
        out += "\\fs";
        AppendNumber(out, std::lround(points * 2));
        // What a run does not set itself comes from the document's default
        // font: the log page makes all its plain text bold that way.
        const QFont base = document_.defaultFont();
        const auto own = [&](QTextFormat::Property property) { return format.hasProperty(property); };
        const bool bold = own(QTextFormat::FontWeight) ? format.fontWeight() >= QFont::DemiBold
                                                       : base.weight() >= QFont::DemiBold;
        const bool italic = own(QTextFormat::FontItalic) ? format.fontItalic() : base.italic();
        const bool underline = own(QTextFormat::TextUnderlineStyle) || own(QTextFormat::FontUnderline)
                                   ? format.fontUnderline()
                                   : base.underline();
        const bool strikeOut = own(QTextFormat::FontStrikeOut) ? format.fontStrikeOut() : base.strikeOut();
        if (bold) out += "\\b";
        if (italic) out += "\\i";
        if (underline) out += "\\ul";
        if (strikeOut) out += "\\strike";
        if (format.foreground().style() != Qt::NoBrush) {
            out += "\\cf";
            AppendNumber(out, colorIndex(format.foreground().color()));
        }
        if (format.background().style() != Qt::NoBrush) {
            // \highlight (a colour table index) is read by word processors and
            // plain converters alike; \cb is ignored by the former.
            out += "\\highlight";
            AppendNumber(out, colorIndex(format.background().color()));
        }
        out += ' ';
        AppendText(out, text);
        out += '}';
    }

    const QTextDocument& document_;
    QString defaultFamily_;
    double defaultPoints_ = 0;
    QStringList fonts_;
    std::vector<QColor> colors_;
};

std::filesystem::path NativePath(const QString& fileName) {
#ifdef _WIN32
    return std::filesystem::path(fileName.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(fileName).toStdString());
#endif
}

}  // namespace

QByteArray DocumentToRtf(const QTextDocument& document) { return RtfBuilder(document).build(); }

Status SaveDocumentAsRtf(const QTextDocument& document, const QString& fileName) {
    if (fileName.trimmed().isEmpty()) return Error{"no file name to save the log to"};
    const QByteArray rtf = DocumentToRtf(document);
    return ReplaceFileAtomically(NativePath(fileName), std::string_view(rtf.constData(), static_cast<std::size_t>(rtf.size())));
}

}  // namespace vantrel
