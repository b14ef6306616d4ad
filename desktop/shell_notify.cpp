// The Linux desktop side of the association: MIME package, desktop entry and icons from the store.
#include "desktop/shell_notify.h"

#include "desktop/association.h"
#include "desktop/database_updates.h"
#include "desktop/desktop_entry.h"
#include "desktop/installed_entries.h"
#include "desktop/mime_apps.h"
#include "desktop/registry_xdg.h"
#include "desktop/xdg_files.h"
#include "engine/format/drawing.h"
#include "engine/io/error.h"
#include "engine/io/replace_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace vellograph {
namespace {

constexpr char MimeTypeName[] = "application/x-vellograph3";
// Every file of the registration is named after the ProgID, so none of them
// is mistaken for (or overwrites) a file of an installed copy.
constexpr char FileStem[] = "vellograph3-vlgf";
constexpr char DocumentIconName[] = "vellograph3-vlgf-document";

struct Registration {
    std::vector<std::string> command;
    std::string verbCaption;
    bool hasIcon = false;
};

struct Locations {
    std::string data, mimeDir, mimePackage, applicationsDir, desktopEntry, hicolorDir, appIcon,
        documentIcon, ownDir, launcherLink;
};

Locations LocationsUnder(const std::string& data) {
    Locations at;
    at.data = data;
    at.mimeDir = data + "/mime";
    at.mimePackage = at.mimeDir + "/packages/" + FileStem + ".xml";
    at.applicationsDir = data + "/applications";
    at.desktopEntry = at.applicationsDir + "/" + FileStem + ".desktop";
    at.hicolorDir = data + "/icons/hicolor";
    at.appIcon = at.hicolorDir + "/scalable/apps/" + FileStem + ".svg";
    at.documentIcon = at.hicolorDir + "/scalable/mimetypes/" + DocumentIconName + ".svg";
    at.ownDir = data + "/vellograph";
    at.launcherLink = at.ownDir + "/vellograph";
    return at;
}

std::optional<std::string> ReadValue(XdgRegistry& store, const std::string& key,
                                     std::string_view name) {
    return store.OpenKey(key, false) ? store.ReadString(name) : std::nullopt;
}

// The registration as the store holds it; nullopt when Vellograph is not in
// the extension's list or its ProgID has no open command.
std::optional<Registration> ReadRegistration() {
    XdgRegistry store(XdgRegistry::DefaultStorePath());
    store.SetRoot(RegistryRoot::ClassesRoot);
    const std::string progIdKey = std::string("\\") + AssociationProgId;
    const std::string extensionKey = std::string("\\") + AssociatedExtension;
    if (!ReadValue(store, extensionKey + "\\OpenWithProgids", AssociationProgId)) {
        return std::nullopt;
    }
    const auto command = ReadValue(store, progIdKey + "\\Shell\\Open\\command", "");
    Registration registration;
    registration.command = command ? ParseOpenCommand(*command) : std::vector<std::string>{};
    if (registration.command.empty() || registration.command.front().empty()) {
        return std::nullopt;
    }
    registration.verbCaption = ReadValue(store, progIdKey + "\\Shell\\Open", "").value_or("");
    if (!IsValidUtf8(registration.verbCaption)) {
        registration.verbCaption.clear();
    }
    registration.hasIcon = ReadValue(store, progIdKey + "\\DefaultIcon", "").has_value();
    return registration;
}

[[noreturn]] void FailToWrite(const std::string& path, const std::string& reason) {
    throw UserError("Failed to write '" + path + "': " + reason);
}

void WriteOrFail(const std::string& path, std::string_view data) {
    const std::string dir = path.substr(0, path.find_last_of('/'));
    if (!MakeDirectories(dir)) {
        FailToWrite(path, std::strerror(errno));
    }
    if (const TFileResult written = ReplaceFileContents(path, data); !written) {
        FailToWrite(path, written.reason);
    }
}

std::string Resource(const char* name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// A link the Exec line can name in place of a path no launcher handles well.
// Made beside its final name and renamed over it, so it is never missing.
std::string PlaceLauncherLink(const Locations& at, const std::string& program) {
    const std::string temp = at.launcherLink + ".new";
    unlink(temp.c_str());
    if (!MakeDirectories(at.ownDir) || symlink(program.c_str(), temp.c_str()) != 0 ||
        rename(temp.c_str(), at.launcherLink.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        unlink(temp.c_str());
        FailToWrite(at.launcherLink, reason);
    }
    return at.launcherLink;
}

// Our own entry and the installed ones that run the program: the desktop IDs
// the user's choices for the type may name.
std::vector<std::string> OurEntryIds(std::vector<std::string> installed) {
    installed.push_back(std::string(FileStem) + ".desktop");
    return installed;
}

void Install(const Locations& at, Registration registration) {
    std::string& program = registration.command.front();
    // Where an installed entry already offers this very program for the
    // type, a second one would show the program twice in "Open with".
    const std::vector<std::string> installed =
        InstalledEntriesRunning(program, MimeTypeName, at.desktopEntry);
    const bool offeredAlready = !installed.empty();
    // A removal may have hidden them from the type; binding shows them again.
    MimeAppsChange shown;
    shown.unhide = OurEntryIds(installed);
    if (const std::string list = UserMimeAppsList();
        !list.empty() && !ChangeMimeApps(list, MimeTypeName, shown)) {
        FailToWrite(list, std::strerror(errno));
    }
    if (offeredAlready) {
        RemoveFileIfPresent(at.desktopEntry);
        RemoveFileIfPresent(at.launcherLink);
        rmdir(at.ownDir.c_str());
    } else if (NeedsLauncherLink(program)) {
        program = PlaceLauncherLink(at, program);
    } else {
        RemoveFileIfPresent(at.launcherLink);
    }
    std::string appIcon;
    const std::string appSvg = Resource(":/vellograph/icons/vellograph.svg");
    const std::string documentSvg = Resource(":/vellograph/icons/application-x-vellograph3.svg");
    registration.hasIcon = registration.hasIcon && !appSvg.empty() && !documentSvg.empty();
    if (registration.hasIcon) {
        if (offeredAlready) {
            RemoveFileIfPresent(at.appIcon);
        } else {
            WriteOrFail(at.appIcon, appSvg);
            appIcon = FileStem;
        }
        WriteOrFail(at.documentIcon, documentSvg);
    } else {
        RemoveFileIfPresent(at.appIcon);
        RemoveFileIfPresent(at.documentIcon);
    }
    const std::string_view header(StandardHeader, HeaderSize - 1); // without its line feed
    WriteOrFail(at.mimePackage,
                FormatMimePackage({MimeTypeName, "Vellograph drawing", "Рисунок Vellograph",
                                   registration.hasIcon ? DocumentIconName : "",
                                   std::string("*") + AssociatedExtension, std::string(header)}));
    if (offeredAlready) {
        return;
    }
    // Last, so that the entry never names a type or icon not yet in place.
    // Hidden: it offers the program for drawings without adding it to menus.
    WriteOrFail(at.desktopEntry,
                FormatDesktopEntry({"Vellograph", "Draw freehand and play the drawing back",
                                    registration.command, appIcon, MimeTypeName,
                                    registration.verbCaption, true}));
}

void Uninstall(const Locations& at) {
    // The entry first, so that nothing offers a program whose type is gone.
    for (const std::string* path :
         {&at.desktopEntry, &at.mimePackage, &at.documentIcon, &at.appIcon, &at.launcherLink}) {
        RemoveFileIfPresent(*path);
    }
    rmdir(at.ownDir.c_str());
    // An installed entry lists the type itself: only the user's choices can
    // make the desktop stop offering it for drawings.
    const std::string program = AssociatedProgramPath();
    const std::vector<std::string> installed =
        program.empty() ? std::vector<std::string>{}
                        : InstalledEntriesRunning(program, MimeTypeName, at.desktopEntry);
    MimeAppsChange hidden;
    hidden.hide = installed;
    hidden.drop = OurEntryIds(installed);
    if (const std::string list = UserMimeAppsList(); !list.empty()) {
        ChangeMimeApps(list, MimeTypeName, hidden);
    }
}

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The databases are rebuilt in the background: each tool may take seconds.
void RefreshDatabases(const Locations& at, bool reportFailure) {
    DatabaseUpdate update;
    update.reportFailure = reportFailure;
    if (IsDirectory(at.mimeDir + "/packages")) {
        // Without this database the desktop knows no type of ours at all.
        update.runs.push_back(
            {"update-mime-database", FindProgram("update-mime-database"), {at.mimeDir}});
    }
    // Launchers read the entries themselves; this cache only speeds them up.
    if (const std::string tool = FindProgram("update-desktop-database");
        !tool.empty() && IsDirectory(at.applicationsDir)) {
        update.runs.push_back({"update-desktop-database", tool, {at.applicationsDir}});
    }
    // Icon caches are trusted only while they are newer than their theme folder.
    if (IsDirectory(at.hicolorDir)) {
        update.touchAfter = at.hicolorDir;
    }
    if (!update.runs.empty() || !update.touchAfter.empty()) {
        PostDatabaseUpdate(std::move(update));
    }
}

} // namespace

void NotifyAssociationsChanged() {
    const std::string data = XdgDataHome();
    if (data.empty()) {
        return;
    }
    const Locations at = LocationsUnder(data);
    auto registration = ReadRegistration();
    const bool registered = registration.has_value();
    if (registered) {
        Install(at, std::move(*registration));
    } else {
        Uninstall(at);
    }
    // A removal reports nothing, in the background as well.
    RefreshDatabases(at, registered);
}

std::string RunningProgramPath() {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<std::size_t>(n) < path.size()) {
            path.resize(static_cast<std::size_t>(n));
            break;
        }
        path.resize(path.size() * 2);
    }
    // A program rebuilt while it runs reports its old file as deleted; the
    // new file at the same path is the one to register.
    constexpr std::string_view Deleted = " (deleted)";
    if (path.ends_with(Deleted) && access(path.c_str(), F_OK) != 0) {
        path.resize(path.size() - Deleted.size());
    }
    return path;
}

} // namespace vellograph
