// The replay as a video: where its frames fall, how ffmpeg encodes them, and
// the whole export.
#pragma once

#include "engine/format/drawing.h"
#include "engine/playback/view.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vellograph::cli {

enum class VideoFormat { Mp4, WebM, Gif };

// The format a file name's extension asks for, case aside; false for none.
bool VideoFormatOf(const std::string& path, VideoFormat& format);

inline constexpr int DefaultFps = 30;
inline constexpr double DefaultHoldSeconds = 2;
inline constexpr int DefaultReplaySeconds = 20;
inline constexpr int MaxFps = 120;
// GIF frames last whole hundredths of a second, and viewers slow down frames
// shorter than two of them.
inline constexpr int MaxGifFps = 50;

// Records per frame for strokes that last about 20 seconds, at least 1.
std::int32_t DefaultRecordsPerFrame(std::int32_t played, int fps);

// Where the frames fall in a replay from record 0. A frame shows the picture
// after every `recordsPerFrame` records, counted from record 0, and after the
// last one. A delay record holds the picture after it for its time (1 to
// 10000 ms, as playback clamps it) and a fill for 10 ms: that time becomes
// whole frames of the same picture, the fractions carried on to the next hold
// so that no time is lost. The last picture gets holdFrames more frames. A
// drawing with nothing to play gives one white frame and the hold.
class VideoTimeline {
public:
    VideoTimeline(const TAVecImage& drawing, std::int32_t recordsPerFrame, int fps,
                  std::int64_t holdFrames);

    struct Stretch {
        std::int32_t end;    // records played once the stretch is done
        std::int64_t frames; // frames showing the picture then
    };
    // The stretch that starts at record `start`, the end of the previous one.
    Stretch next(std::int32_t start);
    // All frames of the replay, without disturbing this timeline.
    std::int64_t totalFrames() const;
    std::int32_t played() const { return played_; }

private:
    const TAVecImage* drawing_;
    std::int32_t played_;
    std::int32_t perFrame_;
    int fps_;
    std::int64_t holdFrames_;
    std::int64_t carry_ = 0; // held time not yet a whole frame, in ms x fps
};

// ffmpeg's arguments: raw frames (BGRX words, as the canvas holds them) from
// `input`, written to `output` as the format asks. MP4 is H.264 in yuv420p,
// an odd side padded with one white column or row; WebM is VP9; both are
// marked as BT.709 colour. A GIF also reads its palette from pipe:3.
std::vector<std::string> EncoderArgs(VideoFormat format, int width, int height, int fps,
                                     const std::string& input, const std::string& output);
// The first pass of a GIF: the palette built from all the frames, written to
// standard output as PaletteBytes of 16 x 16 BGRA colours.
std::vector<std::string> PaletteArgs(int width, int height, int fps, const std::string& input);
inline constexpr std::size_t PaletteBytes = 16 * 16 * 4;

struct VideoSettings {
    VideoFormat format = VideoFormat::Mp4;
    int width = DefaultView.ExtentX;
    int height = DefaultView.ExtentY;
    TViewParams view = DefaultView;
    bool fit = false;                 // fit the drawing's box instead of `view`
    std::int32_t recordsPerFrame = 0; // 0: DefaultRecordsPerFrame
    int fps = DefaultFps;
    double holdSeconds = DefaultHoldSeconds;
    bool quiet = false; // no progress line
};

struct VideoSummary {
    std::int64_t frames = 0;
    std::int32_t recordsPerFrame = 0;
};

// Reads IN and writes OUT beside itself and renamed into place, the frames
// streamed to ffmpeg and never all held or stored. Throws a CliError on
// failure and Interrupted on SIGINT, SIGTERM or SIGHUP; either way nothing
// is left under OUT's name or beside it.
VideoSummary MakeVideo(const std::string& in, const std::string& out,
                       const VideoSettings& settings);

} // namespace vellograph::cli
