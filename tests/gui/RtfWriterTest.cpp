// The log page's RTF read back by real RTF readers: LibreOffice and unrtf.
// The text must come back whole and the formatting of each span must survive.
// LibreOffice's view is taken from its own flat document format (its HTML
// export drops highlighting and nests tags loosely); unrtf's HTML is read with
// Qt's HTML importer, so that the checks look at formats, not at markup.
#include <QtTest>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QXmlStreamReader>

#include <functional>

#include "common/AtomicFile.h"
#include "widgets/RtfWriter.h"

using namespace vantrel;

namespace {

const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QString kWideFont = QStringLiteral("微软雅黑");

QTextCharFormat Plain() {
    QTextCharFormat format;
    format.setForeground(QColor(0, 0, 0));
    return format;
}

// A log page: red and black lines, Chinese text, every alignment, a second
// font, a highlighted span, a tab, a line break inside a paragraph, RTF's own
// special characters and a character beyond the BMP.
void BuildLog(QTextDocument& document) {
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    QTextCursor cursor(&document);

    QTextCharFormat red;
    red.setForeground(kRed);
    red.setFontWeight(QFont::Bold);
    cursor.insertText("入金成功 资金余额 1,000.00", red);

    cursor.insertBlock(QTextBlockFormat(), Plain());
    cursor.insertText("查询余额 成功 2024-05-17 10:00:01");

    QTextBlockFormat center;
    center.setAlignment(Qt::AlignHCenter);
    QTextCharFormat italic = Plain();
    italic.setFontItalic(true);
    cursor.insertBlock(center, italic);
    cursor.insertText("居中 italic line");

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    QTextCharFormat underlined = Plain();
    underlined.setFontUnderline(true);
    underlined.setFontFamilies({kWideFont});
    underlined.setFontPointSize(14);
    cursor.insertBlock(right, underlined);
    cursor.insertText("右对齐 underlined");

    QTextBlockFormat justify;
    justify.setAlignment(Qt::AlignJustify);
    cursor.insertBlock(justify, Plain());
    cursor.insertText("备注: ");
    QTextCharFormat marked = Plain();
    marked.setBackground(kYellow);
    cursor.insertText("高亮 marked", marked);
    cursor.insertText(QString("\t尾部") + QChar(QChar::LineSeparator) + "C:\\log\\{2024} 😀 资 end", Plain());
}

void BuildLists(QTextDocument& document) {
    QTextCursor cursor(&document);
    cursor.insertText("列表 lists");
    cursor.insertBlock();
    cursor.createList(QTextListFormat::ListDisc);
    cursor.insertText("first bullet");
    cursor.insertBlock();
    cursor.insertText("second bullet 第二");
    cursor.insertBlock();
    cursor.setBlockFormat(QTextBlockFormat());  // out of the list
    cursor.insertText("between");
    cursor.insertList(QTextListFormat::ListDecimal);
    cursor.insertText("number one");
    cursor.insertBlock();
    cursor.insertText("number two");
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), qPrintable(path));
}

// The reader's text with Windows line ends, a byte-order mark and the final
// line end taken away.
QString NormalisedText(QString text) {
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    text.replace("\r\n", "\n");
    while (text.endsWith('\n')) text.chop(1);
    return text;
}

QString CollapsedBlanks(QString text) {
    text.replace(QChar::Nbsp, ' ');
    return text.simplified();
}

// The character formats of every character of the first `needle` in
// `document`, and the alignment of its paragraph; no formats when absent.
struct Span {
    QList<QTextCharFormat> formats;
    Qt::Alignment alignment;
};

Span Find(const QTextDocument& document, const QString& needle) {
    Span span;
    const QTextCursor found = document.find(needle, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull()) return span;
    QTextCursor at(found);
    for (int position = found.selectionStart() + 1; position <= found.selectionEnd(); ++position) {
        at.setPosition(position);
        span.formats << at.charFormat();
    }
    span.alignment = found.blockFormat().alignment();
    return span;
}

bool Every(const Span& span, const std::function<bool(const QTextCharFormat&)>& test) {
    return !span.formats.isEmpty() && std::all_of(span.formats.begin(), span.formats.end(), test);
}

bool Bold(const QTextCharFormat& f) { return f.fontWeight() >= QFont::DemiBold; }
bool Italic(const QTextCharFormat& f) { return f.fontItalic(); }
bool Underlined(const QTextCharFormat& f) { return f.fontUnderline(); }
bool Red(const QTextCharFormat& f) { return f.foreground().style() != Qt::NoBrush && f.foreground().color() == kRed; }
bool Highlighted(const QTextCharFormat& f) {
    return f.background().style() != Qt::NoBrush && f.background().color() == kYellow;
}
bool NotBackground(const QTextCharFormat& f) {
    return f.background().style() == Qt::NoBrush || f.background().color() == QColor(Qt::white);
}

// LibreOffice's reading of a document, from its flat XML format: each piece
// of text with the properties of its character style (font names resolved to
// families) and of its paragraph style, and the kind of list it is in.
struct OfficeRun {
    QString text;
    QHash<QString, QString> character;
    QHash<QString, QString> paragraph;
    QString list;  // "bullet", "number" or empty
};

struct OfficeParagraph {
    QString text;
    QString list;
};

struct OfficeDocument {
    QList<OfficeRun> runs;
    QList<OfficeParagraph> paragraphs;

    // The run holding `needle`; a run with no text when none does.
    OfficeRun find(const QString& needle) const {
        for (const OfficeRun& run : runs)
            if (run.text.contains(needle)) return run;
        return {};
    }
};

QHash<QString, QString> Attributes(const QXmlStreamReader& xml) {
    QHash<QString, QString> values;
    for (const QXmlStreamAttribute& attribute : xml.attributes())
        values.insert(attribute.qualifiedName().toString(), attribute.value().toString());
    return values;
}

OfficeDocument ReadFlatOdt(const QByteArray& bytes) {
    QHash<QString, QString> fontFamilies;  // font-face name -> family
    QHash<QString, QHash<QString, QString>> textStyles, paragraphStyles;
    QHash<QString, QString> listKinds;     // list style -> kind of its first level
    OfficeDocument document;

    QXmlStreamReader xml(bytes);
    QString style, listStyle;
    QStringList spans, lists;
    QString paragraphStyle;
    bool inParagraph = false;
    auto append = [&](const QString& text) {
        if (!inParagraph || text.isEmpty()) return;
        OfficeRun run;
        run.text = text;
        run.character = textStyles.value(spans.isEmpty() ? QString() : spans.back());
        for (const char* key : {"style:font-name", "style:font-name-asian"})
            if (run.character.contains(key)) run.character[key] = fontFamilies.value(run.character[key]);
        run.paragraph = paragraphStyles.value(paragraphStyle);
        run.list = lists.isEmpty() ? QString() : listKinds.value(lists.back());
        document.runs << run;
        document.paragraphs.back().text += text;
    };
    while (!xml.atEnd()) {
        xml.readNext();
        const QString name = xml.qualifiedName().toString();
        if (xml.isStartElement()) {
            const auto attributes = Attributes(xml);
            if (name == "style:font-face") {
                QString family = attributes.value("svg:font-family");
                family.remove('\'');
                fontFamilies.insert(attributes.value("style:name"), family);
            } else if (name == "style:style") {
                style = attributes.value("style:name");
            } else if (name == "style:text-properties" && !style.isEmpty()) {
                textStyles.insert(style, attributes);
            } else if (name == "style:paragraph-properties" && !style.isEmpty()) {
                paragraphStyles.insert(style, attributes);
            } else if (name == "text:list-style") {
                listStyle = attributes.value("style:name");
            } else if (name.startsWith("text:list-level-style-") && attributes.value("text:level") == "1") {
                listKinds.insert(listStyle, name.mid(int(strlen("text:list-level-style-"))));
            } else if (name == "text:list") {
                // A continued list names no style: it keeps the outer one.
                lists << attributes.value("text:style-name", lists.isEmpty() ? QString() : lists.back());
            } else if (name == "text:p" || name == "text:h") {
                inParagraph = true;
                paragraphStyle = attributes.value("text:style-name");
                document.paragraphs << OfficeParagraph{QString(), lists.isEmpty() ? QString() : listKinds.value(lists.back())};
            } else if (name == "text:span") {
                spans << attributes.value("text:style-name");
            } else if (name == "text:tab") {
                append("\t");
            } else if (name == "text:line-break") {
                append("\n");
            } else if (name == "text:s") {
                append(QString(attributes.value("text:c", "1").toInt(), ' '));
            }
        } else if (xml.isEndElement()) {
            if (name == "style:style") style.clear();
            else if (name == "text:list") lists.removeLast();
            else if (name == "text:p" || name == "text:h") inParagraph = false;
            else if (name == "text:span") spans.removeLast();
        } else if (xml.isCharacters()) {
            append(xml.text().toString());
        }
    }
    if (xml.hasError()) qWarning() << "flat document:" << xml.errorString();
    return document;
}

}  // namespace

class RtfWriterTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QTextDocument log_;
    QTextDocument lists_;

    QString path(const QString& name) const { return dir_.filePath(name); }

    // Runs a reader; an empty output when it is missing or fails.
    QByteArray run(const QString& program, const QStringList& arguments) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", dir_.path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir_.path());
        process.start(program, arguments);
        if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            qWarning() << program << arguments << process.errorString() << process.readAllStandardError();
            return {};
        }
        return process.readAllStandardOutput();
    }

    // LibreOffice's conversion of the two saved documents into `filter`.
    void office(const QString& filter) {
        // A private profile: the test must not meet a running office.
        run("soffice", {"--headless", "-env:UserInstallation=file://" + path("profile"), "--convert-to", filter,
                        "--outdir", path("office"), path("log.rtf"), path("lists.rtf")});
    }

    QString officeText(const QString& name) { return QString::fromUtf8(ReadFile(path("office/" + name + ".txt"))); }
    OfficeDocument officeDocument(const QString& name) { return ReadFlatOdt(ReadFile(path("office/" + name + ".fodt"))); }

    // unrtf's HTML, imported by Qt's HTML reader.
    void readUnrtf(QTextDocument& document, const QString& name) {
        const QByteArray html = run("unrtf", {"--html", path(name)});
        QVERIFY2(html.contains("<body"), "unrtf gave no HTML");
        document.setHtml(QString::fromUtf8(html));
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
#ifdef _WIN32
        QSKIP("the readers (LibreOffice, unrtf) are Linux programs; the saved RTF is read back in the Linux run");
#endif
        // The readers are installed by run.sh; a missing one is a failure.
        QVERIFY2(!QStandardPaths::findExecutable("soffice").isEmpty(), "LibreOffice (soffice) is not installed");
        QVERIFY2(!QStandardPaths::findExecutable("unrtf").isEmpty(), "unrtf is not installed");
        BuildLog(log_);
        BuildLists(lists_);
        QVERIFY(SaveDocumentAsRtf(log_, path("log.rtf")).ok());
        QVERIFY(SaveDocumentAsRtf(lists_, path("lists.rtf")).ok());
        office("txt:Text");
        office("fodt");
        QVERIFY2(QFile::exists(path("office/log.txt")) && QFile::exists(path("office/log.fodt")),
                 "LibreOffice converted nothing (is its Writer part installed?)");
    }

    void outputIsAsciiRtf() {
        const QByteArray rtf = DocumentToRtf(log_);
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg936\\deff0"));
        QVERIFY(std::all_of(rtf.begin(), rtf.end(), [](char c) { return c > 0 && c < 0x7F; }));
        QVERIFY(rtf.contains("{\\fonttbl"));
        QVERIFY(rtf.contains("{\\colortbl ;"));
        QVERIFY(rtf.contains("C:\\\\log\\\\\\{2024\\}"));
        // 资 is U+8D44 = 36164, written as 36164 - 65536; U+1F600 as its
        // surrogates D83D DE00, each signed.
        QVERIFY(rtf.contains("\\u-29372?"));
        QVERIFY(rtf.contains("\\u-10179?\\u-8704?"));
    }

    void libreOfficeReadsTheText() {
        QCOMPARE(NormalisedText(officeText("log")), NormalisedText(log_.toPlainText()));
        QStringList paragraphs;
        for (const OfficeParagraph& paragraph : officeDocument("log").paragraphs) paragraphs << paragraph.text;
        QCOMPARE(paragraphs.join('\n'), log_.toPlainText());
    }

    void unrtfReadsTheText() {
        // unrtf's HTML spells a tab as blanks and breaks lines on its own, so
        // only the words and their order are compared here.
        QTextDocument read;
        readUnrtf(read, "log.rtf");
        QCOMPARE(CollapsedBlanks(read.toPlainText()), CollapsedBlanks(log_.toPlainText()));
    }

    void libreOfficeKeepsTheFormatting() {
        const OfficeDocument read = officeDocument("log");
        auto has = [](const OfficeRun& run, const char* key, const QString& value) {
            return run.character.value(key) == value;
        };
        // Western and Chinese characters have separate properties there.
        const OfficeRun red = read.find("入金成功 资金余额 1,000.00");
        QVERIFY(has(red, "fo:font-weight", "bold") && has(red, "style:font-weight-asian", "bold"));
        QVERIFY(has(red, "fo:color", "#ff0000"));
        QVERIFY(!red.character.contains("fo:font-style") && !red.character.contains("style:text-underline-style"));

        const OfficeRun black = read.find("查询余额");
        QVERIFY(has(black, "fo:color", "#000000"));
        QVERIFY(!black.character.contains("fo:font-weight") && !black.character.contains("style:font-weight-asian"));
        // The default font, a Chinese family name, from the font table.
        QVERIFY(has(black, "style:font-name", "宋体") && has(black, "style:font-name-asian", "宋体"));
        QVERIFY(has(black, "fo:font-size", "10.5pt"));

        const OfficeRun italic = read.find("居中 italic line");
        QVERIFY(has(italic, "fo:font-style", "italic") && has(italic, "style:font-style-asian", "italic"));
        QCOMPARE(italic.paragraph.value("fo:text-align"), QString("center"));

        const OfficeRun underlined = read.find("右对齐 underlined");
        QCOMPARE(underlined.character.value("style:text-underline-style"), QString("solid"));
        QVERIFY(has(underlined, "style:font-name", kWideFont) && has(underlined, "style:font-name-asian", kWideFont));
        QVERIFY(has(underlined, "fo:font-size", "14pt") && has(underlined, "style:font-size-asian", "14pt"));
        QCOMPARE(underlined.paragraph.value("fo:text-align"), QString("end"));

        const OfficeRun marked = read.find("高亮 marked");
        QVERIFY(has(marked, "fo:background-color", "#ffff00"));
        QCOMPARE(marked.paragraph.value("fo:text-align"), QString("justify"));
        QVERIFY(!read.find("备注").character.contains("fo:background-color"));
        QCOMPARE(read.find("备注").paragraph.value("fo:text-align"), QString("justify"));
    }

    void unrtfKeepsTheFormatting() {
        QTextDocument read;
        readUnrtf(read, "log.rtf");
        for (const QString& needle : {QStringLiteral("入金成功"), QStringLiteral("1,000.00")}) {
            const Span span = Find(read, needle);
            QVERIFY2(Every(span, Bold) && Every(span, Red), qPrintable(needle));
            QVERIFY(!Every(span, Italic) && !Every(span, Underlined));
        }
        const Span black = Find(read, "查询余额 成功");
        QVERIFY(!black.formats.isEmpty());
        QVERIFY(!Every(black, Bold) && !Every(black, Red) && !Every(black, Italic));

        const Span italic = Find(read, "居中 italic line");
        QVERIFY(Every(italic, Italic) && !Every(italic, Bold));
        QVERIFY(italic.alignment & Qt::AlignHCenter);

        const Span underlined = Find(read, "右对齐 underlined");
        QVERIFY(Every(underlined, Underlined) && !Every(underlined, Italic));
        QVERIFY(underlined.alignment & Qt::AlignRight);

        const Span marked = Find(read, "高亮 marked");
        QVERIFY(Every(marked, Highlighted));
        QVERIFY(marked.alignment & Qt::AlignJustify);
        QVERIFY(Every(Find(read, "备注"), NotBackground));
    }

    void defaultFontStylesReachTheRuns() {
        // The log page's bold/italic without a selection change the default
        // font; runs that set nothing themselves must be written with it.
        QTextDocument document;
        QFont base = document.defaultFont();
        base.setBold(true);
        base.setItalic(true);
        document.setDefaultFont(base);
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("默认粗体 plain"), Plain());
        QTextCharFormat upright;
        upright.setFontItalic(false);
        cursor.insertText(QStringLiteral(" 正体 upright"), upright);
        WriteFile(path("default.rtf"), DocumentToRtf(document));
        QTextDocument read;
        readUnrtf(read, "default.rtf");
        const Span plain = Find(read, "默认粗体 plain");
        QVERIFY(Every(plain, Bold) && Every(plain, Italic));
        const Span own = Find(read, "正体 upright");
        QVERIFY(Every(own, Bold) && !Every(own, Italic));
    }

    void listsKeepTheirLabels() {
        const QStringList lines = NormalisedText(officeText("lists")).split('\n');
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], QString("列表 lists"));
        QVERIFY2(lines[1].contains(QRegularExpression("^\\s*•\\s+first bullet$")), qPrintable(lines[1]));
        QVERIFY2(lines[2].contains(QRegularExpression("^\\s*•\\s+second bullet 第二$")), qPrintable(lines[2]));
        QCOMPARE(lines[3], QString("between"));
        QVERIFY2(lines[4].contains(QRegularExpression("^\\s*1\\.\\s+number one$")), qPrintable(lines[4]));
        QVERIFY2(lines[5].contains(QRegularExpression("^\\s*2\\.\\s+number two$")), qPrintable(lines[5]));

        // LibreOffice rebuilt real lists, and the items hold only their text.
        QList<OfficeParagraph> expected = {{"列表 lists", ""},     {"first bullet", "bullet"},
                                           {"second bullet 第二", "bullet"}, {"between", ""},
                                           {"number one", "number"}, {"number two", "number"}};
        const QList<OfficeParagraph> read = officeDocument("lists").paragraphs;
        QCOMPARE(read.size(), expected.size());
        for (int i = 0; i < read.size(); ++i) {
            QCOMPARE(read[i].text, expected[i].text);
            QCOMPARE(read[i].list, expected[i].list);
        }

        QTextDocument unrtf;
        readUnrtf(unrtf, "lists.rtf");
        const QString text = CollapsedBlanks(unrtf.toPlainText());
        QVERIFY2(text.contains("• first bullet • second bullet 第二 between 1. number one 2. number two"),
                 qPrintable(text));
    }

    void saveWritesRtfWhateverTheExtension() {
        const QString file = path("交易日志.log");
        WriteFile(file, "an older log");
        const Status saved = SaveDocumentAsRtf(log_, file);
        QVERIFY2(saved.ok(), saved.error().c_str());
        const QByteArray bytes = ReadFile(file);
        QVERIFY(bytes.startsWith("{\\rtf1"));
        QCOMPARE(bytes, DocumentToRtf(log_));
    }

    void failedSaveWritesNothing() {
        QTemporaryDir dir;
        // A folder that does not exist, and a "folder" that is a file.
        const QString missing = dir.filePath("no-such-folder/log.rtf");
        Status status = SaveDocumentAsRtf(log_, missing);
        QVERIFY(!status.ok() && !status.error().empty());
        QVERIFY(!QFileInfo::exists(dir.filePath("no-such-folder")));

        WriteFile(dir.filePath("plain.txt"), "keep me");
        status = SaveDocumentAsRtf(log_, dir.filePath("plain.txt/log.rtf"));
        QVERIFY(!status.ok());
        QCOMPARE(ReadFile(dir.filePath("plain.txt")), QByteArray("keep me"));

        QVERIFY(!SaveDocumentAsRtf(log_, "").ok());

        // A failing write leaves the old file as it was and no temporary file
        // behind.
        const QString existing = dir.filePath("old.rtf");
        WriteFile(existing, "the previous save");
        SetAtomicWriteFaultForTesting([](std::size_t) { return true; });
        status = SaveDocumentAsRtf(log_, existing);
        SetAtomicWriteFaultForTesting({});
        QVERIFY(!status.ok());
        QCOMPARE(ReadFile(existing), QByteArray("the previous save"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_MAIN(RtfWriterTest)
#include "RtfWriterTest.moc"
