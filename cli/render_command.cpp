// render: play a drawing onto a surface and write the picture.
#include "commands.h"

namespace vellograph::cli {

int RunRender(const Args&) { return ExitUsage; }

} // namespace vellograph::cli
