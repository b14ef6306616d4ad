// Registering Vellograph as a handler of .vlgf drawings, and removing that registration.
#pragma once

#include "desktop/registry.h"

#include <functional>
#include <memory>
#include <string>

namespace vellograph {

// The names the registration uses under HKEY_CLASSES_ROOT.
inline constexpr char AssociatedExtension[] = ".vlgf";
inline constexpr char AssociationProgId[] = "Vellograph3.vlgf";
// The shell's caption of the open verb.
inline constexpr char OpenVerbCaption[] = "Открыть в Vellograph 3";

// Adds Vellograph to the list of programs for .vlgf files (not as the
// default) and tells the desktop. At the first key or value that cannot be
// written it throws UserError "Failed to set data for '<value name>'" (the
// name is empty for a default value): values written before stay, the rest
// and the notification are skipped.
void AssociateExtension();

// Deletes the keys ".vlgf" and "Vellograph3.vlgf" with everything under them,
// other programs' entries included, and tells the desktop. Reports nothing.
void RemoveExtensionAssociation();

// What the two routines reach outside the program; tests put in their own.
struct AssociationPlatform {
    std::function<std::unique_ptr<Registry>()> openRegistry;
    std::function<void()> notifyShell;
    std::function<std::string()> programPath;
};
// The real registry, notification and executable path.
AssociationPlatform DefaultAssociationPlatform();
// The program the association registers, as the platform in force names it.
std::string AssociatedProgramPath();
// Puts a platform in force and returns the one it replaces.
AssociationPlatform SetAssociationPlatform(AssociationPlatform platform);

} // namespace vellograph
