// cmake --install into a temporary prefix gives a desktop entry, MIME package and icons that
// validate.
#include "tests/desktop/desktop_test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace vellograph {
namespace {

TEST(Install, PutsAValidDesktopEntryMimePackageAndIcons) {
    test::TempDesktop desktop;
    const std::string prefix = desktop.root() + "/prefix with space";
    const auto install = test::Run(
        {VELLOGRAPH_CMAKE_COMMAND, "--install", VELLOGRAPH_BINARY_DIR, "--prefix", prefix});
    ASSERT_EQ(install.exitCode, 0) << install.output;

    const std::string share = prefix + "/share";
    for (const std::string& file :
         {prefix + "/bin/vellograph", prefix + "/bin/vellograph-cli",
          share + "/applications/vellograph.desktop", share + "/mime/packages/vellograph.xml",
          share + "/icons/hicolor/scalable/apps/vellograph.svg",
          share + "/icons/hicolor/scalable/mimetypes/application-x-vellograph3.svg"}) {
        EXPECT_TRUE(test::Exists(file)) << file;
        if (file.ends_with(".svg") && test::HaveProgram("xmllint")) {
            EXPECT_EQ(test::Run({"xmllint", "--noout", file}).exitCode, 0) << file;
        }
    }
    if (test::HaveProgram("desktop-file-validate")) {
        const auto check =
            test::Run({"desktop-file-validate", share + "/applications/vellograph.desktop"});
        EXPECT_EQ(check.exitCode, 0) << check.output;
    }
    if (!test::HaveProgram("update-mime-database")) {
        GTEST_SKIP() << "update-mime-database is not installed";
    }
    ASSERT_EQ(test::Run({"update-mime-database", share + "/mime"}).exitCode, 0);

    // The installed type alone, without any association step, names a drawing
    // by its extension and a renamed one by its header.
    const std::string drawing = desktop.root() + "/a.vlgf";
    const std::string bare = desktop.root() + "/renamed";
    test::WriteFile(drawing, "W1251 -=CreaTed by Vellograph 3.0=-\nm0A0B\n");
    test::WriteFile(bare, "W1251 -=CreaTed by Vellograph 3.0=-\nm0A0B\n");
    const char* old = std::getenv("XDG_DATA_DIRS");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_DIRS", (share + ":/usr/share").c_str(), 1);
    const auto types = test::MimeTypesInChild({drawing, bare});
    old ? setenv("XDG_DATA_DIRS", saved.c_str(), 1) : unsetenv("XDG_DATA_DIRS");
    EXPECT_EQ(types,
              (std::vector<std::string>{"application/x-vellograph3", "application/x-vellograph3"}));
}

} // namespace
} // namespace vellograph
