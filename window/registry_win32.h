// The Windows registry behind the Registry interface (built on Windows only).
#pragma once

#include "registry.h"

#include <string>

#include <windows.h>

namespace vellograph {

// Keys are opened and created with full access (KEY_ALL_ACCESS); closing
// releases the handle without an explicit flush.
class Win32Registry : public Registry {
public:
    Win32Registry() = default;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;
    ~Win32Registry() override;

    void SetRoot(RegistryRoot root) override;
    bool OpenKey(std::string_view path, bool canCreate) override;
    bool WriteString(std::string_view name, std::string_view data) override;
    std::vector<std::string> SubKeyNames() override;
    bool DeleteKey(std::string_view path) override;
    void CloseKey() override;

private:
    // The key a path starts from, and the path below it with no backslash
    // at either end.
    std::wstring Below(std::string_view path, HKEY& base) const;

    HKEY root_ = HKEY_CURRENT_USER;
    HKEY current_ = nullptr;
    std::wstring currentPath_; // from the root
};

} // namespace vellograph
