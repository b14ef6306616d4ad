// The declared policies at work: what waits for a load or a save, the saves
// bound when chosen, and the busy cursor while a file is read.
#include "window/form/main_form.h"

#include "window/form/file_messages.h"
#include "window/form/guarded.h"

#include <QTimer>

#include <algorithm>

namespace vellograph {

namespace {

// How often a command waiting for a save looks again, in milliseconds.
constexpr int SaveWaitPollMs = 10;

} // namespace

TCommandPolicy TMainForm::PolicyOf(Command command) const {
    const auto found =
        std::find_if(policies_.begin(), policies_.end(),
                     [command](const auto& entry) { return entry.first == command; });
    return found == policies_.end() ? TCommandPolicy{} : found->second;
}

void TMainForm::ShowLoadCursor() {
    const bool reading = LoadInProgress();
    if (reading == loadCursorShown_) {
        return;
    }
    loadCursorShown_ = reading;
    if (reading) {
        setCursor(Qt::BusyCursor); // the window still answers: not the wait cursor
    } else {
        unsetCursor();
    }
}

TMainForm::HeldLoad TMainForm::LoadHoldingBack(const std::string& fileName) {
    savesAwaitingLoad_.emplace_back();
    struct Level {
        TMainForm& form;
        ~Level() {
            form.savesAwaitingLoad_.pop_back();
            form.ShowLoadCursor();
        }
    } level{*this};
    // Busy from the start; the host's before-pump hook puts the arrow back
    // as soon as a replacing command has ended the load in a pump.
    setCursor(Qt::BusyCursor);
    loadCursorShown_ = true;
    const LoadOutcome outcome = LoadDrawing(fileName, VecImage);
    HeldLoad held{outcome, std::move(savesAwaitingLoad_.back())};
    if (outcome != LoadOutcome::Loaded) {
        // The drawing is not the file they were chosen for: a failed load put
        // the one before back, a replacing command made another.
        for (const TChosenSave& save : held.Saves) {
            if (save.IsAutosave) {
                autosaveWaiting_ = false; // dropped: due again at the next tick
            } else {
                dialogs_.ShowMessage(MsgNotSaved);
            }
        }
        held.Saves.clear();
    }
    return held;
}

bool TMainForm::RunHeldSaves(const std::vector<TChosenSave>& saves) {
    // Every one writes the drawing as the load left it, also when a handler
    // run by an earlier one's pumps changed or replaced it since.
    std::optional<TAVecImage> loaded;
    if (saves.size() > 1) {
        loaded = VecImage;
    }
    bool timerOn = false;
    for (const TChosenSave& save : saves) {
        if (QuitRequested) {
            return timerOn;
        }
        timerOn = timerOn || (save.EnablesTimer1 && VecImage.Generation == save.Generation);
        RunGuarded(dialogs_, [&] {
            RunChosenSave(save, loaded ? *loaded : VecImage);
        }); // one failing stops no other
    }
    return timerOn;
}

void TMainForm::WriteDrawing(Command command, TChosenSave save) {
    save.File = IdentifyFile(save.FileName);
    save.Generation = VecImage.Generation;
    save.WriteNumber = WriteChosen();
    // The load that reads is the innermost one begun here: those outside it
    // had their drawing replaced by the command that began it, and one that
    // failed inside it has returned already.
    if (PolicyOf(command).Load == TPolicy::Wait && LoadInProgress() &&
        !savesAwaitingLoad_.empty()) {
        autosaveWaiting_ = autosaveWaiting_ || save.IsAutosave;
        savesAwaitingLoad_.back().push_back(std::move(save));
        return;
    }
    RunChosenSave(save);
}

void TMainForm::RunChosenSave(const TChosenSave& save, const TAVecImage& drawing) {
    if (save.IsAutosave) {
        autosaveWaiting_ = false;
    }
    if (drawing.Generation != save.Generation) {
        if (!save.IsAutosave) {
            dialogs_.ShowMessage(MsgNotSaved);
        }
        return;
    }
    // A write of the file chosen later and done first stays, as when it
    // lands while a save runs; this one counts as done, with its size.
    if (LatestWriteOf(save.File) > save.WriteNumber) {
        if (save.Written) {
            save.Written(FileSizeOnDisk(save.FileName));
        }
        return;
    }
    std::int32_t size = 0; // SaveDrawing leaves it alone when it fails
    SaveDrawing(save.FileName, save.File, drawing, size);
    if (save.Written) {
        save.Written(size);
    }
}

void TMainForm::AfterSavesOf(Command command, const std::string& fileName,
                             std::function<void()> rest) {
    const TFileIdentity file = IdentifyFile(fileName);
    if (PolicyOf(command).SaveOfItsFile == TPolicy::Wait && SaveOfFileRunning(file)) {
        RunWhenNoSaveWrites(file, std::move(rest));
        return;
    }
    rest();
}

void TMainForm::RunWhenNoSaveWrites(const TFileIdentity& file, std::function<void()> rest) {
    // The save runs in a pump further out: it can end only once this
    // handler has returned, so the rest is looked at again from the queue.
    QTimer::singleShot(SaveWaitPollMs, this, [this, file, rest = std::move(rest)] {
        if (QuitRequested) {
            return;
        }
        if (SaveOfFileRunning(file)) {
            RunWhenNoSaveWrites(file, rest);
        } else {
            RunGuarded(dialogs_, rest);
        }
    });
}

} // namespace vellograph
