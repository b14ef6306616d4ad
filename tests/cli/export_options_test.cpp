// Option parsing of the export commands: accepted forms and refused values.
#include "cli_common.h"

#include <gtest/gtest.h>

using namespace vellograph;
using namespace vellograph::cli;

namespace {

int UsageStatus(void (*f)()) {
    try {
        f();
    } catch (const CliError& e) {
        return e.status();
    }
    return 0;
}

} // namespace

TEST(ExportOptions, SplitArgsTakesBothFormsAndStopsAtDoubleDash) {
    const ParsedArgs p =
        SplitArgs({"in", "--size", "10x20", "--scale=2", "--animate", "--", "--out"},
                  SurfaceOptionNames(), {"--animate"});
    EXPECT_EQ(p.positional, (std::vector<std::string>{"in", "--out"}));
    ASSERT_NE(p.value("--size"), nullptr);
    EXPECT_EQ(*p.value("--size"), "10x20");
    EXPECT_EQ(*p.value("--scale"), "2");
    EXPECT_TRUE(p.has("--animate"));
    EXPECT_FALSE(p.has("--angle"));
    // A value that looks like a negative number is still a value.
    EXPECT_EQ(*SplitArgs({"--origin", "-5,-7"}, SurfaceOptionNames()).value("--origin"), "-5,-7");

    EXPECT_EQ(UsageStatus([] { SplitArgs({"--bogus"}, SurfaceOptionNames()); }), ExitUsage);
    EXPECT_EQ(UsageStatus([] { SplitArgs({"in", "--size"}, SurfaceOptionNames()); }), ExitUsage);
    EXPECT_EQ(UsageStatus([] { SplitArgs({"--animate=1"}, {}, {"--animate"}); }), ExitUsage);
}

TEST(ExportOptions, SurfaceValuesAreReadWhole) {
    const SurfaceOptions s = ReadSurfaceOptions(
        SplitArgs({"--size", "640x480", "--origin", "-5,+7", "--scale", "0.25", "--angle", "-1.5"},
                  SurfaceOptionNames()));
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(s.height, 480);
    EXPECT_EQ(s.view.OriginX, -5);
    EXPECT_EQ(s.view.OriginY, 7);
    EXPECT_EQ(s.view.Scale, 0.25);
    EXPECT_EQ(s.view.Angle, -1.5);
    const SurfaceOptions d = ReadSurfaceOptions(SplitArgs({}, SurfaceOptionNames()));
    EXPECT_EQ(d.width, 1366);
    EXPECT_EQ(d.height, 768);

    const struct {
        const char* option;
        const char* value;
    } refused[] = {
        {"--size", "0x5"},     {"--size", "800"},
        {"--size", "800x"},    {"--size", "16385x1"},
        {"--size", " 80x60"},  {"--size", "80x60px"},
        {"--size", "8e2x600"}, {"--origin", "1;2"},
        {"--origin", "1,"},    {"--origin", "3000000000,0"},
        {"--scale", "0"},      {"--scale", "-1"},
        {"--scale", "nan"},    {"--scale", "inf"},
        {"--scale", "1e400"},  {"--scale", "1,5"},
        {"--angle", "abc"},    {"--angle", ""},
    };
    for (const auto& r : refused) {
        EXPECT_THROW(ReadSurfaceOptions(SplitArgs({r.option, r.value}, SurfaceOptionNames())),
                     CliError)
            << r.option << " " << r.value;
    }
    EXPECT_EQ(ParseInteger("N", "64", 1, 100), 64);
    EXPECT_THROW(ParseInteger("N", "101", 1, 100), CliError);
    EXPECT_THROW(ParseInteger("N", "6.4", 1, 100), CliError);
}

TEST(ExportOptions, GuardTurnsErrorsIntoOneLineAndStatus) {
    auto fails = [](const Args&) -> int { Fail("cannot read 'x': gone"); };
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(RunGuarded("svg", "usage\n", {}, fails), ExitFailure);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "vellograph-cli svg: cannot read 'x': gone\n");

    auto mustNotRun = [](const Args&) -> int { return 42; };
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(RunGuarded("svg", "usage\n", {"a", "--help"}, mustNotRun), ExitOk);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "usage\n");
    EXPECT_EQ(RunGuarded("svg", "usage\n", {"--", "--help"}, mustNotRun), 42);
}
