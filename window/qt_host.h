// The engine's platform interface, realised with the Qt event loop.
#pragma once

#include "host.h"

namespace vellograph {

class QtHost : public Host {
public:
    void ProcessMessages() override;
    void WaitAndProcessMessages(std::uint32_t maxWaitMs) override;
    std::uint32_t TickCount() override;
    void ShowMessage(const std::string& text) override;
};

} // namespace vellograph
