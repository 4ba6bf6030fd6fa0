#include "platform/UiThread.h"

#include <QCoreApplication>
#include <QThread>

bool OnUiThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

#if !defined(NDEBUG) || defined(SUITE_THREAD_CHECKS)
void RequireUiThread(const char* what) {
    if (!OnUiThread()) qFatal("%s called off the windows' thread", what);
}
#endif
