// The engine's platform interface, realised with the Qt event loop.
#pragma once

#include "engine/playback/host.h"

#include <functional>

namespace vellograph {

class TDialogs;

class QtHost : public Host {
public:
    explicit QtHost(TDialogs& dialogs) : dialogs_(dialogs) {}

    void ProcessMessages() override;
    void WaitAndProcessMessages(std::uint32_t maxWaitMs) override;
    std::uint32_t TickCount() override;
    void ShowMessage(const std::string& text) override;

    // Called before the queue is pumped, so that the screen shows what a
    // playback drew since the last pump. A wait calls it only when it
    // follows something other than a wait: the picture is refreshed as a
    // delay begins, and a long delay does not keep repainting.
    void SetBeforePump(std::function<void()> hook) { beforePump_ = std::move(hook); }

    // Loops pump the queue, and a handler run by a pump may start a loop of
    // its own, so pumps nest; clicks that come faster than playbacks end
    // would nest them until the stack runs out. A pump nested this deep
    // handles nothing: the loop that called it runs to its end undisturbed
    // (a wait just waits), and what arrived meanwhile is handled by the
    // pumps below once it returns.
    static constexpr int MaxNesting = 64;

private:
    // Runs one pump one level deeper, or returns false at the limit.
    template <class Pump> bool Nested(Pump&& pump);

    TDialogs& dialogs_;
    std::function<void()> beforePump_;
    bool lastCallWasWait_ = false;
    int nesting_ = 0;
};

} // namespace vellograph
