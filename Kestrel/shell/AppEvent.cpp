#include "shell/AppEvent.h"

#include <QCoreApplication>

namespace kestrel {

int AppEvent::MessageOf(const QEvent* event) {
    if (const auto* app = dynamic_cast<const AppEvent*>(event))
        return app->Message();
    return -1;
}

void PostAppEvent(QObject* target, int message, intptr_t wParam, intptr_t lParam) {
    if (target)
        QCoreApplication::postEvent(target, new AppEvent(message, wParam, lParam));
}

} // namespace kestrel
