// The desktop's databases brought up to date on a thread of their own, so
// that the command that changed the association returns at once.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vellograph {

// One run of a tool that rebuilds a database from the folder it is given last.
struct ToolRun {
    std::string name;    // as messages name it, e.g. "update-mime-database"
    std::string program; // its full path; empty when it is not installed
    std::vector<std::string> args;
};

struct DatabaseUpdate {
    std::vector<ToolRun> runs; // one after another, each whatever the others did
    // A folder given a new modification time once the runs are over; none when empty.
    std::string touchAfter;
    bool reportFailure = true;
    int timeoutMs = 15000; // for each run; a run still going then is killed
};

// Queues the update and returns at once. Updates run one at a time in the
// order queued, with the environment as it was when each was queued; one
// equal to an update still waiting is merged into it. An update that asked
// for a report and failed leaves one message, a line for each run that did
// not succeed: "Failed to update 'FOLDER': TOOL ended with status 1: REASON".
void PostDatabaseUpdate(DatabaseUpdate update);

// Waits until every update queued so far has ended.
void WaitForDatabaseUpdates();

// The messages of failed updates not yet taken, oldest first.
std::vector<std::string> TakeDatabaseUpdateFailures();

// While it lives, `wake` is called on the updates' thread each time a failure
// message is ready to be taken; only the listener made last is called.
// Destroying it waits for a call under way, so `wake` may use what dies
// with the listener's owner.
class DatabaseUpdateListener {
public:
    explicit DatabaseUpdateListener(std::function<void()> wake);
    ~DatabaseUpdateListener();
    DatabaseUpdateListener(const DatabaseUpdateListener&) = delete;
    DatabaseUpdateListener& operator=(const DatabaseUpdateListener&) = delete;

private:
    std::function<void()> wake_;
};

} // namespace vellograph
