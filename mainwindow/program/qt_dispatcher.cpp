#include "mainwindow/program/qt_dispatcher.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

namespace tunecrest {

TqtDispatcher::TqtDispatcher() : FmainThread(std::this_thread::get_id()), Freceiver(std::make_unique<QObject>()) {}

TqtDispatcher::~TqtDispatcher() = default;

bool TqtDispatcher::IsMainThread() const { return std::this_thread::get_id() == FmainThread; }

void TqtDispatcher::Post(std::function<void()> work) {
    // The receiver lives on the main thread, so a queued call runs there.
    QMetaObject::invokeMethod(
        Freceiver.get(),
        [work = std::move(work)] {
            try {
                work();
            } catch (const std::exception& e) {
                LogError(std::string("A posted call failed: ") + e.what());
            }
        },
        Qt::QueuedConnection);
}

std::shared_ptr<TqtDispatcher> InstallQtDispatcher() {
    auto dispatcher = std::make_shared<TqtDispatcher>();
    SetDispatcher(dispatcher);
    return dispatcher;
}

}  // namespace tunecrest
