// The engine's one way to the platform: message pump, tick counter, message box.
#pragma once

#include <cstdint>
#include <string>

namespace vellograph {

class Host {
public:
    virtual ~Host() = default;
    // Handle every pending window message once, then return.
    virtual void ProcessMessages() = 0;
    // Block until a message arrives or maxWaitMs passed, then handle what is
    // pending. Never spins.
    virtual void WaitAndProcessMessages(std::uint32_t maxWaitMs) = 0;
    // The system's millisecond tick counter; unsigned 32-bit, wraps.
    virtual std::uint32_t TickCount() = 0;
    // A modal message box: the text, no icon, one OK button.
    virtual void ShowMessage(const std::string& text) = 0;
};

// Set once the program quits (the window closed, a quit signal): every loop
// that pumps the queue ends at its next pump or record, a delay at once, and
// no write that pumps goes on to replace its file. Unlike StopRequested it is
// never used up.
extern bool QuitRequested;

// The host in force; a headless default (no pump, real clock, messages to
// standard error) until the application installs its own.
Host& CurrentHost();
// Installs a host (nullptr restores the default) and returns the previous one.
Host* SetHost(Host* host);

// Installs a host for the lifetime of a scope and puts the previous one back.
class ScopedHost {
public:
    explicit ScopedHost(Host& host) : previous_(SetHost(&host)) {}
    ~ScopedHost() { SetHost(previous_); }
    ScopedHost(const ScopedHost&) = delete;
    ScopedHost& operator=(const ScopedHost&) = delete;

private:
    Host* previous_;
};

// The headless host, also useful to tools and tests.
class ConsoleHost : public Host {
public:
    void ProcessMessages() override {}
    void WaitAndProcessMessages(std::uint32_t maxWaitMs) override;
    std::uint32_t TickCount() override;
    void ShowMessage(const std::string& text) override;
};

} // namespace vellograph
