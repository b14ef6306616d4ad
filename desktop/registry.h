// The registry operations the file-type association needs, with one current key.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellograph {

// The predefined roots, by their Windows handle values.
enum class RegistryRoot : std::uint32_t {
    ClassesRoot = 0x80000000,
    CurrentUser = 0x80000001,
    LocalMachine = 0x80000002,
    Users = 0x80000003,
};

// A registry accessor. Key paths use backslashes: a path that starts with one
// is taken from the root, any other from the current key (or from the root
// while no key is open). A trailing backslash is allowed. Key and value names
// compare without regard to ASCII case, as on Windows. Nothing here throws;
// the caller decides what a refusal means to the user.
class Registry {
public:
    virtual ~Registry() = default;

    // Closes the current key and selects the root the next paths start from.
    virtual void SetRoot(RegistryRoot root) = 0;
    // Opens the key, creating it and its missing parents when canCreate, and
    // makes it the current key. On failure no key is current, so a value
    // written next cannot land in a key opened earlier.
    virtual bool OpenKey(std::string_view path, bool canCreate) = 0;
    // Writes a string value into the current key; the empty name is the key's
    // default value. False when no key is open or the write was refused.
    virtual bool WriteString(std::string_view name, std::string_view data) = 0;
    // The names of the current key's subkeys in index order; a name that
    // cannot be read is left out.
    virtual std::vector<std::string> SubKeyNames() = 0;
    // Deletes one key that has no subkeys (path rules as OpenKey).
    virtual bool DeleteKey(std::string_view path) = 0;
    // Closes the current key. Writes are already in place; nothing is flushed.
    virtual void CloseKey() = 0;
};

// The accessor of this platform: the Windows registry there, the per-user
// store under the XDG data directory elsewhere.
std::unique_ptr<Registry> OpenPlatformRegistry();

} // namespace vellograph
