// A scriptable Host for timing tests: a fake clock that can wrap, waits that
// events cut short, pump counters and a re-entrant hook.
#pragma once

#include "engine/playback/host.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vellograph::test {

class FakeHost : public Host {
public:
    std::uint32_t clock = 0;    // what TickCount returns next
    std::uint32_t tickStep = 0; // added after every read: time spent working
    // A wait advances the clock by at most this much, as when an event ends it early.
    std::uint32_t waitSlice = UINT32_MAX;

    int pumps = 0; // ProcessMessages calls
    int waits = 0; // WaitAndProcessMessages calls
    int tickReads = 0;
    static constexpr int MaxWaits = 1000000;
    std::vector<std::uint32_t> waitRequests;
    std::vector<std::string> messages;
    // Runs inside every pump and wait, as a nested event handler would.
    std::function<void()> onPump;

    void ProcessMessages() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }
    void WaitAndProcessMessages(std::uint32_t maxWaitMs) override {
        if (++waits > MaxWaits) {
            throw std::runtime_error("the wait never ends");
        }
        waitRequests.push_back(maxWaitMs);
        clock += std::min(maxWaitMs, waitSlice);
        if (onPump) {
            onPump();
        }
    }
    std::uint32_t TickCount() override {
        ++tickReads;
        const std::uint32_t now = clock;
        clock += tickStep;
        return now;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
};

} // namespace vellograph::test
