// The tests' one Host. On its own it fakes the platform: a clock that can
// wrap, waits that events cut short, pumps that handle nothing. Given an
// inner host (the window's Qt host) it passes every call through, so that
// real events flow while a test counts pumps and acts inside them.
#pragma once

#include "engine/playback/host.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace vellograph::test {

class FakeHost : public Host {
public:
    FakeHost() = default;
    explicit FakeHost(Host& inner) : inner_(&inner) {}

    // The fake clock, when there is no inner host.
    std::uint32_t clock = 0;    // what TickCount returns next
    std::uint32_t tickStep = 0; // added after every read: time spent working
    // A wait advances the clock by at most this much, as when an event ends it early.
    std::uint32_t waitSlice = UINT32_MAX;

    int pumps = 0; // ProcessMessages calls
    int waits = 0; // WaitAndProcessMessages calls
    int tickReads = 0;
    int depth = 0;    // pumps and waits running now, one inside the other
    int maxDepth = 0; // the most that ever ran so
    static constexpr int MaxWaits = 1000000;
    std::vector<std::uint32_t> waitRequests;
    std::vector<std::string> messages;

    // Run as a nested event handler would: onPump at the start of every pump
    // (pumps already counts it), onWait at the start of every wait,
    // afterPump once either has returned.
    std::function<void()> onPump;
    std::function<void()> onWait;
    std::function<void()> afterPump;
    // Runs once, inside the next message box, as a tick that arrives while
    // the box is open would.
    std::function<void()> duringNextMessage;
    // Sees every message as it is shown.
    std::function<void(const std::string&)> onMessage;

    // The same handler inside pumps and waits alike.
    void OnPumpOrWait(const std::function<void()>& handler) { onPump = onWait = handler; }

    void ProcessMessages() override {
        ++pumps;
        Nested(onPump, [this] {
            if (inner_) {
                inner_->ProcessMessages();
            }
        });
    }
    void WaitAndProcessMessages(std::uint32_t maxWaitMs) override {
        if (++waits > MaxWaits) {
            throw std::runtime_error("the wait never ends");
        }
        waitRequests.push_back(maxWaitMs);
        if (!inner_) {
            clock += std::min(maxWaitMs, waitSlice);
        }
        Nested(onWait, [this, maxWaitMs] {
            if (inner_) {
                inner_->WaitAndProcessMessages(maxWaitMs);
            }
        });
    }
    std::uint32_t TickCount() override {
        ++tickReads;
        if (inner_) {
            return inner_->TickCount();
        }
        const std::uint32_t now = clock;
        clock += tickStep;
        return now;
    }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (onMessage) {
            onMessage(text);
        }
        if (inner_) {
            inner_->ShowMessage(text);
        }
        if (auto action = std::exchange(duringNextMessage, nullptr)) {
            action();
        }
    }

private:
    template <class Pump> void Nested(const std::function<void()>& hook, Pump&& pump) {
        maxDepth = std::max(maxDepth, ++depth);
        if (hook) {
            hook();
        }
        pump();
        --depth;
        if (afterPump) {
            afterPump();
        }
    }

    Host* inner_ = nullptr;
};

} // namespace vellograph::test
