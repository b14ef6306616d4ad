// Replay videos: where the frames fall, what ffmpeg made of them, and runs
// that fail or are interrupted leaving nothing behind.
#include "cli/export/export_replay.h"
#include "cli/export/video_export.h"
#include "tests/cli/video_test_support.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_drawing.h"
#include "tests/support/test_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pty.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vellograph;
using namespace vellograph::cli;
using namespace vellograph::test;

extern char** environ;

namespace {

constexpr int W = 64, H = 48;

// The PSNR of two BGRX pictures' luma (BT.709 weights). yuv420p keeps
// colour at half resolution, which blurs the rims of thin coloured lines
// far below 35 dB in RGB on a picture this small; brightness it keeps.
double LumaPsnr(const std::uint8_t* a, const std::uint8_t* b, std::size_t pixels) {
    auto luma = [](const std::uint8_t* p) { return 0.0722 * p[0] + 0.7152 * p[1] + 0.2126 * p[2]; };
    double sum = 0;
    for (std::size_t i = 0; i < pixels * 4; i += 4) {
        sum += (luma(a + i) - luma(b + i)) * (luma(a + i) - luma(b + i));
    }
    return sum == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * pixels / sum);
}

} // namespace

TEST(ExportVideo, FramesFollowRecordsDelaysFillsAndTheHold) {
    TRecords lines(10, Line(1, 1)), ended = lines;
    ended[2] = MakeEndMarker();
    TRecords paused = {Line(1, 1), Delay(1000), Line(1, 1),
                                        Line(1, 1), Line(1, 1),  Line(1, 1)};
    const TRecords fills(4, Fill(0xFFFFFF));
    using S = VideoTimeline::Stretch;
    const struct {
        TRecords records;
        std::int32_t perFrame;
        int fps;
        std::int64_t hold;
        std::vector<S> stretches;
    } cases[] = {
        {lines, 4, 30, 0, {{4, 1}, {8, 1}, {10, 1}}},
        {lines, 4, 30, 60, {{4, 1}, {8, 1}, {10, 61}}},
        {lines, 100, 30, 0, {{10, 1}}},
        {ended, 5, 30, 3, {{2, 4}}},                              // the end marker ends it
        {{}, 5, 30, 3, {{0, 4}}},                                 // one white frame
        {paused, 4, 30, 0, {{2, 30}, {4, 1}, {6, 1}}},            // a second at 30 fps
        {fills, 100, 30, 0, {{4, 2}}},                            // 4 x 10 ms carried into 1 frame
        {{Delay(0), Delay(12000)}, 1, 10, 0, {{1, 1}, {2, 101}}}, // 1 ms carried, 10 s at most
    };
    for (const auto& c : cases) {
        const TAVecImage d = MakeDrawing(c.records);
        VideoTimeline timeline(d, c.perFrame, c.fps, c.hold);
        std::int64_t total = 0;
        std::vector<S> seen;
        std::int32_t at = 0;
        do {
            seen.push_back(timeline.next(at));
            total += seen.back().frames;
            at = seen.back().end;
        } while (at < timeline.played());
        ASSERT_EQ(seen.size(), c.stretches.size()) << c.records.size();
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].end, c.stretches[i].end) << i;
            EXPECT_EQ(seen[i].frames, c.stretches[i].frames) << i;
        }
        EXPECT_EQ(VideoTimeline(d, c.perFrame, c.fps, c.hold).totalFrames(), total);
    }
    EXPECT_EQ(DefaultRecordsPerFrame(100000, 30), 167); // 599 frames, about 20 s
    EXPECT_EQ(DefaultRecordsPerFrame(5, 30), 1);
}

TEST(ExportVideo, EachFormatHasTheFramesAndTheLastPictureOfTheReplay) {
    if (!HaveFfmpeg()) {
        GTEST_SKIP() << "ffmpeg is not installed";
    }
    TempDir dir;
    WriteBytes(dir.file("in.vlgf"), DrawingFile(Sketch()));
    TAVecImage drawing = MakeDrawing(Sketch());
    // 3 records a frame at 10 fps: frames after records 3 and 6, ten more
    // for the delay, after 9 and 12, and 5 for the half second of hold.
    const std::vector<std::string> options = {
        "--size", "64x48", "--records-per-frame", "3", "--fps", "10", "--hold", "0.5"};
    const struct {
        const char* name;
        bool fit;
        double minPsnr; // 99: exact
    } cases[] = {{"out.mp4", false, 35}, {"out.webm", false, 35}, {"out.gif", true, 99}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"video", dir.file("in.vlgf"), dir.file(c.name)};
        args.insert(args.end(), options.begin(), options.end());
        if (c.fit) {
            args.push_back("--fit");
        }
        const Outcome r = Cli(dir, "", args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, ""); // no progress when standard error is a file
        std::istringstream probe(Shell("ffprobe -v error -count_frames -select_streams v:0 "
                                       "-show_entries stream=nb_read_frames:format=duration "
                                       "-of default=nw=1:nk=1 '" +
                                       dir.file(c.name) + "'"));
        long frames = 0;
        double seconds = 0;
        probe >> frames >> seconds;
        EXPECT_EQ(frames, 19);
        EXPECT_NEAR(seconds, 1.9, 0.02);

        const std::string decoded =
            Shell("ffmpeg -v error -i '" + dir.file(c.name) + "' -f rawvideo -pix_fmt bgr0 pipe:1");
        ASSERT_EQ(decoded.size(), 19u * W * H * 4);
        TCanvas expected;
        RenderPicture(expected, W, H, drawing, c.fit ? FitView(drawing, W, H) : DefaultView);
        const auto* last = reinterpret_cast<const std::uint8_t*>(decoded.data() + 18 * W * H * 4);
        EXPECT_GE(LumaPsnr(last, reinterpret_cast<const std::uint8_t*>(expected.bits()), W * H),
                  c.minPsnr);
    }
    EXPECT_EQ(Listing(dir.path()),
              (std::set<std::string>{"in.vlgf", "out.gif", "out.mp4", "out.webm"}));
}

TEST(ExportVideo, FailedAndInterruptedRunsLeaveNoFile) {
    TempDir dir;
    WriteBytes(dir.file("in.vlgf"), DrawingFile(Sketch()));
    std::filesystem::create_directories(dir.file("bin"));
    std::filesystem::create_directories(dir.file("out"));
    const std::string out = dir.file("out/replay.mp4"), fake = dir.file("bin/ffmpeg");
    const std::vector<std::string> args = {"video", dir.file("in.vlgf"), out, "--size", "64x48"};
    const std::string path = "PATH='" + dir.file("bin") + "':/usr/bin:/bin";
    const struct {
        const char* script; // none: no ffmpeg at all
        std::string env;
        const char* says;
    } cases[] = {
        {nullptr, "PATH='" + dir.file("bin") + "'", "not installed or not on PATH"},
        {"head -c 30000 >/dev/null; echo '[libx264 @ 0x1] the disk is on fire' >&2; exit 1", path,
         "ffmpeg failed: the disk is on fire"},
        {"exit 0", path, "stopped reading"},
        {"kill -9 $$", path, "signal 9"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        std::filesystem::remove(fake);
        if (c.script) {
            WriteBytes(fake, std::string("#!/bin/sh\n") + c.script + "\n");
            std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
        }
        const Outcome r = Cli(dir, c.env, args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(Listing(dir.file("out")).empty());
    }

    // SIGTERM while ffmpeg holds the frames: the process ends by the signal,
    // ffmpeg goes with it, and neither the video nor the file beside it stays.
    const std::string started = dir.file("started");
    WriteBytes(fake, "#!/bin/sh\necho $$ >'" + started + "'\nexec sleep 30\n");
    std::filesystem::permissions(fake, std::filesystem::perms::owner_all);
    const std::string envPath = "PATH=" + dir.file("bin") + ":/usr/bin:/bin";
    std::vector<std::string> words = {VELLOGRAPH_CLI};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv, envp = {const_cast<char*>(envPath.c_str()), nullptr};
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(::posix_spawn(&pid, VELLOGRAPH_CLI, nullptr, nullptr, argv.data(), envp.data()), 0);
    for (int i = 0; i < 1000 && ReadBytes(started).find('\n') == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const pid_t ffmpeg = std::atoi(ReadBytes(started).c_str());
    ASSERT_GT(ffmpeg, 0);
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(Listing(dir.file("out")).empty());
    EXPECT_NE(::kill(ffmpeg, 0), 0); // killed and reaped
}

TEST(ExportVideo, FramesShowProgressOnlyOnATerminalAndNotWhenQuiet) {
    TempDir dir;
    WriteBytes(dir.file("in.vlgf"), DrawingFile(Sketch()));
    for (const bool quiet : {false, true}) {
        int master = -1;
        const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            std::freopen("/dev/null", "w", stdout);
            const std::string in = dir.file("in.vlgf"), frames = dir.file("frames");
            const char* quietFlag = quiet ? "--quiet" : nullptr;
            ::execl(VELLOGRAPH_CLI, VELLOGRAPH_CLI, "frames", in.c_str(), frames.c_str(), "--every",
                    "4", "--size", "16x16", quietFlag, static_cast<char*>(nullptr));
            ::_exit(127);
        }
        std::string seen;
        char buffer[1024];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) {
            seen.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(master);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_EQ(status, 0);
        if (quiet) {
            EXPECT_EQ(seen, "");
        } else {
            EXPECT_NE(seen.find("frame 3/3  100%"), std::string::npos) << seen;
        }
    }
}
