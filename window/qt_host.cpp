// The Qt side of the engine's platform interface.
#include "qt_host.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

namespace vellograph {

void QtHost::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void QtHost::WaitAndProcessMessages(std::uint32_t maxWaitMs) {
    // A single-shot timer wakes the blocking wait at the deadline.
    QTimer wake;
    wake.setSingleShot(true);
    wake.start(static_cast<int>(std::min<std::uint32_t>(maxWaitMs, 0x7FFFFFFF)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

std::uint32_t QtHost::TickCount() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint32_t>(clock.elapsed());
}

void QtHost::ShowMessage(const std::string& text) {
    QMessageBox::information(nullptr, QCoreApplication::applicationName(), QString::fromStdString(text));
}

} // namespace vellograph
