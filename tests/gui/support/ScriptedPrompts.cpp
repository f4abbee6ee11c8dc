#include "ScriptedPrompts.h"

namespace vantrel::test {

template <class T>
static std::optional<T> Next(std::deque<std::optional<T>>& queue) {
    std::optional<T> value;
    if (!queue.empty()) {
        value.swap(queue.front());
        queue.pop_front();
    }
    return value;
}

int ScriptedPrompts::messageBox(QWidget*, const QString& text, const QString& title, int buttons) {
    messages.push_back({text, title, buttons});
    if (answers.empty()) return buttons == MbYesNo ? IdNo : IdOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedPrompts::saveFileName(QWidget*, const SaveFileRequest& request) {
    saveRequests.push_back(request);
    return Next(files);
}

std::optional<QFont> ScriptedPrompts::chooseFont(QWidget*, const QFont&) { return Next(fonts); }

std::optional<QColor> ScriptedPrompts::chooseColor(QWidget*, const QColor&) { return Next(colors); }

bool ScriptedPrompts::openUrl(const QString& address) {
    if (!IsBrowsableAddress(address)) {
        refusedUrls << address;
        return false;
    }
    openedUrls << address;
    return true;
}

}  // namespace vantrel::test
