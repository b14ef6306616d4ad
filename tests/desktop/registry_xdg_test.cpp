// The per-user registry store: key path rules, the text file's round trip, and refusals.
#include "desktop/registry_xdg.h"
#include "tests/desktop/desktop_test_env.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vellograph {
namespace {

using Names = std::vector<std::string>;

TEST(XdgRegistry, FollowsThePathRulesWithOneCurrentKey) {
    test::TempDesktop desktop;
    XdgRegistry reg(desktop.store());
    reg.SetRoot(RegistryRoot::ClassesRoot);
    EXPECT_TRUE(reg.OpenKey("a\\b\\", true)) << "no key open: taken from the root";
    EXPECT_TRUE(reg.OpenKey("c", true)) << "relative to a\\b";
    EXPECT_TRUE(reg.WriteString("v", "1"));
    EXPECT_TRUE(reg.OpenKey("\\A\\B\\C\\", false)) << "names ignore case";
    EXPECT_EQ(reg.ReadString("V"), "1");

    EXPECT_FALSE(reg.OpenKey("\\a\\\\b", true)) << "empty name inside";
    EXPECT_FALSE(reg.WriteString("v", "2")) << "a failed open leaves no key current";
    EXPECT_FALSE(reg.OpenKey("\\a\\x", false)) << "missing and not created";
    EXPECT_TRUE(reg.OpenKey("a", false)) << "after a failed open, from the root again";
    EXPECT_EQ(reg.SubKeyNames(), Names{"b"});

    EXPECT_FALSE(reg.DeleteKey("\\a\\b")) << "a key with subkeys stays";
    EXPECT_TRUE(reg.DeleteKey("b\\c")) << "relative to the current key a";
    EXPECT_TRUE(reg.DeleteKey("\\A\\B"));
    EXPECT_FALSE(reg.DeleteKey("\\a\\b")) << "already gone";

    reg.SetRoot(RegistryRoot::CurrentUser);
    EXPECT_FALSE(reg.OpenKey("\\a", false)) << "each root has its own keys";
}

TEST(XdgRegistry, RefusesPathsDeeperThanWindowsAllows) {
    test::TempDesktop desktop;
    XdgRegistry reg(desktop.store());
    std::string path;
    for (std::size_t i = 0; i < MaxKeyDepth; ++i) {
        path += "\\k";
    }
    EXPECT_TRUE(reg.OpenKey(path, true));
    EXPECT_FALSE(reg.OpenKey("k", true));
    EXPECT_FALSE(reg.OpenKey(path + "\\k", true));
}

TEST(XdgRegistry, KeepsAwkwardNamesAndDataAcrossARestart) {
    test::TempDesktop desktop;
    const std::pair<std::string, std::string> values[] = {
        {"", "default"},
        {"@", "a value named @, not the default"},
        {"quote\"back\\slash", "\"C:\\Program Files\\x.exe\" \"%1\""},
        {"lines", "one\ntwo\tthree\rfour\x01\x7f"},
        {"bytes", "/home/\xff\xfe/not utf-8"},
        {"=", "= ; [x]"},
        {"Case", "first"},
        {"CASE", "second, same name"},
    };
    {
        XdgRegistry reg(desktop.store());
        reg.SetRoot(RegistryRoot::ClassesRoot);
        ASSERT_TRUE(reg.OpenKey("\\odd [key]; name\\sub", true));
        for (const auto& [name, data] : values) {
            ASSERT_TRUE(reg.WriteString(name, data)) << name;
        }
        for (const char* name : {"b", "A", "c", "[", ";x"}) {
            ASSERT_TRUE(reg.OpenKey(std::string("\\sorted\\") + name, true));
        }
    }
    XdgRegistry reg(desktop.store());
    reg.SetRoot(RegistryRoot::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey("\\odd [key]; name\\sub", false));
    for (const auto& [name, data] : values) {
        if (name != "Case") {
            EXPECT_EQ(reg.ReadString(name), data) << name;
        }
    }
    ASSERT_TRUE(reg.OpenKey("\\sorted", false));
    EXPECT_EQ(reg.SubKeyNames(), (Names{";x", "A", "b", "c", "["}));
}

TEST(XdgRegistry, NeverOverwritesAStoreItCannotRead) {
    namespace fs = std::filesystem;
    test::TempDesktop desktop;
    fs::create_directories(desktop.store() + "/kept");
    XdgRegistry reg(desktop.store());
    EXPECT_FALSE(reg.OpenKey("\\a", true));
    EXPECT_TRUE(fs::is_directory(desktop.store() + "/kept"));
}

TEST(XdgRegistry, ReadsWhatItUnderstandsOfAnEditedFile) {
    test::TempDesktop desktop;
    test::WriteFile(desktop.store(), "; a comment\r\n"
                                     "\"orphan\"=\"before any key\"\n"
                                     "[HKEY_CLASSES_ROOT\\.vlgf]\r\n"
                                     "@=\"kept\"\r\n"
                                     "\"broken=\"x\"\n"
                                     "\"half\"=\"no end\n"
                                     "\"bad escape\"=\"\\x4\"\n"
                                     "[NO_SUCH_ROOT\\x]\n"
                                     "\"lost\"=\"under an unknown root\"\n"
                                     "[HKEY_CLASSES_ROOT\\a\\\\b]\n"
                                     "\"lost\"=\"under an invalid path\"\n");
    XdgRegistry reg(desktop.store());
    reg.SetRoot(RegistryRoot::ClassesRoot);
    ASSERT_TRUE(reg.OpenKey("\\.vlgf", false));
    EXPECT_EQ(reg.ReadString(""), "kept");
    EXPECT_EQ(reg.ReadString("half"), std::nullopt);
    EXPECT_EQ(reg.ReadString("bad escape"), std::nullopt);
    EXPECT_FALSE(reg.OpenKey("\\a", false));
}

} // namespace
} // namespace vellograph
