#pragma once
// Page 7 of the main window (TabSheet6): the log of the requests' notices
// with its formatting toolbar.
#include <QWidget>

class QTextCharFormat;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace vantrel {

class LogPage : public QWidget {
    Q_OBJECT
public:
    explicit LogPage(QWidget* parent = nullptr);

    // A notice as a line: level 0 turns the lines black, 1 red, others keep
    // the colour.
    void append(const QString& block, int level);
    // Empties the log.
    void clear();

private:
    // One handler for the twelve tool buttons, acting by the button's Tag.
    void useTool(QToolButton* button);
    void saveLog();
    void setBullets(bool on);
    void chooseFont();
    void chooseColour();
    // Bold, italic or underline on the selection or on the default text.
    void applyFontFlag(int tag, bool on);
    void applyCharFormat(const QTextCharFormat& format);

    QToolBar* ToolbarLogs = nullptr;
    QTextEdit* RichLogs = nullptr;
    int logColor_ = 0;  // 0 black, 1 red
};

}  // namespace vantrel
