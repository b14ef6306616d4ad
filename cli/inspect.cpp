// info, dump and resave: looking inside drawings and copying them.
#include "commands.h"

namespace vellograph::cli {

int RunInfo(const Args&) { return ExitUsage; }
int RunDump(const Args&) { return ExitUsage; }
int RunResave(const Args&) { return ExitUsage; }

} // namespace vellograph::cli
