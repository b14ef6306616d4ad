// vellograph-cli html: the page's size budget, and bad input leaving no page.
#include "tests/cli/render_cli_fixture.h"

#include <algorithm>
#include <fstream>

using namespace vellograph;
using namespace vellograph::test;

namespace {

class HtmlCli : public RenderCli {
protected:
    HtmlCli() { subcommand = "html"; }
};

TEST_F(HtmlCli, ThePageIsOneFileWithinTheBudgetPlusTheDrawing) {
    const std::string in = WriteDrawing("cross.vlgf", Cross()).string();
    const std::string out = (dir / "out" / "cross.html").string();
    const Outcome r = Run({in, out, "--fit", "--size", "300x200"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string page = ReadBytes(out);
    // The drawing travels in base64; the rest is the player itself.
    const std::size_t at = page.find("id=\"drawing\">");
    ASSERT_NE(at, std::string::npos);
    const std::size_t drawing = page.find('<', at) - at;
    EXPECT_LT(page.size() - drawing, 150u * 1024);
    EXPECT_EQ(page.find("@ENGINE@"), std::string::npos);
    // No address of anything to fetch (":" is no base64 character).
    EXPECT_EQ(page.find("http:"), std::string::npos);
    EXPECT_EQ(page.find("https:"), std::string::npos);
    EXPECT_EQ(Listing(dir / "out"), std::set<std::string>{"cross.html"});
}

TEST_F(HtmlCli, BadInputGivesOneLineAndLeavesNoFile) {
    const std::string in = WriteDrawing("cross.vlgf", Cross()).string();
    std::ofstream(dir / "out" / "kept.html") << "keep me";
    fs::create_directory(dir / "out" / "folder.html");
    // A page can carry 20 million records; a sparse file of one more.
    const fs::path huge = dir / "huge.vlgf";
    std::ofstream(huge).close();
    fs::resize_file(huge, HeaderSize + 6 * 20'000'001u);
    const struct {
        std::vector<std::string> args;
        int status;
        const char* mention;
    } cases[] = {
        {{(dir / "missing.vlgf").string(), "kept.html"}, 1, "No such file or directory"},
        {{dir.string(), "kept.html"}, 1, "not a regular file"},
        {{in, "missing/x.html"}, 1, "cannot write"},
        {{in, "folder.html"}, 1, "Is a directory"},
        {{huge.string(), "kept.html"}, 1, "more than a page can carry"},
        {{in, "kept.html", "--size", "16384x8192"}, 2, "bad --size"},
        {{in, "kept.html", "--fit", "--scale", "2"}, 2, "--fit chooses the view itself"},
        {{in}, 2, "got 1"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        if (args.size() > 1) {
            args[1] = (dir / "out" / args[1]).string();
        }
        SCOPED_TRACE(testing::PrintToString(args));
        const Outcome r = Run(args);
        EXPECT_EQ(r.status, c.status) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(c.mention), std::string::npos) << r.err;
    }
    // A write cut short by a file size limit leaves the old page as it was.
    const Outcome r = Run({in, (dir / "out" / "kept.html").string()}, "prlimit --fsize=4000 ");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(Listing(dir / "out"), (std::set<std::string>{"folder.html", "kept.html"}));
    EXPECT_EQ(ReadBytes(dir / "out" / "kept.html"), "keep me");
}

} // namespace
