// The default headless host.
#include "engine/playback/host.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace vellograph {

bool QuitRequested = false;

namespace {
ConsoleHost defaultHost;
Host* currentHost = &defaultHost;
} // namespace

Host& CurrentHost() {
    return *currentHost;
}

Host* SetHost(Host* host) {
    Host* previous = currentHost == &defaultHost ? nullptr : currentHost;
    currentHost = host ? host : &defaultHost;
    return previous;
}

void ConsoleHost::WaitAndProcessMessages(std::uint32_t maxWaitMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(maxWaitMs));
}

std::uint32_t ConsoleHost::TickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void ConsoleHost::ShowMessage(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

} // namespace vellograph
