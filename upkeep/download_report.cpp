#include "upkeep/download_report.h"

namespace upkeep {

QEvent::Type DownloadReport::TypeId() {
    static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void CredentialsExchange::Answer(bool accepted, const QString& user, const QString& pass) {
    {
        std::lock_guard guard(lock);
        done = true;
        given = accepted;
        userName = user;
        password = pass;
    }
    answered.notify_all();
}

}  // namespace upkeep
