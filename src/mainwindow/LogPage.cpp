#include "mainwindow/LogPage.h"

#include <QButtonGroup>
#include <QFrame>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "widgets/ControlMakers.h"
#include "widgets/RtfWriter.h"
#include "widgets/TfrmNoneForm.h"
#include "widgets/UserPrompts.h"

namespace vantrel {
namespace {

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

struct Tool {
    const char* name;
    const char* tip;
    const char* text;
    bool toggle;
};

const Tool kTools[] = {{"btnLogSave", "保存", "存", false},     {"btnLogCopy", "复制", "复", false},
                       {"btnLogB", "粗体", "B", true},          {"btnLogI", "斜体", "I", true},
                       {"btnLogU", "下划线", "U", true},        {"btnLogLeft", "左对齐", "左", true},
                       {"btnLogMid", "居中", "中", true},       {"btnLogRight", "右对齐", "右", true},
                       {"btnLogICO", "定义标头", "•", true},    {"btnLogFont", "字体/字号", "字", false},
                       {"btnLogColor", "背景色", "色", false},  {"btnLogClear", "清空", "清", false}};

}  // namespace

LogPage::LogPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet6"));
    auto* column = MakeTightColumn(this);
    ToolbarLogs = new QToolBar(this);
    ToolbarLogs->setObjectName(QStringLiteral("ToolbarLogs"));
    ToolbarLogs->setFixedHeight(26);
    ToolbarLogs->setIconSize(QSize(16, 16));
    column->addWidget(ToolbarLogs);
    auto* alignment = new QButtonGroup(ToolbarLogs);
    alignment->setExclusive(true);
    for (int tag = LogSave; tag <= LogClear; ++tag) {
        if (tag == LogBold || tag == LogLeft || tag == LogBullets || tag == LogClear) ToolbarLogs->addSeparator();
        const Tool& tool = kTools[tag];
        QToolButton* button = MakeToolButton(ToolbarLogs, tool.name, QString::fromUtf8(tool.tip));
        button->setAutoRaise(false);
        button->setText(QString::fromUtf8(tool.text));
        button->setCheckable(tool.toggle);
        button->setProperty("Tag", tag);
        if (tag >= LogLeft && tag <= LogRight) alignment->addButton(button);
        ToolbarLogs->addWidget(button);
        connect(button, &QToolButton::clicked, this, [this, button] { useTool(button); });
    }
    ToolbarLogs->findChild<QToolButton*>(QStringLiteral("btnLogLeft"))->setChecked(true);
    RichLogs = new QTextEdit(this);
    RichLogs->setObjectName(QStringLiteral("RichLogs"));
    RichLogs->setReadOnly(true);
    RichLogs->setFrameShape(QFrame::NoFrame);
    RichLogs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    column->addWidget(RichLogs, 1);
}

void LogPage::append(const QString& block, int level) {
    if (level == 0) logColor_ = 0;
    if (level == 1) logColor_ = 1;
    QTextCursor cursor(RichLogs->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(logColor_ == 0 ? QColor(Qt::black) : QColor(255, 0, 0));
    if (!RichLogs->document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(block, format);
}

void LogPage::clear() { RichLogs->clear(); }

void LogPage::applyCharFormat(const QTextCharFormat& format) {
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

void LogPage::applyFontFlag(int tag, bool on) {
    QTextCharFormat format;
    if (tag == LogBold) format.setFontWeight(on ? QFont::Bold : QFont::Normal);
    if (tag == LogItalic) format.setFontItalic(on);
    if (tag == LogUnderline) format.setFontUnderline(on);
    applyCharFormat(format);
}

void LogPage::useTool(QToolButton* button) {
    const int tag = button->property("Tag").toInt();
    switch (tag) {
    case LogSave: saveLog(); return;
    case LogCopy: RichLogs->copy(); return;
    case LogBold:
    case LogItalic:
    case LogUnderline: applyFontFlag(tag, button->isChecked()); return;
    case LogLeft: RichLogs->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute); return;
    case LogCentre: RichLogs->setAlignment(Qt::AlignHCenter); return;
    case LogRight: RichLogs->setAlignment(Qt::AlignRight | Qt::AlignAbsolute); return;
    case LogBullets: setBullets(button->isChecked()); return;
    case LogFont: chooseFont(); return;
    case LogColour: chooseColour(); return;
    case LogClear: clear(); return;
    default: return;
    }
}

void LogPage::saveLog() {
    SaveFileRequest request;
    request.filter = QStringLiteral("日志文件 (*.log);;RTF文件 (*.rtf)");
    request.defaultSuffix = QStringLiteral("log");
    const auto file = Prompts().saveFileName(window(), request);
    if (!file) return;
    // Rich text whatever the extension: the colours of the lines are the point.
    const Status saved = SaveDocumentAsRtf(*RichLogs->document(), *file);
    if (!saved.ok()) Prompts().messageBox(window(), QString::fromStdString(saved.error()), SystemPromptTitle(), MbOk);
}

void LogPage::setBullets(bool on) {
    QTextCursor cursor = RichLogs->textCursor();
    if (on) {
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
}

void LogPage::chooseFont() {
    const bool selected = RichLogs->textCursor().hasSelection();
    const QFont initial = selected ? RichLogs->textCursor().charFormat().font() : RichLogs->document()->defaultFont();
    const auto chosen = Prompts().chooseFont(window(), initial);
    if (!chosen) return;
    QTextCharFormat format;
    format.setFontFamilies(chosen->families().isEmpty() ? QStringList{chosen->family()} : chosen->families());
    if (chosen->pointSizeF() > 0) format.setFontPointSize(chosen->pointSizeF());
    format.setFontWeight(chosen->weight());
    format.setFontItalic(chosen->italic());
    format.setFontUnderline(chosen->underline());
    format.setFontStrikeOut(chosen->strikeOut());
    applyCharFormat(format);
}

void LogPage::chooseColour() {
    const QColor initial = RichLogs->textCursor().hasSelection()
                               ? RichLogs->textCursor().charFormat().foreground().color()
                               : RichLogs->palette().color(QPalette::Text);
    const auto chosen = Prompts().chooseColor(window(), initial);
    if (!chosen) return;
    QTextCharFormat format;
    format.setForeground(*chosen);
    applyCharFormat(format);
}

}  // namespace vantrel
