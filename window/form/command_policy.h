// What a command does while a long operation runs, as WireCommands declares it.
#pragma once

#include "engine/format/running.h"
#include "engine/playback/host.h"
#include "window/platform/dialogs.h"

#include <optional>
#include <string>

namespace vellograph {

// Against one kind of running operation (engine/format/running.h):
// RunInside runs the command nested in its pump; Wait takes what the
// command chose now (its file, the drawing's generation) and carries it out
// once the operation is over, or drops it when that no longer makes sense;
// HoldBack ignores the command.
enum class TPolicy { RunInside, Wait, HoldBack };

struct TCommandPolicy {
    // While a load reads into the drawing.
    TPolicy Load = TPolicy::RunInside;
    // While a save still writes the file the command reads, writes or deletes.
    TPolicy SaveOfItsFile = TPolicy::RunInside;
    // Playbacks, fit scans and delays: every command runs inside them.

    // True when the command is to do nothing now.
    bool HoldsBack() const { return Load == TPolicy::HoldBack && LoadInProgress(); }
};

// The window's boxes once the program quits: none is shown any more, no
// question is answered Yes and no file chosen, so that whatever a handler
// still does as the loops under it end reaches nobody.
class TQuietOnceQuit : public TDialogs {
public:
    explicit TQuietOnceQuit(TDialogs& dialogs) : dialogs_(dialogs) {}
    void ShowMessage(const std::string& text) override {
        if (!QuitRequested) {
            dialogs_.ShowMessage(text);
        }
    }
    bool Confirm(const std::string& text) override {
        return !QuitRequested && dialogs_.Confirm(text);
    }
    void ShowError(const std::string& text) override {
        if (!QuitRequested) {
            dialogs_.ShowError(text);
        }
    }
    std::optional<std::string> OpenFileName(const TFileDialogRequest& request) override {
        return QuitRequested ? std::nullopt : dialogs_.OpenFileName(request);
    }
    std::optional<std::string> SaveFileName(const TFileDialogRequest& request) override {
        return QuitRequested ? std::nullopt : dialogs_.SaveFileName(request);
    }

private:
    TDialogs& dialogs_;
};

} // namespace vellograph
