// The log page's toolbar and the online deposit of page 0.
#include <QLabel>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>

#include "common/ErrorLog.h"
#include "common/TextUtil.h"
#include "mainwindow/TfrmVantrel.h"
#include "protocol/OnlineBankAddress.h"
#include "protocol/QueryRequests.h"
#include "protocol/Session.h"
#include "widgets/RtfWriter.h"

namespace vantrel {

enum LogTool : int {
    LogSave = 0,
    LogCopy,
    LogBold,
    LogItalic,
    LogUnderline,
    LogLeft,
    LogCentre,
    LogRight,
    LogBullets,
    LogFont,
    LogColour,
    LogClear,
};

void TfrmVantrel::applyLogCharFormat(const QTextCharFormat& format) {
    QTextCursor cursor = RichLogs->textCursor();
    if (cursor.hasSelection()) {
        cursor.mergeCharFormat(format);
        return;
    }
    // Without a selection the editor's defaults change: they apply to every
    // line that has no formatting of its own and to the lines still to come.
    QTextDocument* document = RichLogs->document();
    QFont font = document->defaultFont();
    if (format.hasProperty(QTextFormat::FontFamilies)) font.setFamilies(format.fontFamilies().toStringList());
    if (format.hasProperty(QTextFormat::FontPointSize)) font.setPointSizeF(format.fontPointSize());
    if (format.hasProperty(QTextFormat::FontWeight)) font.setWeight(QFont::Weight(format.fontWeight()));
    if (format.hasProperty(QTextFormat::FontItalic)) font.setItalic(format.fontItalic());
    if (format.hasProperty(QTextFormat::FontUnderline) || format.hasProperty(QTextFormat::TextUnderlineStyle))
        font.setUnderline(format.fontUnderline());
    if (format.hasProperty(QTextFormat::FontStrikeOut)) font.setStrikeOut(format.fontStrikeOut());
    document->setDefaultFont(font);
    if (format.hasProperty(QTextFormat::ForegroundBrush)) {
        QPalette palette = RichLogs->palette();
        palette.setColor(QPalette::Text, format.foreground().color());
        RichLogs->setPalette(palette);
    }
}

void TfrmVantrel::applyLogFontFlag(int tag, bool on) {
    QTextCharFormat format;
    if (tag == LogBold) format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    if (tag == LogItalic) format.setFontItalic(on);
    if (tag == LogUnderline) format.setFontUnderline(on);
    applyLogCharFormat(format);
}

void TfrmVantrel::btnLogSaveClick(QToolButton* button) {
    const int tag = button->property("Tag").toInt();
    switch (tag) {
    case LogSave: {
        SaveFileRequest request;
        request.filter = QStringLiteral("日志文件 (*.log);;RTF文件 (*.rtf)");
        request.defaultSuffix = QStringLiteral("log");
        const auto file = Prompts().saveFileName(this, request);
        if (!file) return;
        // Rich text whatever the extension: the colours of the lines are the point.
        const Status saved = SaveDocumentAsRtf(*RichLogs->document(), *file);
        if (!saved.ok()) ShowMsg(QString::fromStdString(saved.error()), MbOk, SystemPromptTitle());
        return;
    }
    case LogCopy: RichLogs->copy(); return;
    case LogBold:
    case LogItalic:
    case LogUnderline: applyLogFontFlag(tag, button->isChecked()); return;
    case LogLeft: RichLogs->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); return;
    case LogCentre: RichLogs->setAlignment(Qt::AlignHCenter); return;
    case LogRight: RichLogs->setAlignment(Qt::AlignRight | Qt::AlignAbsolute); return;
    case LogBullets: {
        QTextCursor cursor = RichLogs->textCursor();
        if (button->isChecked()) {
            cursor.createList(QTextListFormat::ListDisc);
            return;
        }
        // Off: every paragraph the cursor touches leaves its list.
        const int end = cursor.selectionEnd();
        QTextBlock block = RichLogs->document()->findBlock(cursor.selectionStart());
        while (block.isValid() && block.position() <= end) {
            if (QTextList* list = block.textList()) {
                list->remove(block);
                QTextCursor at(block);
                QTextBlockFormat plain = block.blockFormat();
                plain.setIndent(0);
                at.setBlockFormat(plain);
            }
            block = block.next();
        }
        return;
    }
    case LogFont: {
        QTextCharFormat current = RichLogs->textCursor().hasSelection() ? RichLogs->textCursor().charFormat()
                                                                         : QTextCharFormat();
        QFont initial = RichLogs->document()->defaultFont();
        if (RichLogs->textCursor().hasSelection()) initial = current.font();
        const auto chosen = Prompts().chooseFont(this, initial);
        if (!chosen) return;
        QTextCharFormat format;
        format.setFontFamilies(chosen->families().isEmpty() ? QStringList{chosen->family()} : chosen->families());
        if (chosen->pointSizeF() > 0) format.setFontPointSize(chosen->pointSizeF());
        format.setFontWeight(chosen->weight());
        format.setFontItalic(chosen->italic());
        format.setFontUnderline(chosen->underline());
        format.setFontStrikeOut(chosen->strikeOut());
        applyLogCharFormat(format);
        return;
    }
    case LogColour: {
        const QColor initial = RichLogs->textCursor().hasSelection()
                                   ? RichLogs->textCursor().charFormat().foreground().color()
                                   : RichLogs->palette().color(QPalette::Text);
        const auto chosen = Prompts().chooseColor(this, initial);
        if (!chosen) return;
        QTextCharFormat format;
        format.setForeground(*chosen);
        applyLogCharFormat(format);
        return;
    }
    case LogClear: RichLogs->clear(); return;
    default: return;
    }
}

// ---------------------------------------------------------------- online deposit

QString TfrmVantrel::NetBankAddress() {
    if (!queryOrderID_) return {};
    const auto& session = session_.CustomerSession;
    auto& request = *queryOrderID_;
    request.CustTradeID = session_.ActiveServer.TradeID;
    request.BankCode = session.BankID;
    const bool found = execute(request);
    std::string orderId;
    MemoryTable& rows = request.ResultTable;
    if (found && rows.recordCount() > 0 && rows.fieldCount() > 0) {
        rows.first();
        orderId = Trim(rows.fieldText(0));
    }
    const auto address = FillOnlineBankAddress(session.Url, orderId, request.CustTradeID);
    if (!address.ok()) {
        // The customer gets the short notice; the reason goes to the error log.
        try {
            WriteErrorLog("uVantrel -> NetBankAddress -> " + address.error());
        } catch (const std::exception&) {
        }
        ShowMsg(QString::fromUtf8(kNetBankAddressError), MbOk, SystemPromptTitle());
        return {};
    }
    return QString::fromStdString(address.value());
}

void TfrmVantrel::btnHttpClick() {
    const QString address = NetBankAddress();
    if (address.trimmed().isEmpty()) {
        PanTips->clear();
        return;
    }
    Prompts().openUrl(address.trimmed());
}

}  // namespace vantrel
