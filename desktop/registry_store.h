// The per-user registry's tree of keys and its text form, a registry export a person can read.
#pragma once

#include "desktop/registry.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vellograph {

struct StoreKey {
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;
    std::vector<StoreKey> subkeys; // in the registry's order: by name, ignoring ASCII case
};
using StoreRoots = std::map<RegistryRoot, StoreKey>;

// Deeper paths than Windows allows are refused, which also bounds recursion.
inline constexpr std::size_t MaxKeyDepth = 512;

// Key and value names compare without regard to ASCII case, as on Windows.
bool SameKeyName(std::string_view a, std::string_view b);

// Splits "a\b\c\" into its names. An empty name inside the path, a name with
// a control character (it could not be written on one line) or more levels
// than Windows allows make it invalid.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);

// The subkey of that name, created in its sorted place when missing.
StoreKey& FindOrCreateSubkey(StoreKey& key, std::string_view name, bool& created);

// "[ROOT\key\path]" opens a key, "name"="data" is a value, @ the default
// value. Strings escape \, " and control characters; other bytes stay as they
// are, since the data may be a file path that is not UTF-8.
std::string FormatStore(const StoreRoots& roots);
// Reads what FormatStore wrote; lines it does not understand are skipped.
StoreRoots ParseStore(std::string_view text);

} // namespace vellograph
