// Video pacing, framing and narration: the lengths ffprobe reads, a GIF under
// its size limit, and a narration that cannot be read.
#include "tests/cli/video_test_support.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace vellograph;
using namespace vellograph::test;

// Pacing, framing and narration, as ffprobe reads the files: the Sketch's
// 12 records at 10 frames a second, with its one-second delay.
TEST(ExportVideo, PaceFramingAndSoundGiveTheLengthsAsked) {
    if (!HaveFfmpeg()) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    TempDir dir;
    WriteBytes(dir.file("in.vlgf"), DrawingFile(Sketch()));
    const std::string tone = dir.file("tone.wav");
    Shell("ffmpeg -v error -f lavfi -i sine=frequency=440:duration=2 -y '" + tone + "'");
    const struct {
        const char* name;
        std::vector<std::string> options;
        double seconds;
        const char* streams; // ffprobe's codec types, widths and heights
    } cases[] = {
        {"d.mp4", {"--duration", "2", "--hold", "0"}, 3.0, "video,64,48"}, // and the delay
        {"skip.mp4", {"--duration", "2", "--hold", "0", "--delays", "skip"}, 2.0, "video,64,48"},
        {"short.mp4", {"--duration", "2", "--hold", "0", "--delays", "shorten:0.5"}, 2.5, nullptr},
        {"intro.mp4",
         {"--duration", "1", "--hold", "0.5", "--intro", "1", "--delays", "skip"},
         2.5,
         nullptr},
        {"fast.mp4", {"--speed", "2", "--hold", "0", "--delays", "skip"}, 0.6, nullptr},
        {"talk.mp4",
         {"--duration", "audio", "--audio", tone, "--hold", "0"},
         2.0,
         "video,64,48\naudio"},
        {"talk.webm", {"--duration", "audio", "--audio", tone}, 2.0, "video,64,48\naudio"},
        {"square.mp4",
         {"--frame", "square", "--duration", "0.2", "--fps", "5", "--hold", "0", "--delays",
          "skip"},
         0.2,
         "video,1080,1080"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {
            "video", dir.file("in.vlgf"), dir.file(c.name), "--fps", "10", "--size", "64x48"};
        if (c.options[0] == "--frame") {
            args.resize(3);
        }
        args.insert(args.end(), c.options.begin(), c.options.end());
        const Outcome r = Cli(dir, "", args);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string file = " '" + dir.file(c.name) + "'";
        EXPECT_NEAR(
            std::atof(
                Shell("ffprobe -v error -show_entries format=duration -of csv=p=0" + file).c_str()),
            c.seconds, 0.05);
        if (c.streams) {
            EXPECT_EQ(Shell("ffprobe -v error -show_entries stream=codec_type,width,height -of "
                            "csv=p=0" +
                            file),
                      std::string(c.streams) + "\n");
        }
    }

    // A GIF under a size limit: a lower frame rate, the length kept.
    const std::vector<std::string> gif = {
        "video", dir.file("in.vlgf"), dir.file("small.gif"), "--size", "160x120", "--hold", "0"};
    std::vector<std::string> limited = gif;
    ASSERT_EQ(Cli(dir, "", gif).status, 0);
    const auto full = std::filesystem::file_size(dir.file("small.gif"));
    limited.insert(limited.end(), {"--max-bytes", std::to_string(full * 3 / 4)});
    ASSERT_EQ(Cli(dir, "", limited).status, 0);
    EXPECT_LE(std::filesystem::file_size(dir.file("small.gif")), full * 3 / 4);

    // A narration ffmpeg cannot read fails before any frame, leaving nothing.
    const Outcome bad =
        Cli(dir, "",
            {"video", dir.file("in.vlgf"), dir.file("bad.mp4"), "--audio", dir.file("in.vlgf")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(
        bad.err.rfind("vellograph-cli: cannot read '" + dir.file("in.vlgf") + "' as sound: ", 0),
        0u)
        << bad.err;
    EXPECT_FALSE(std::filesystem::exists(dir.file("bad.mp4")));
}
