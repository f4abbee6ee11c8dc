#pragma once
// A stand-in for the user in window tests: answers every prompt from a queue
// and records what was asked.
#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <deque>
#include <optional>

#include "widgets/UserPrompts.h"

namespace vantrel::test {

struct AskedMessage {
    QString text;
    QString title;
    int buttons;
};

class ScriptedPrompts : public UserPrompts {
public:
    ScriptedPrompts() { SetPrompts(this); }
    ~ScriptedPrompts() override { SetPrompts(nullptr); }

    int messageBox(QWidget* owner, const QString& text, const QString& title, int buttons) override;
    std::optional<QString> saveFileName(QWidget* owner, const SaveFileRequest& request) override;
    std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial) override;
    std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial) override;
    bool openUrl(const QString& address) override;

    // Answers, used in order; when a queue is empty a message box is
    // answered OK (No for Yes/No) and a dialog is cancelled.
    std::deque<int> answers;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<QFont>> fonts;
    std::deque<std::optional<QColor>> colors;

    std::vector<AskedMessage> messages;
    std::vector<SaveFileRequest> saveRequests;
    QStringList openedUrls;
    QStringList refusedUrls;
};

}  // namespace vantrel::test
