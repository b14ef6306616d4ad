// Registering Vellograph as a handler of .vlgf drawings, and removing that registration.
#include "desktop/association.h"

#include "desktop/shell_notify.h"
#include "engine/io/error.h"

#include <utility>

namespace vellograph {
namespace {

AssociationPlatform& Platform() {
    static AssociationPlatform platform = DefaultAssociationPlatform();
    return platform;
}

// Writes one value into the key named for it, never into a key opened before.
void WriteValueInKey(Registry& registry, const std::string& keyPath, const std::string& name,
                     const std::string& data) {
    if (!registry.OpenKey(keyPath, true) || !registry.WriteString(name, data)) {
        throw UserError("Failed to set data for '" + name + "'");
    }
}

// Depth-first, from the last subkey to the first: a registry deletes only
// keys without subkeys. What cannot be opened or deleted is passed over.
void DeleteKeyTree(Registry& registry, const std::string& absolutePath) {
    if (registry.OpenKey(absolutePath, false)) {
        const auto names = registry.SubKeyNames();
        registry.CloseKey();
        for (auto name = names.rbegin(); name != names.rend(); ++name) {
            DeleteKeyTree(registry, absolutePath + "\\" + *name);
        }
    }
    registry.DeleteKey(absolutePath);
}

} // namespace

AssociationPlatform DefaultAssociationPlatform() {
    return {OpenPlatformRegistry, NotifyAssociationsChanged, RunningProgramPath};
}

std::string AssociatedProgramPath() {
    return Platform().programPath();
}

AssociationPlatform SetAssociationPlatform(AssociationPlatform platform) {
    return std::exchange(Platform(), std::move(platform));
}

void AssociateExtension() {
    const AssociationPlatform& platform = Platform();
    const std::string program = platform.programPath();
    if (program.empty()) {
        // Registering an empty path would leave a command that opens nothing.
        throw UserError("Failed to set data for '" + std::string(AssociationProgId) + "'");
    }
    {
        const auto registry = platform.openRegistry();
        registry->SetRoot(RegistryRoot::ClassesRoot);
        WriteValueInKey(*registry, "\\.vlgf\\OpenWithProgids\\", AssociationProgId, "");
        WriteValueInKey(*registry, "\\Vellograph3.vlgf\\DefaultIcon\\", "", program + ",0");
        WriteValueInKey(*registry, "\\Vellograph3.vlgf\\Shell\\Open\\", "", OpenVerbCaption);
        // Relative: the command key under the open verb's key.
        WriteValueInKey(*registry, "command\\", "", "\"" + program + "\" \"%1\"");
        registry->CloseKey();
    }
    platform.notifyShell();
}

void RemoveExtensionAssociation() {
    const AssociationPlatform& platform = Platform();
    {
        const auto registry = platform.openRegistry();
        registry->SetRoot(RegistryRoot::ClassesRoot);
        DeleteKeyTree(*registry, "\\.vlgf");
        DeleteKeyTree(*registry, "\\Vellograph3.vlgf");
        registry->CloseKey();
    }
    try {
        platform.notifyShell();
    } catch (const UserError&) {
        // Removal reports nothing; a desktop file left behind names a program
        // the registry no longer lists, and the next notification retries.
    }
}

} // namespace vellograph
