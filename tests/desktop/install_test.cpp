// cmake --install into a temporary prefix: the desktop entry, MIME package, icons, metadata,
// manual pages and completion validate, and the documents name every option the tool has.
#include "tests/desktop/desktop_test_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

namespace vellograph {
namespace {

constexpr char Header[] = "W1251 -=CreaTed by Vellograph 3.0=-\n";
const std::vector<std::string> Commands = {"info",  "dump",   "resave",    "render", "svg",
                                           "frames", "video", "slides", "thumbnail", "html"};

// Installs the build into a prefix below the desktop's folder; returns the prefix.
std::string Install(const test::TempDesktop& desktop) {
    const std::string prefix = desktop.root() + "/prefix with space";
    const auto install = test::Run(
        {VELLOGRAPH_CMAKE_COMMAND, "--install", VELLOGRAPH_BINARY_DIR, "--prefix", prefix});
    EXPECT_EQ(install.exitCode, 0) << install.output;
    return prefix;
}

// A shell command's standard error alone, with the arguments as $1, $2...
test::ProcessResult ErrorsOf(const std::string& script, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"sh", "-c", script + " 2>&1 >/dev/null", "sh"};
    argv.insert(argv.end(), args.begin(), args.end());
    return test::Run(argv);
}

// The long options a command's --help names.
std::set<std::string> OptionsInHelp(const std::string& cli, const std::string& command) {
    const std::string help = test::Run({cli, command, "--help"}).output;
    const std::regex option("--[a-z][a-z-]*");
    std::set<std::string> options;
    for (auto it = std::sregex_iterator(help.begin(), help.end(), option);
         it != std::sregex_iterator(); ++it) {
        options.insert(it->str());
    }
    options.insert("--help");
    return options;
}

TEST(Install, PutsAValidDesktopEntryMimePackageIconsAndMetadata) {
    test::TempDesktop desktop;
    const std::string prefix = Install(desktop);
    const std::string share = prefix + "/share";
    const std::string entry = share + "/applications/org.example.vellograph.Vellograph.desktop";
    const std::string metainfo = share + "/metainfo/org.example.vellograph.Vellograph.metainfo.xml";
    for (const std::string& file :
         {prefix + "/bin/vellograph", prefix + "/bin/vellograph-cli", entry, metainfo,
          share + "/mime/packages/vellograph.xml",
          share + "/icons/hicolor/scalable/apps/vellograph.svg",
          share + "/icons/hicolor/scalable/mimetypes/application-x-vellograph3.svg"}) {
        EXPECT_TRUE(test::Exists(file)) << file;
        if (file.ends_with(".svg") && test::HaveProgram("xmllint")) {
            EXPECT_EQ(test::Run({"xmllint", "--noout", file}).exitCode, 0) << file;
        }
    }
    if (test::HaveProgram("desktop-file-validate")) {
        const auto check = test::Run({"desktop-file-validate", entry});
        EXPECT_EQ(check.exitCode, 0) << check.output;
    }
    if (test::HaveProgram("appstreamcli")) {
        // The tree check also finds the entry the metadata names as its launchable.
        for (const auto& argv :
             {std::vector<std::string>{"appstreamcli", "validate", "--no-net", metainfo},
              {"appstreamcli", "validate-tree", "--no-net", prefix}}) {
            const auto check = test::Run(argv);
            EXPECT_EQ(check.exitCode, 0) << argv[1] << "\n" << check.output;
        }
    }
    if (!test::HaveProgram("update-mime-database")) {
        GTEST_SKIP() << "update-mime-database is not installed";
    }
    ASSERT_EQ(test::Run({"update-mime-database", share + "/mime"}).exitCode, 0);

    // The installed type alone, without any association step, names a drawing
    // by its extension and a renamed one by its header.
    const std::string drawing = desktop.root() + "/a.vlgf";
    const std::string bare = desktop.root() + "/renamed";
    test::WriteFile(drawing, std::string(Header) + "m0A0B\n");
    test::WriteFile(bare, std::string(Header) + "m0A0B\n");
    setenv("XDG_DATA_DIRS", (share + ":/usr/share").c_str(), 1);
    EXPECT_EQ(test::MimeTypesInChild({drawing, bare}),
              (std::vector<std::string>{"application/x-vellograph3", "application/x-vellograph3"}));
}

TEST(Install, ManualPagesRenderWithoutWarningsAndNameEveryOption) {
    if (!test::HaveProgram("man")) {
        GTEST_SKIP() << "man is not installed";
    }
    test::TempDesktop desktop;
    const std::string prefix = Install(desktop);
    for (const char* page : {"vellograph.1.gz", "vellograph-cli.1.gz"}) {
        const std::string path = prefix + "/share/man/man1/" + page;
        ASSERT_TRUE(test::Exists(path)) << path;
        const auto rendered =
            ErrorsOf("LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings=w -l \"$1\"", {path});
        EXPECT_EQ(rendered.exitCode, 0) << page;
        EXPECT_EQ(rendered.output, "") << page;
    }
    std::string source = test::ReadFile(VELLOGRAPH_SOURCE_DIR "/data/man/vellograph-cli.1");
    source = std::regex_replace(source, std::regex(R"(\\-)"), "-");
    for (const std::string& command : Commands) {
        EXPECT_NE(source.find(".B vellograph-cli " + command), std::string::npos) << command;
        for (const std::string& option : OptionsInHelp(prefix + "/bin/vellograph-cli", command)) {
            EXPECT_NE(source.find(option), std::string::npos) << command << " " << option;
        }
    }
}

TEST(Install, BashCompletesCommandsOptionsAndTheFilesEachNameStandsFor) {
    const std::string bashCompletion = "/usr/share/bash-completion/bash_completion";
    if (!test::HaveProgram("bash") || !test::Exists(bashCompletion)) {
        GTEST_SKIP() << "bash-completion is not installed";
    }
    test::TempDesktop desktop;
    const std::string prefix = Install(desktop);
    const std::string files = desktop.root() + "/files";
    for (const char* name :
         {"a.vlgf", "B.VLGF", "notes.txt", "p.png", "q.bmp", "m.mp4", "h.pdf", "d/x"}) {
        test::WriteFile(files + "/" + name, "");
    }
    // bash-completion finds the script by the command's name below the data
    // folders, as it would once installed.
    const std::string script = "cd \"$2\" && XDG_DATA_DIRS=\"$1/share\" && . " + bashCompletion +
                               R"( && __load_completion vellograph-cli || exit 9
complete=$(complete -p vellograph-cli) && fn=${complete##*-F } && fn=${fn%% *}
while IFS= read -r line; do
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_LINE=$line COMP_POINT=${#line} COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMPREPLY=()
    "$fn" vellograph-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    ((${#COMPREPLY[@]})) && printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
    echo
done)";
    struct Case {
        std::string line, offered;
    };
    std::vector<Case> cases = {
        {"vellograph-cli ",
         "--help dump frames help html info render resave slides svg thumbnail video "},
        {"vellograph-cli video a.vlgf --frame ", "landscape portrait square "},
        {"vellograph-cli slides a.vlgf ", "d h.pdf "},
        {"vellograph-cli video --f", "--fit --fps --frame "},
        {"vellograph-cli info ", "B.VLGF a.vlgf d "},
        {"vellograph-cli render a.vlgf ", "d p.png q.bmp "},
        {"vellograph-cli video a.vlgf --fps 30 ", "d m.mp4 "},
        {"vellograph-cli video a.vlgf --fps ", ""},
        {"vellograph-cli frames a.vlgf ", "d "},
        {"vellograph-cli thumbnail a.vlgf t.png ", ""},
        {"vellograph-cli html a.vlgf ", "d "},
    };
    // Every option a command's help names, and only those.
    for (const std::string& command : Commands) {
        std::string options;
        for (const std::string& option : OptionsInHelp(prefix + "/bin/vellograph-cli", command)) {
            options += option + " ";
        }
        cases.push_back({"vellograph-cli " + command + " a.vlgf --", options});
    }
    std::string input;
    for (const Case& c : cases) {
        input += c.line + "\n";
    }
    test::WriteFile(desktop.root() + "/lines", input);
    const auto completed = test::Run(
        {"bash", "-c", script + " < \"$3\"", "bash", prefix, files, desktop.root() + "/lines"});
    ASSERT_EQ(completed.exitCode, 0) << completed.output;
    std::vector<std::string> offered;
    std::istringstream lines(completed.output);
    for (std::string line; std::getline(lines, line);) {
        offered.push_back(line);
    }
    ASSERT_EQ(offered.size(), cases.size()) << completed.output;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(offered[i], cases[i].offered) << "[" << cases[i].line << "]";
    }
}

} // namespace
} // namespace vellograph
