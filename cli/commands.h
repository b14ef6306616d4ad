// The subcommands of vellograph-cli; each returns the process exit status.
#pragma once

#include <string>
#include <vector>

namespace vellograph::cli {

using Args = std::vector<std::string>; // the arguments after the command name

inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1; // a load, save or render failed
inline constexpr int ExitUsage = 2;

int RunInfo(const Args& args);
int RunDump(const Args& args);
int RunResave(const Args& args);
int RunRender(const Args& args);

// Export: vector art, replay frames and videos, and file-manager thumbnails.
int RunSvg(const Args& args);
int RunFrames(const Args& args);
int RunVideo(const Args& args);
int RunThumbnail(const Args& args);
int RunSlides(const Args& args); // the steps between delays, as pictures or a PDF

// A page that replays the drawing in a browser.
int RunHtml(const Args& args);

} // namespace vellograph::cli
