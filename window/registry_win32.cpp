// The Windows side of the association: the registry, the shell notification, the program path.
#include "registry_win32.h"

#include "shell_notify.h"

#include <shlobj.h>

#include <vector>

namespace vellograph {
namespace {

std::wstring Wide(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::wstring out(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
    return out;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    std::string out(
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()),
                        nullptr, nullptr);
    return out;
}

HKEY RootHandle(RegistryRoot root) {
    switch (root) {
    case RegistryRoot::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case RegistryRoot::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
        return HKEY_USERS;
    case RegistryRoot::CurrentUser:
        break;
    }
    return HKEY_CURRENT_USER;
}

} // namespace

std::unique_ptr<Registry> OpenPlatformRegistry() {
    return std::make_unique<Win32Registry>();
}

Win32Registry::~Win32Registry() {
    CloseKey();
}

void Win32Registry::SetRoot(RegistryRoot root) {
    CloseKey();
    root_ = RootHandle(root);
}

std::wstring Win32Registry::Below(std::string_view path, HKEY& base) const {
    std::wstring below;
    base = root_;
    if (!path.empty() && path.front() == '\\') {
        path.remove_prefix(1);
    } else if (current_ != nullptr) {
        below = currentPath_;
    }
    if (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    if (!below.empty() && !path.empty()) {
        below += L'\\';
    }
    return below + Wide(path);
}

bool Win32Registry::OpenKey(std::string_view path, bool canCreate) {
    HKEY base = nullptr;
    const std::wstring below = Below(path, base);
    CloseKey();
    HKEY key = nullptr;
    const LSTATUS status =
        canCreate ? RegCreateKeyExW(base, below.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_ALL_ACCESS, nullptr, &key, nullptr)
                  : RegOpenKeyExW(base, below.c_str(), 0, KEY_ALL_ACCESS, &key);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    current_ = key;
    currentPath_ = below;
    return true;
}

bool Win32Registry::WriteString(std::string_view name, std::string_view data) {
    if (current_ == nullptr) {
        return false;
    }
    const std::wstring wideName = Wide(name);
    const std::wstring wideData = Wide(data);
    const auto bytes = static_cast<DWORD>((wideData.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(current_, name.empty() ? nullptr : wideName.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(wideData.c_str()), bytes) == ERROR_SUCCESS;
}

std::vector<std::string> Win32Registry::SubKeyNames() {
    std::vector<std::string> names;
    DWORD count = 0;
    DWORD longest = 0;
    if (current_ == nullptr ||
        RegQueryInfoKeyW(current_, nullptr, nullptr, nullptr, &count, &longest, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return names;
    }
    std::vector<wchar_t> buffer(longest + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (RegEnumKeyExW(current_, index, buffer.data(), &length, nullptr, nullptr, nullptr,
                          nullptr) == ERROR_SUCCESS) {
            names.push_back(Narrow(std::wstring_view(buffer.data(), length)));
        }
    }
    return names;
}

bool Win32Registry::DeleteKey(std::string_view path) {
    HKEY base = nullptr;
    const std::wstring below = Below(path, base);
    if (below.empty()) {
        return false;
    }
    // The handle is released first: a deleted key stays open otherwise.
    if (below == currentPath_) {
        CloseKey();
    }
    return RegDeleteKeyW(base, below.c_str()) == ERROR_SUCCESS;
}

void Win32Registry::CloseKey() {
    if (current_ != nullptr) {
        RegCloseKey(current_);
        current_ = nullptr;
        currentPath_.clear();
    }
}

void NotifyAssociationsChanged() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

std::string RunningProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return Narrow(std::wstring_view(buffer.data(), length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace vellograph
