// Registering and removing the .vlgf association, from the registry values to what the desktop
// sees.
#include "desktop/association.h"
#include "desktop/database_updates.h"
#include "desktop/installed_entries.h"
#include "desktop/registry_xdg.h"
#include "desktop/xdg_files.h"
#include "engine/io/error.h"
#include "tests/desktop/desktop_test_env.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace vellograph {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDesktop;

constexpr char Header[] = "W1251 -=CreaTed by Vellograph 3.0=-\n";
constexpr char OurType[] = "application/x-vellograph3";

// The store without its comment lines.
std::string StoreEntries(const std::string& path) {
    std::istringstream lines(ReadFile(path));
    std::string out;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(';')) {
            out += line + "\n";
        }
    }
    return out;
}

TEST(Association, RegistrationStoresExactlyTheFourValues) {
    TempDesktop desktop("/opt/My \"Apps\"/vellograph");
    AssociateExtension();
    EXPECT_EQ(StoreEntries(desktop.store()),
              "\n[HKEY_CLASSES_ROOT\\.vlgf\\OpenWithProgids]\n"
              "\"Vellograph3.vlgf\"=\"\"\n"
              "\n[HKEY_CLASSES_ROOT\\Vellograph3.vlgf\\DefaultIcon]\n"
              "@=\"/opt/My \\\"Apps\\\"/vellograph,0\"\n"
              "\n[HKEY_CLASSES_ROOT\\Vellograph3.vlgf\\Shell\\Open]\n"
              "@=\"Открыть в Vellograph 3\"\n"
              "\n[HKEY_CLASSES_ROOT\\Vellograph3.vlgf\\Shell\\Open\\command]\n"
              "@=\"\\\"/opt/My \\\"Apps\\\"/vellograph\\\" \\\"%1\\\"\"\n");
    // Added to the list of programs for the type, never made its default.
    EXPECT_FALSE(Exists(desktop.root() + "/.config/mimeapps.list"));
    EXPECT_FALSE(Exists(desktop.data() + "/applications/mimeapps.list"));
}

TEST(Association, DesktopOffersVellographForTheTypeOnlyWhileRegistered) {
    TempDesktop desktop;
    // Launchers hide entries whose program is missing.
    const std::string program = desktop.root() + "/bin/vellograph";
    test::WriteFile(program, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    desktop.setProgramPath(program);
    const std::string drawing = desktop.root() + "/my drawing.vlgf";
    const std::string bare = desktop.root() + "/no-extension";
    test::WriteFile(drawing, std::string(Header) + "m0A0B\nl0C0D\n");
    test::WriteFile(bare, std::string(Header) + "m0A0B\n");
    const std::vector<std::string> ours = {OurType, OurType};
    if (test::MimeTypesInChild({drawing, bare}) == ours) {
        GTEST_SKIP() << "Vellograph is installed system-wide; its type is known without us";
    }

    AssociateExtension();
    WaitForDatabaseUpdates();
    EXPECT_EQ(test::MimeTypesInChild({drawing, bare}), ours);
    const std::string entry = ReadFile(desktop.desktopEntry());
    EXPECT_NE(entry.find("\nMimeType=application/x-vellograph3;\n"), std::string::npos) << entry;
    // Offered for drawings, but no second program in the menus.
    EXPECT_NE(entry.find("\nNoDisplay=true\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nName=Открыть в Vellograph 3\n"), std::string::npos) << entry;
    if (test::HaveProgram("desktop-file-validate")) {
        const auto check = test::Run({"desktop-file-validate", desktop.desktopEntry()});
        EXPECT_EQ(check.exitCode, 0) << check.output;
    }
    if (test::HaveProgram("gio")) {
        for (const std::string& file : {drawing, bare}) {
            const auto info = test::Run({"gio", "info", "-a", "standard::content-type", file});
            EXPECT_NE(info.output.find(OurType), std::string::npos) << file << "\n" << info.output;
        }
        const auto handlers = test::Run({"gio", "mime", OurType});
        EXPECT_NE(handlers.output.find("vellograph3-vlgf.desktop"), std::string::npos)
            << handlers.output;
    }

    RemoveExtensionAssociation();
    WaitForDatabaseUpdates();
    EXPECT_NE(test::MimeTypesInChild({drawing, bare}), ours);
    EXPECT_TRUE(TakeDatabaseUpdateFailures().empty());
    for (const std::string& file : desktop.registrationFiles()) {
        EXPECT_FALSE(Exists(file)) << file;
    }
    EXPECT_FALSE(Exists(desktop.store()));
}

TEST(Association, RegisteringTwiceLeavesTheSameState) {
    TempDesktop desktop;
    AssociateExtension();
    WaitForDatabaseUpdates();
    const auto once = test::Snapshot(desktop.root());
    AssociateExtension();
    WaitForDatabaseUpdates();
    EXPECT_EQ(test::Snapshot(desktop.root()), once);
}

TEST(Association, NoOwnEntryWhereAnInstalledOneRunsTheSameProgram) {
    namespace fs = std::filesystem;
    TempDesktop desktop;
    const std::string bin = desktop.root() + "/bin";
    const std::string program = bin + "/vellograph";
    test::WriteFile(program, "#!/bin/sh\n");
    fs::permissions(program, fs::perms::owner_all);
    fs::create_symlink(program, desktop.root() + "/link to vg");
    test::WriteFile(bin + "/other", "#!/bin/sh\n");
    fs::permissions(bin + "/other", fs::perms::owner_all);
    desktop.setProgramPath(program);
    setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
    const std::string system = desktop.root() + "/system";
    setenv("XDG_DATA_DIRS", system.c_str(), 1);
    struct Case {
        std::string lines; // of the installed entry, after its group line
        bool ownEntry;
        bool runsProgram; // the window then takes the entry's name
    };
    const std::string types = "MimeType=image/png;application/x-vellograph3;\n";
    for (const Case& c : {
             Case{"Exec=vellograph %f\n" + types, false, true},
             Case{"Exec=other %f\n" + types, true, false},
             Case{"Exec=\"" + desktop.root() + "/link to vg\" %f\n" + types, false, true},
             Case{"Exec=vellograph %f\nMimeType=image/png;\n", true, true},
             Case{"Exec=" + program + "\n" + types, false, true},
             Case{"Exec=vellograph %f\nHidden=true\n" + types, true, false},
         }) {
        test::WriteFile(system + "/applications/graphics/vellograph.desktop",
                        "[Desktop Entry]\nType=Application\nName=Vellograph\n" + c.lines);
        AssociateExtension();
        EXPECT_EQ(Exists(desktop.desktopEntry()), c.ownEntry) << c.lines;
        EXPECT_EQ(InstalledEntryOf("graphics-vellograph.desktop", program), c.runsProgram)
            << c.lines;
        EXPECT_FALSE(InstalledEntryOf("vellograph.desktop", program)) << c.lines;
        // The type is known either way.
        EXPECT_TRUE(Exists(desktop.mimePackage())) << c.lines;
    }
}

TEST(Association, UnbindingHidesAnInstalledEntryFromTheTypeAndBindingShowsItAgain) {
    namespace fs = std::filesystem;
    TempDesktop desktop;
    const std::string program = desktop.root() + "/bin/vellograph";
    test::WriteFile(program, "#!/bin/sh\n");
    fs::permissions(program, fs::perms::owner_all);
    desktop.setProgramPath(program);
    const std::string system = desktop.root() + "/system";
    setenv("XDG_DATA_DIRS", system.c_str(), 1);
    test::WriteFile(system + "/applications/graphics/vellograph.desktop",
                    "[Desktop Entry]\nType=Application\nName=Vellograph\nExec=" + program +
                        " %f\nMimeType=application/x-vellograph3;\n");
    const std::string list = desktop.root() + "/.config/mimeapps.list";
    const std::string removed =
        "[Removed Associations]\napplication/x-vellograph3=graphics-vellograph.desktop;\n";
    struct Case {
        std::string before, unbound, bound; // the user's list; "" when there is none
    };
    const std::string others = "[Default Applications]\nimage/png=viewer.desktop;\n";
    for (const Case& c : {
             Case{"", removed, ""},
             Case{"[Default Applications]\napplication/x-vellograph3=graphics-vellograph.desktop;"
                  "\nimage/png=viewer.desktop;\n\n[Removed Associations]\n"
                  "application/x-vellograph3=other.desktop;\n",
                  others + "\n[Removed Associations]\napplication/x-vellograph3=other.desktop;"
                           "graphics-vellograph.desktop;\n",
                  others + "\n[Removed Associations]\napplication/x-vellograph3=other.desktop;\n"},
         }) {
        RemoveFileIfPresent(list);
        if (!c.before.empty()) {
            test::WriteFile(list, c.before);
        }
        RemoveExtensionAssociation();
        EXPECT_EQ(Exists(list) ? ReadFile(list) : "", c.unbound) << c.before;
        AssociateExtension();
        EXPECT_EQ(Exists(list) ? ReadFile(list) : "", c.bound) << c.before;
    }
}

TEST(Association, DatabasesAreRebuiltInTheBackgroundAndAFailureIsKeptForTheWindow) {
    TempDesktop desktop;
    const std::string bin = desktop.root() + "/bin";
    const std::string gate = desktop.root() + "/gate";
    // Waits until the test opens the gate (or 10 s), then fails.
    test::WriteFile(bin + "/update-mime-database",
                    "#!/bin/sh\ni=0\nwhile [ ! -e '" + gate + "' ] && [ $i -lt 1000 ]; do\n" +
                        "  sleep 0.01; i=$((i+1))\ndone\n: > '" + gate +
                        ".done'\necho 'cannot write the cache: No space left on device' >&2\n" +
                        "exit 3\n");
    std::filesystem::permissions(bin + "/update-mime-database", std::filesystem::perms::owner_all);
    setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);

    AssociateExtension();
    EXPECT_FALSE(Exists(gate + ".done")) << "the command waited for the tool";
    EXPECT_TRUE(Exists(desktop.desktopEntry()));
    test::WriteFile(gate, "");
    WaitForDatabaseUpdates();
    EXPECT_EQ(TakeDatabaseUpdateFailures(),
              std::vector<std::string>{"Failed to update '" + desktop.data() +
                                       "/mime': update-mime-database ended with status 3: "
                                       "cannot write the cache: No space left on device"});
    // A removal reports nothing, in the background as well.
    RemoveExtensionAssociation();
    WaitForDatabaseUpdates();
    EXPECT_TRUE(TakeDatabaseUpdateFailures().empty());
}

TEST(Association, RemovalDeletesBothTreesWithWhatOthersAddedAndIsThenANoOp) {
    TempDesktop desktop;
    AssociateExtension();
    {
        XdgRegistry store(desktop.store());
        store.SetRoot(RegistryRoot::ClassesRoot);
        ASSERT_TRUE(store.OpenKey("\\.VLGF\\OpenWithProgids", false));
        ASSERT_TRUE(store.WriteString("Other.Doc", ""));
        ASSERT_TRUE(store.OpenKey("\\.vlgf\\ShellNew\\Config\\Deep", true));
        ASSERT_TRUE(store.WriteString("", "x"));
        ASSERT_TRUE(store.OpenKey("\\Vellograph3.vlgf\\Shell\\Print\\command", true));
        ASSERT_TRUE(store.OpenKey("\\Other.Doc\\Shell\\Open\\command", true));
        ASSERT_TRUE(store.WriteString("", "other \"%1\""));
    }
    RemoveExtensionAssociation();
    XdgRegistry store(desktop.store());
    store.SetRoot(RegistryRoot::ClassesRoot);
    EXPECT_FALSE(store.OpenKey("\\.vlgf", false));
    EXPECT_FALSE(store.OpenKey("\\Vellograph3.vlgf", false));
    ASSERT_TRUE(store.OpenKey("\\Other.Doc\\Shell\\Open\\command", false));
    EXPECT_EQ(store.ReadString(""), "other \"%1\"");
    for (const std::string& file : desktop.registrationFiles()) {
        EXPECT_FALSE(Exists(file)) << file;
    }

    WaitForDatabaseUpdates();
    const auto after = test::Snapshot(desktop.root());
    RemoveExtensionAssociation();
    WaitForDatabaseUpdates();
    EXPECT_EQ(test::Snapshot(desktop.root()), after);
}

// A registry that logs every call and refuses the one numbered refuseAt.
class ScriptedRegistry : public Registry {
public:
    ScriptedRegistry(std::vector<std::string>& log, int refuseAt)
        : log_(log), refuseAt_(refuseAt) {}
    void SetRoot(RegistryRoot root) override {
        log_.push_back("root " + std::to_string(static_cast<std::uint32_t>(root)));
    }
    bool OpenKey(std::string_view path, bool canCreate) override {
        return Answer("open " + std::string(path) + (canCreate ? " +" : ""));
    }
    bool WriteString(std::string_view name, std::string_view data) override {
        return Answer("write [" + std::string(name) + "]=[" + std::string(data) + "]");
    }
    std::vector<std::string> SubKeyNames() override { return {}; }
    bool DeleteKey(std::string_view path) override { return Answer("delete " + std::string(path)); }
    void CloseKey() override { log_.push_back("close"); }

private:
    bool Answer(std::string call) {
        log_.push_back(std::move(call));
        return static_cast<int>(log_.size()) != refuseAt_;
    }
    std::vector<std::string>& log_;
    int refuseAt_;
};

TEST(Association, StepsRunInOrderAndTheFirstRefusalNamesItsValue) {
    const std::vector<std::string> allSteps = {
        "root 2147483648",
        "open \\.vlgf\\OpenWithProgids\\ +",
        "write [Vellograph3.vlgf]=[]",
        "open \\Vellograph3.vlgf\\DefaultIcon\\ +",
        "write []=[/apps/vg,0]",
        "open \\Vellograph3.vlgf\\Shell\\Open\\ +",
        "write []=[Открыть в Vellograph 3]",
        "open command\\ +",
        "write []=[\"/apps/vg\" \"%1\"]",
        "close",
        "notify",
    };
    struct Case {
        int refuseAt; // position in allSteps, from 1; 0 refuses nothing
        const char* error;
    };
    for (const Case c : {Case{0, nullptr}, Case{2, "Failed to set data for 'Vellograph3.vlgf'"},
                         Case{3, "Failed to set data for 'Vellograph3.vlgf'"},
                         Case{4, "Failed to set data for ''"}, Case{7, "Failed to set data for ''"},
                         Case{8, "Failed to set data for ''"}}) {
        std::vector<std::string> log;
        const auto previous = SetAssociationPlatform(
            {[&] { return std::make_unique<ScriptedRegistry>(log, c.refuseAt); },
             [&] { log.push_back("notify"); }, [] { return std::string("/apps/vg"); }});
        std::string error;
        try {
            AssociateExtension();
        } catch (const UserError& e) {
            error = e.what();
        }
        SetAssociationPlatform(previous);
        EXPECT_EQ(error, c.error ? c.error : "") << "refusing step " << c.refuseAt;
        const std::size_t steps = c.refuseAt == 0 ? allSteps.size() : std::size_t(c.refuseAt);
        EXPECT_EQ(log, std::vector<std::string>(allSteps.begin(), allSteps.begin() + steps))
            << "refusing step " << c.refuseAt;
    }
}

TEST(Association, UnwritableDataFolderReportsTheValueAndLeavesNoFile) {
    namespace fs = std::filesystem;
    struct Case {
        const char* blocked; // made a plain file, below XDG_DATA_HOME
        const char* error;
    };
    for (const Case c : {
             Case{"", "Failed to set data for 'Vellograph3.vlgf'"},
             Case{"vellograph", "Failed to set data for 'Vellograph3.vlgf'"},
             Case{"mime", "Failed to write '"},
         }) {
        TempDesktop desktop;
        const std::string blocked = desktop.data() + (*c.blocked ? "/" : "") + c.blocked;
        fs::create_directories(fs::path(blocked).parent_path());
        test::WriteFile(blocked, "in the way");
        std::string error;
        try {
            AssociateExtension();
        } catch (const UserError& e) {
            error = e.what();
        }
        EXPECT_TRUE(error.starts_with(c.error)) << c.blocked << ": " << error;
        EXPECT_EQ(ReadFile(blocked), "in the way");
        // Nothing half-written: no temporary file anywhere, no desktop entry.
        for (const auto& [path, contents] : test::Snapshot(desktop.root())) {
            EXPECT_FALSE(path.ends_with(".tmp")) << path;
        }
        EXPECT_FALSE(Exists(desktop.desktopEntry()));
    }
}

} // namespace
} // namespace vellograph
