#include "widgets/WindowLogSink.h"

namespace vantrel {

void WindowLogSink::LogBlock(const std::string& block, int level) {
    window_.LogBlockMessage(QString::fromStdString(block), level);
}

void WindowLogSink::LogText(const std::string& message, int level) {
    window_.LogTextMessage(QString::fromStdString(message), level);
}

}  // namespace vantrel
