#pragma once
// Brings the checker's notices, called on its worker threads, to the thread
// of a Qt object as signals. Each call becomes one queued invocation, so the
// notices arrive in the order they were made; those still queued when the
// adapter is destroyed are dropped.
#include <QObject>
#include <QString>

#include "servers/THostRespondCheck.h"

namespace vantrel {

class HostCheckAdapter : public QObject, public HostCheckListener {
    Q_OBJECT
public:
    explicit HostCheckAdapter(QObject* parent = nullptr) : QObject(parent) {}

    void checkStatus(int32_t hostId, int code, const std::string& text) override;
    void checkFirst() override;
    void checkEnd(const std::string& text) override;

signals:
    void CheckStatus(int hostId, int code, const QString& text);
    void CheckFirst();
    void CheckEnd(const QString& text);
};

}  // namespace vantrel
