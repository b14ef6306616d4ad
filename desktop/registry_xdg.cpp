// The per-user registry store: keys and string values in a text file, changed atomically.
#include "desktop/registry_xdg.h"

#include "desktop/xdg_files.h"
#include "engine/io/replace_file.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace vellograph {
namespace {

std::string FolderOf(const std::string& path) {
    return path.substr(0, path.find_last_of('/'));
}

bool IsEmpty(const StoreRoots& roots) {
    return std::all_of(roots.begin(), roots.end(), [](const auto& root) {
        return root.second.values.empty() && root.second.subkeys.empty();
    });
}

} // namespace

XdgRegistry::XdgRegistry(std::string storePath) : storePath_(std::move(storePath)) {
    if (storePath_.empty()) {
        writable_ = false;
        return;
    }
    if (const auto text = ReadWholeFile(storePath_)) {
        roots_ = ParseStore(*text);
    } else if (errno != ENOENT) {
        writable_ = false;
    }
}

std::string XdgRegistry::DefaultStorePath() {
    const std::string data = XdgDataHome();
    return data.empty() ? data : data + "/vellograph/registry.txt";
}

std::unique_ptr<Registry> OpenPlatformRegistry() {
    return std::make_unique<XdgRegistry>(XdgRegistry::DefaultStorePath());
}

void XdgRegistry::SetRoot(RegistryRoot root) {
    root_ = root;
    current_.reset();
}

std::optional<XdgRegistry::Path> XdgRegistry::Resolve(std::string_view path) const {
    Path full;
    if (!path.empty() && path.front() == '\\') {
        path.remove_prefix(1);
    } else if (current_) {
        full = *current_;
    }
    auto names = SplitKeyPath(path);
    if (!names) {
        return std::nullopt;
    }
    full.insert(full.end(), names->begin(), names->end());
    if (full.size() > MaxKeyDepth) {
        return std::nullopt;
    }
    return full;
}

const StoreKey* XdgRegistry::Find(const Path& path) const {
    const auto root = roots_.find(root_);
    const StoreKey* key = root == roots_.end() ? nullptr : &root->second;
    for (std::size_t i = 0; key != nullptr && i < path.size(); ++i) {
        const auto& subkeys = key->subkeys;
        const auto it = std::find_if(subkeys.begin(), subkeys.end(), [&](const StoreKey& k) {
            return SameKeyName(k.name, path[i]);
        });
        key = it == subkeys.end() ? nullptr : &*it;
    }
    return key;
}

StoreKey* XdgRegistry::Find(const Path& path) {
    return const_cast<StoreKey*>(static_cast<const XdgRegistry*>(this)->Find(path));
}

bool XdgRegistry::OpenKey(std::string_view path, bool canCreate) {
    auto full = Resolve(path);
    current_.reset();
    if (!full) {
        return false;
    }
    if (Find(*full) == nullptr) {
        if (!canCreate || !writable_) {
            return false;
        }
        StoreRoots before = roots_;
        StoreKey* key = &roots_[root_];
        bool created = false;
        for (const std::string& name : *full) {
            key = &FindOrCreateSubkey(*key, name, created);
        }
        if (!Commit(std::move(before))) {
            return false;
        }
    }
    current_ = std::move(full);
    return true;
}

bool XdgRegistry::WriteString(std::string_view name, std::string_view data) {
    StoreKey* key = current_ ? Find(*current_) : nullptr;
    if (key == nullptr || !writable_) {
        return false;
    }
    auto& values = key->values;
    const auto it = std::find_if(values.begin(), values.end(),
                                 [&](const auto& v) { return SameKeyName(v.first, name); });
    if (it != values.end() && it->second == data) {
        return true;
    }
    StoreRoots before = roots_;
    if (it != values.end()) {
        it->second = data;
    } else {
        values.emplace_back(name, data);
    }
    return Commit(std::move(before));
}

std::optional<std::string> XdgRegistry::ReadString(std::string_view name) const {
    const StoreKey* key = current_ ? Find(*current_) : nullptr;
    if (key == nullptr) {
        return std::nullopt;
    }
    for (const auto& [valueName, data] : key->values) {
        if (SameKeyName(valueName, name)) {
            return data;
        }
    }
    return std::nullopt;
}

std::vector<std::string> XdgRegistry::SubKeyNames() {
    std::vector<std::string> names;
    if (const StoreKey* key = current_ ? Find(*current_) : nullptr) {
        for (const StoreKey& subkey : key->subkeys) {
            names.push_back(subkey.name);
        }
    }
    return names;
}

bool XdgRegistry::DeleteKey(std::string_view path) {
    const auto full = Resolve(path);
    if (!full || full->empty() || !writable_) {
        return false;
    }
    StoreKey* parent = Find(Path(full->begin(), full->end() - 1));
    if (parent == nullptr) {
        return false;
    }
    auto& siblings = parent->subkeys;
    const auto it = std::find_if(siblings.begin(), siblings.end(), [&](const StoreKey& k) {
        return SameKeyName(k.name, full->back());
    });
    // As in the Windows registry, a key with subkeys is not deleted in one go.
    if (it == siblings.end() || !it->subkeys.empty()) {
        return false;
    }
    StoreRoots before = roots_;
    siblings.erase(it);
    return Commit(std::move(before));
}

void XdgRegistry::CloseKey() {
    current_.reset();
}

bool XdgRegistry::Commit(StoreRoots before) {
    bool saved = false;
    if (IsEmpty(roots_)) {
        // Nothing left to keep: the store goes, and its folder when that is empty.
        saved = RemoveFileIfPresent(storePath_);
        if (saved) {
            rmdir(FolderOf(storePath_).c_str());
        }
    } else {
        saved = MakeDirectories(FolderOf(storePath_)) &&
                ReplaceFileContents(storePath_, FormatStore(roots_)).ok;
    }
    if (!saved) {
        roots_ = std::move(before);
    }
    return saved;
}

} // namespace vellograph
