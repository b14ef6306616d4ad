// The per-user registry of desktops without a Windows registry: one readable text file.
#pragma once

#include "desktop/registry.h"
#include "desktop/registry_store.h"

#include <optional>
#include <string>
#include <vector>

namespace vellograph {

// Every change reaches the file at once, through a new file renamed into
// place: the file is never half-written, and a change that cannot be saved
// leaves both the file and this object as they were.
class XdgRegistry : public Registry {
public:
    explicit XdgRegistry(std::string storePath);

    // $XDG_DATA_HOME/vellograph/registry.txt.
    static std::string DefaultStorePath();

    void SetRoot(RegistryRoot root) override;
    bool OpenKey(std::string_view path, bool canCreate) override;
    bool WriteString(std::string_view name, std::string_view data) override;
    std::vector<std::string> SubKeyNames() override;
    bool DeleteKey(std::string_view path) override;
    void CloseKey() override;

    // A value of the current key; nullopt when it or the key is missing.
    std::optional<std::string> ReadString(std::string_view name) const;

private:
    using Path = std::vector<std::string>;

    std::optional<Path> Resolve(std::string_view path) const;
    const StoreKey* Find(const Path& path) const;
    StoreKey* Find(const Path& path);
    bool Commit(StoreRoots before);

    std::string storePath_;
    // False when an existing store could not be read: it is then never
    // overwritten, so nothing kept there is lost.
    bool writable_ = true;
    StoreRoots roots_;
    RegistryRoot root_ = RegistryRoot::CurrentUser;
    std::optional<Path> current_;
};

} // namespace vellograph
