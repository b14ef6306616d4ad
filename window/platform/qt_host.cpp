// The Qt side of the engine's platform interface.
#include "window/platform/qt_host.h"

#include "window/platform/dialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <thread>

namespace vellograph {

template <class Pump> bool QtHost::Nested(Pump&& pump) {
    if (nesting_ >= MaxNesting) {
        return false;
    }
    struct Level {
        int& nesting;
        explicit Level(int& n) : nesting(++n) {}
        ~Level() { --nesting; }
    } level(nesting_);
    pump();
    return true;
}

void QtHost::ProcessMessages() {
    Nested([this] {
        if (beforePump_) {
            beforePump_();
        }
        lastCallWasWait_ = false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    });
}

void QtHost::WaitAndProcessMessages(std::uint32_t maxWaitMs) {
    if (QuitRequested) {
        maxWaitMs = 0; // the program quits: nothing is worth waiting for
    }
    const bool pumped = Nested([this, maxWaitMs] {
        if (beforePump_ && !lastCallWasWait_) {
            beforePump_();
        }
        lastCallWasWait_ = true;
        // The blocking wait below returns on the first event; this timer is
        // the event that ends it at the deadline. A precise timer, since a
        // coarse one may fire early and make the caller wait again.
        QTimer wake;
        wake.setSingleShot(true);
        wake.setTimerType(Qt::PreciseTimer);
        wake.start(static_cast<int>(std::min<std::uint32_t>(maxWaitMs, 0x7FFFFFFF)));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    });
    if (!pumped) {
        std::this_thread::sleep_for(std::chrono::milliseconds(maxWaitMs));
    }
}

std::uint32_t QtHost::TickCount() {
    static const QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint32_t>(clock.elapsed()); // wraps like the system counter
}

void QtHost::ShowMessage(const std::string& text) {
    if (QuitRequested) {
        return; // the window is gone: nobody to tell
    }
    dialogs_.ShowMessage(text);
}

} // namespace vellograph
