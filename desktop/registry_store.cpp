// The per-user registry's tree of keys and its text form.
#include "desktop/registry_store.h"

#include <algorithm>

namespace vellograph {
namespace {

constexpr std::pair<RegistryRoot, std::string_view> RootNames[] = {
    {RegistryRoot::ClassesRoot, "HKEY_CLASSES_ROOT"},
    {RegistryRoot::CurrentUser, "HKEY_CURRENT_USER"},
    {RegistryRoot::LocalMachine, "HKEY_LOCAL_MACHINE"},
    {RegistryRoot::Users, "HKEY_USERS"},
};

constexpr char FileComment[] =
    "; Vellograph's registration with the desktop, kept as registry keys and values.\n"
    "; [ROOT\\key\\path] starts a key; \"name\"=\"data\" is a string value, @ the default value.\n";

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Sorted as Windows sorts subkeys: by the names in capitals.
bool NameLess(std::string_view a, std::string_view b) {
    const auto upper = [](char c) {
        return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return upper(x) < upper(y); });
}

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

std::string Quote(std::string_view text) {
    static constexpr char Hex[] = "0123456789abcdef";
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += {'\\', c};
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (IsControl(c)) {
            out += {'\\', 'x', Hex[byte >> 4], Hex[byte & 15]};
        } else {
            out += c;
        }
    }
    return out + '"';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = Fold(c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Reads the quoted string at the front of text and removes it from there.
std::optional<std::string> Unquote(std::string_view& text) {
    if (text.empty() || text.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = 1; i < text.size(); ++i) {
        if (text[i] == '"') {
            text.remove_prefix(i + 1);
            return out;
        }
        if (text[i] != '\\') {
            out += text[i];
        } else if (++i == text.size()) {
            break;
        } else if (text[i] == 'n') {
            out += '\n';
        } else if (text[i] == 't') {
            out += '\t';
        } else if (text[i] != 'x') {
            out += text[i];
        } else if (i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
                   HexDigit(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

void FormatKey(const StoreKey& key, const std::string& path, std::string& out) {
    if (!key.values.empty() || key.subkeys.empty()) {
        out += "\n[" + path + "]\n";
        for (const auto& [name, data] : key.values) {
            out += (name.empty() ? std::string("@") : Quote(name)) + "=" + Quote(data) + "\n";
        }
    }
    for (const StoreKey& subkey : key.subkeys) {
        FormatKey(subkey, path + "\\" + subkey.name, out);
    }
}

// The key a section line names, created on the way; nullptr when invalid.
StoreKey* SectionKey(StoreRoots& roots, std::string_view path) {
    const auto slash = path.find('\\');
    const std::string_view rootName = path.substr(0, slash);
    const auto root = std::find_if(std::begin(RootNames), std::end(RootNames),
                                   [&](const auto& r) { return SameKeyName(r.second, rootName); });
    if (root == std::end(RootNames)) {
        return nullptr;
    }
    const auto names =
        SplitKeyPath(slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1));
    if (!names) {
        return nullptr;
    }
    StoreKey* key = &roots[root->first];
    bool created = false;
    for (const std::string& name : *names) {
        key = &FindOrCreateSubkey(*key, name, created);
    }
    return key;
}

} // namespace

bool SameKeyName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Fold(x) == Fold(y); });
}

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    std::vector<std::string> names;
    while (!path.empty()) {
        const auto slash = path.find('\\');
        const std::string_view name = path.substr(0, slash);
        if (name.empty() || std::any_of(name.begin(), name.end(), IsControl) ||
            names.size() == MaxKeyDepth) {
            return std::nullopt;
        }
        names.emplace_back(name);
        path = slash == std::string_view::npos ? std::string_view{} : path.substr(slash + 1);
    }
    return names;
}

StoreKey& FindOrCreateSubkey(StoreKey& key, std::string_view name, bool& created) {
    auto& subkeys = key.subkeys;
    auto it =
        std::lower_bound(subkeys.begin(), subkeys.end(), name,
                         [](const StoreKey& k, std::string_view n) { return NameLess(k.name, n); });
    if (it == subkeys.end() || !SameKeyName(it->name, name)) {
        it = subkeys.insert(it, StoreKey{std::string(name), {}, {}});
        created = true;
    }
    return *it;
}

std::string FormatStore(const StoreRoots& roots) {
    std::string out = FileComment;
    for (const auto& [root, key] : roots) {
        const auto name = std::find_if(std::begin(RootNames), std::end(RootNames),
                                       [&](const auto& r) { return r.first == root; });
        for (const StoreKey& subkey : key.subkeys) {
            FormatKey(subkey, std::string(name->second) + "\\" + subkey.name, out);
        }
    }
    return out;
}

StoreRoots ParseStore(std::string_view text) {
    StoreRoots roots;
    StoreKey* key = nullptr;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            key = SectionKey(roots, line.substr(1, line.size() - 2));
            continue;
        }
        if (key == nullptr || line.empty()) {
            continue;
        }
        std::optional<std::string> name;
        if (line.front() == '@') {
            name.emplace();
            line.remove_prefix(1);
        } else {
            name = Unquote(line);
        }
        if (!name || line.empty() || line.front() != '=') {
            continue;
        }
        line.remove_prefix(1);
        auto data = Unquote(line);
        if (!data || !line.empty()) {
            continue;
        }
        auto& values = key->values;
        const auto same = std::find_if(values.begin(), values.end(),
                                       [&](const auto& v) { return SameKeyName(v.first, *name); });
        if (same != values.end()) {
            same->second = std::move(*data);
        } else {
            values.emplace_back(std::move(*name), std::move(*data));
        }
    }
    return roots;
}

} // namespace vellograph
