// Exec lines and command lines: quoting by hand-worked examples, and a real launch of an awkward
// path.
#include "desktop/association.h"
#include "desktop/desktop_entry.h"
#include "tests/desktop/desktop_test_env.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <sys/stat.h>
#include <thread>

namespace vellograph {
namespace {

TEST(ExecLine, QuotesByTheDesktopEntryRules) {
    const std::pair<const char*, const char*> cases[] = {
        {"/usr/bin/vellograph", "/usr/bin/vellograph"},
        {"/opt/my apps/vg", "\"/opt/my apps/vg\""},
        // Quoting puts a backslash before " ` $ \; the string escapes then
        // double every backslash.
        {"/a\"b", "\"/a\\\\\"b\""},
        {"/a$b", "\"/a\\\\$b\""},
        {"/a`b", "\"/a\\\\`b\""},
        {"/a\\b", "\"/a\\\\\\\\b\""},
        {"/a'b", "\"/a'b\""},
        {"/100%", "/100%%"},
        {"/x y/100%", "\"/x y/100%%\""},
        {"", "\"\""},
    };
    for (const auto& [arg, quoted] : cases) {
        EXPECT_EQ(QuoteExecArgument(arg), quoted) << arg;
        EXPECT_EQ(ExecProgram(std::string(quoted) + " %f"), arg) << quoted;
    }
    // Entries written by hand often leave out the string escape's backslash.
    EXPECT_EQ(ExecProgram(" \"/opt/a\\\"b\" --new %U"), "/opt/a\"b");
}

TEST(ExecLine, AwkwardProgramPathsGoThroughALink) {
    EXPECT_FALSE(NeedsLauncherLink("/opt/Рисунки/my \"vg\" $x \\ `y`"));
    for (const char* path : {"/a%b", "/a=b", "/a\nb", "/a\tb", "/a\x7f", "/a\xff", "/\xd0",
                             "/\xc0\xaf" /* overlong '/' */, "/\xed\xa0\x80" /* surrogate */}) {
        EXPECT_TRUE(NeedsLauncherLink(path)) << path;
    }
}

TEST(CommandLine, SplitsLikeTheProgramsOwnCommandLine) {
    using Args = std::vector<std::string>;
    EXPECT_EQ(ParseOpenCommand("\"C:\\Apps\\draw.exe\" \"%1\""),
              (Args{"C:\\Apps\\draw.exe", "%1"}));
    EXPECT_EQ(ParseOpenCommand("\"/my \"odd\" dir/vg\" \"%1\""),
              (Args{"/my \"odd\" dir/vg", "%1"}));
    EXPECT_EQ(SplitCommandLine(" \t prog  \"a b\"c  \"\"x \"open"),
              (Args{"prog", "a bc", "x", "open"}));
    EXPECT_EQ(SplitCommandLine("\"\" \"\""), Args{});
}

// Reads an Exec value as a launcher does: string escapes, then quoting, then
// field codes (%f is the file, %% a percent sign).
std::vector<std::string> LaunchArguments(std::string_view exec, const std::string& file) {
    std::string value;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '\\' || i + 1 == exec.size()) {
            value += exec[i];
            continue;
        }
        switch (const char c = exec[++i]) {
        case 's':
            value += ' ';
            break;
        case 'n':
            value += '\n';
            break;
        case 't':
            value += '\t';
            break;
        case 'r':
            value += '\r';
            break;
        case '\\':
            value += '\\';
            break;
        default:
            value += {'\\', c};
            break;
        }
    }
    std::vector<std::string> args;
    for (std::size_t i = 0; i < value.size();) {
        if (value[i] == ' ') {
            ++i;
            continue;
        }
        std::string arg;
        if (value[i] == '"') {
            for (++i; i < value.size() && value[i] != '"'; ++i) {
                if (value[i] == '\\' && i + 1 < value.size()) {
                    ++i;
                }
                arg += value[i];
            }
            ++i;
        } else {
            while (i < value.size() && value[i] != ' ') {
                arg += value[i++];
            }
        }
        std::string expanded;
        for (std::size_t k = 0; k < arg.size(); ++k) {
            if (arg[k] == '%' && k + 1 < arg.size()) {
                expanded += arg[k + 1] == 'f' ? file : std::string(1, arg[k + 1]);
                ++k;
            } else {
                expanded += arg[k];
            }
        }
        args.push_back(expanded);
    }
    return args;
}

std::string ExecOfMainGroup(const std::string& entry) {
    const auto start = entry.find("\nExec=");
    const auto end = entry.find('\n', start + 1);
    return start == std::string::npos ? "" : entry.substr(start + 6, end - start - 6);
}

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 500 && !test::Exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return test::ReadFile(path);
}

TEST(ExecLine, LaunchesExactlyTheRegisteredProgramWithTheFile) {
    namespace fs = std::filesystem;
    for (const bool withPercent : {false, true}) {
        const std::string dirName = std::string("dir with \"quotes\" 'single' $HOME `x` \\ back") +
                                    (withPercent ? " 100%" : "");
        test::TempDesktop desktop;
        const std::string program = desktop.root() + "/" + dirName + "/my prog";
        desktop.setProgramPath(program);
        fs::create_directories(fs::path(program).parent_path());
        // Writes its arguments where the test looks, one per line.
        test::WriteFile(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"$VG_ARGS.part\" && "
                                 "mv \"$VG_ARGS.part\" \"$VG_ARGS\"\n");
        chmod(program.c_str(), 0755);
        const std::string drawing = desktop.root() + "/my drawings/a b.vlgf";
        test::WriteFile(drawing, "W1251 -=CreaTed by Vellograph 3.0=-\n");
        const std::string argsFile = desktop.root() + "/args";
        setenv("VG_ARGS", argsFile.c_str(), 1);

        AssociateExtension();
        const auto args =
            LaunchArguments(ExecOfMainGroup(test::ReadFile(desktop.desktopEntry())), drawing);
        ASSERT_EQ(args.size(), 2u) << withPercent;
        EXPECT_EQ(args[1], drawing);
        if (withPercent) {
            EXPECT_EQ(fs::read_symlink(args[0]).string(), program);
        } else {
            EXPECT_EQ(args[0], program);
        }
        EXPECT_EQ(test::Run(args).exitCode, 0);
        EXPECT_EQ(WaitForFile(argsFile), drawing + "\n");

        // And as GLib reads the entry, where it is installed.
        if (test::HaveProgram("gio")) {
            fs::remove(argsFile);
            test::Run({"gio", "launch", desktop.desktopEntry(), drawing});
            EXPECT_EQ(WaitForFile(argsFile), drawing + "\n") << "gio launch, " << withPercent;
        }
        unsetenv("VG_ARGS");
    }
}

} // namespace
} // namespace vellograph
