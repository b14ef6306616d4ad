// The replay as a video: where its frames fall, how ffmpeg encodes them, and
// the whole export.
#pragma once

#include "engine/format/drawing.h"
#include "engine/playback/view.h"

#include <algorithm>
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

// How delay records hold in the video: as in playback, at most maxMs each,
// or not at all.
struct DelayRule {
    enum Mode { Keep, Shorten, Skip } mode = Keep;
    std::int32_t maxMs = 0; // Shorten
    std::int32_t apply(std::int32_t ms) const {
        return mode == Keep ? ms : (mode == Skip ? 0 : std::min(ms, maxMs));
    }
};

// The pace of the strokes: `frames` frames for every `records` records, so
// that a replay can last any number of frames whatever its record count.
struct StrokePace {
    std::int64_t frames = 1;
    std::int64_t records = 1;
};

// The time delay and fill records hold in all, in milliseconds.
std::int64_t HeldMs(const TAVecImage& drawing, const DelayRule& delays);

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
                  std::int64_t holdFrames)
        : VideoTimeline(drawing, StrokePace{1, recordsPerFrame}, fps, holdFrames) {}
    // The frames due after record i are those that the pace puts between i
    // and i + 1 records; delays hold as the rule says.
    VideoTimeline(const TAVecImage& drawing, StrokePace pace, int fps, std::int64_t holdFrames,
                  DelayRule delays = {});

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
    StrokePace pace_;
    int fps_;
    DelayRule delays_;
    std::int64_t holdFrames_;
    std::int64_t carry_ = 0; // held time not yet a whole frame, in ms x fps
};

// ffmpeg's arguments: raw frames (BGRX words, as the canvas holds them) from
// `input`, written to `output` as the format asks. MP4 is H.264 in yuv420p,
// an odd side padded with one white column or row; WebM is VP9; both are
// marked as BT.709 colour. A GIF also reads its palette from pipe:3.
// With audio, that file's first sound track is mixed in: AAC in MP4, Opus in
// WebM (GIF has none).
std::vector<std::string> EncoderArgs(VideoFormat format, int width, int height, int fps,
                                     const std::string& input, const std::string& output,
                                     const std::string& audio = {});
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
    // The strokes' pace: at most one of recordsPerFrame, durationSeconds
    // (the replay without holds lasts that long), durationFromAudio (the
    // whole video as long as the narration) and speed (times the default
    // records per frame).
    double durationSeconds = 0;
    bool durationFromAudio = false;
    double speed = 0;
    DelayRule delays;
    double introSeconds = 0;   // the finished picture first, then a cut to white
    std::int64_t maxBytes = 0; // GIF: lower the frame rate, then the size, to fit
    std::string audio;         // a narration to mix in
};

struct VideoSummary {
    std::int64_t frames = 0;
    double recordsPerFrame = 0;
    int fps = 0;
    int width = 0;
    int height = 0;
    std::int64_t bytes = 0;
    double audioSeconds = 0;
};

// The length of the file's first sound track in seconds, through ffmpeg.
// Throws a CliError naming the file when ffmpeg cannot read one from it.
double AudioSeconds(const std::string& path);

// Seconds a frame rate and its frames take, exactly enough for a file's
// length to be checked against.
inline double FramesSeconds(std::int64_t frames, int fps) {
    return static_cast<double>(frames) / std::max(fps, 1);
}

// Reads IN and writes OUT beside itself and renamed into place, the frames
// streamed to ffmpeg and never all held or stored. Throws a CliError on
// failure and Interrupted on SIGINT, SIGTERM or SIGHUP; either way nothing
// is left under OUT's name or beside it.
VideoSummary MakeVideo(const std::string& in, const std::string& out,
                       const VideoSettings& settings);

} // namespace vellograph::cli
