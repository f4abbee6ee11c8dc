#include "servers/HostCheckAdapter.h"

#include <QMetaObject>

namespace vantrel {

void HostCheckAdapter::checkStatus(int32_t hostId, int code, const std::string& text) {
    const QString copy = QString::fromStdString(text);
    QMetaObject::invokeMethod(
        this, [this, hostId, code, copy] { emit CheckStatus(hostId, code, copy); }, Qt::QueuedConnection);
}

void HostCheckAdapter::checkFirst() {
    QMetaObject::invokeMethod(this, [this] { emit CheckFirst(); }, Qt::QueuedConnection);
}

void HostCheckAdapter::checkEnd(const std::string& text) {
    const QString copy = QString::fromStdString(text);
    QMetaObject::invokeMethod(this, [this, copy] { emit CheckEnd(copy); }, Qt::QueuedConnection);
}

}  // namespace vantrel
