// vellograph-cli render: bad input, bad options and unwritable output.
#include "tests/cli/render_cli_fixture.h"

#include <algorithm>

using namespace vellograph;
using namespace vellograph::test;

namespace {

// One line on standard error, nothing on standard output, nothing written.
void ExpectRefused(const Outcome& r, int status, const std::string& mention) {
    EXPECT_EQ(r.status, status) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_EQ(r.err.rfind("vellograph-cli: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(mention), std::string::npos) << r.err;
}

TEST_F(RenderCli, RefusesBadCommandLinesWithUsageStatus) {
    const std::string in = WriteDrawing("cross.vlgf", Cross()).string();
    const std::string out = (dir / "out" / "x.png").string();
    const struct {
        std::vector<std::string> args;
        const char* mention;
    } cases[] = {
        {{}, "got 0"},
        {{in}, "got 1"},
        {{in, out, "third"}, "got 3"},
        {{in, out, "--size"}, "needs a value"},
        {{in, out, "--colour", "red"}, "unknown option '--colour'"},
        {{in, out, "-s", "3x3"}, "unknown option '-s'"},
        {{in, out, "--size", "0x0"}, "bad --size '0x0'"},
        {{in, out, "--size", "100000x100000"}, "bad --size"},
        {{in, out, "--size", "16385x1"}, "bad --size"},
        {{in, out, "--size", "16384x16384"}, "bad --size"}, // too many pixels in all
        {{in, out, "--size", "-5x5"}, "bad --size"},
        {{in, out, "--size", "12x"}, "bad --size"},
        {{in, out, "--size", "12x12x"}, "bad --size"},
        {{in, out, "--size", "12 x 12"}, "bad --size"},
        {{in, out, "--size="}, "bad --size"},
        {{in, out, "--origin", "1"}, "bad --origin"},
        {{in, out, "--origin", "1,2,3"}, "bad --origin"},
        {{in, out, "--origin", "99999999999,0"}, "bad --origin"},
        {{in, out, "--scale", "abc"}, "bad --scale"},
        {{in, out, "--scale", "0"}, "bad --scale"},
        {{in, out, "--scale", "-1"}, "bad --scale"},
        {{in, out, "--scale", "nan"}, "bad --scale"},
        {{in, out, "--scale", "1e9"}, "bad --scale"},
        {{in, out, "--scale", "1,5"}, "bad --scale"},
        {{in, out, "--angle", "inf"}, "bad --angle"},
        {{in, out, "--angle", ""}, "bad --angle"},
        {{in, (dir / "out" / "x.jpg").string()}, "must end in .bmp or .png"},
        {{in, (dir / "out" / "png").string()}, "must end in .bmp or .png"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        ExpectRefused(Run(c.args), 2, c.mention);
    }
    // A drawing whose name fits an output is not overwritten by its picture.
    const std::string self = WriteDrawing("self.png", Cross()).string();
    ExpectRefused(Run({self, self}), 2, "is the input drawing itself");
    EXPECT_EQ(ReadBytes(self).size(), HeaderSize + 6 * Cross().size());
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

TEST_F(RenderCli, FailsOnUnreadableInputOrUnwritableOutput) {
    const std::string in = WriteDrawing("cross.vlgf", Cross()).string();
    std::ofstream(dir / "out" / "kept.bmp") << "keep me";
    fs::create_directory(dir / "out" / "folder.png");
    const struct {
        std::string in;
        std::string out;
        const char* mention;
    } cases[] = {
        {(dir / "missing.vlgf").string(), "kept.bmp", "No such file or directory"},
        {dir.string(), "kept.bmp", "not a regular file"},
        {"/dev/null", "kept.bmp", "not a regular file"},
        {in, "missing/x.bmp", "cannot write '"},
        {in, "missing/x.png", "No such file or directory"},
        {in, "folder.png", "Is a directory"},
        {in, "kept.bmp/x.bmp", "Not a directory"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in + " -> " + c.out);
        ExpectRefused(Run({c.in, (dir / "out" / c.out).string(), "--size", "10x8"}), 1, c.mention);
    }
    EXPECT_EQ(Listing(dir / "out"), (std::set<std::string>{"folder.png", "kept.bmp"}));
    EXPECT_TRUE(fs::is_empty(dir / "out" / "folder.png"));
    EXPECT_EQ(ReadBytes(dir / "out" / "kept.bmp"), "keep me");
}

TEST_F(RenderCli, AWriteThatFailsHalfWayLeavesNoPicture) {
    const std::string in = WriteDrawing("cross.vlgf", Cross()).string();
    std::ofstream(dir / "out" / "kept.bmp") << "keep me";
    for (const char* name : {"kept.bmp", "new.png"}) {
        SCOPED_TRACE(name);
        // A 200-byte file size limit stops both writes part of the way.
        const Outcome r =
            Run({in, (dir / "out" / name).string(), "--size", "300x300"}, "prlimit --fsize=200 ");
        ExpectRefused(r, 1, "cannot write '");
    }
    EXPECT_EQ(Listing(dir / "out"), std::set<std::string>{"kept.bmp"});
    EXPECT_EQ(ReadBytes(dir / "out" / "kept.bmp"), "keep me");
}

} // namespace
