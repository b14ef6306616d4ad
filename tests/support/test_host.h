// A Host for tests: counts pumps, records messages, runs a hook on each pump
// and keeps a fake clock that waits advance.
#pragma once

#include "engine/playback/host.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vellograph::test {

class RecordingHost : public Host {
public:
    void ProcessMessages() override {
        ++pumps;
        if (onPump) {
            onPump();
        }
    }
    void WaitAndProcessMessages(std::uint32_t maxWaitMs) override {
        tick += maxWaitMs;
        ++waits;
        ProcessMessages();
    }
    std::uint32_t TickCount() override { return tick; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    int pumps = 0;
    int waits = 0;
    std::uint32_t tick = 0;
    std::vector<std::string> messages;
    std::function<void()> onPump; // runs inside every pump, like a nested handler
};

} // namespace vellograph::test
