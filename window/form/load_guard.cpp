// Loads as the window runs them: what is held back while a file is read, the
// busy cursor, and the saves that wait for the whole drawing.
#include "window/form/main_form.h"

#include "window/form/guarded.h"

#include <QLabel>

#include <algorithm>

namespace vellograph {

bool TMainForm::RecordingHeldBack() const {
    return LoadInProgress();
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
    HeldLoad held{outcome, {}};
    if (outcome == LoadOutcome::Loaded) {
        held.Saves = std::move(savesAwaitingLoad_.back());
    } else if (outcome == LoadOutcome::Superseded) {
        // A dropped autosave counts as done: the next one is a period away.
        for (Command save : savesAwaitingLoad_.back()) {
            if (save == &TMainForm::Autosave) {
                AutosaveTicks = 0;
                LabelInform->setVisible(ShowLabelAfterAutosave);
            }
        }
    }
    // A failed load put the drawing back as it was before; saves chosen while
    // it read were meant for the file, not for that drawing, and are dropped.
    return held;
}

void TMainForm::RunHeldSaves(const std::vector<Command>& saves) {
    for (Command save : saves) {
        RunGuarded(dialogs_, [&] { (this->*save)(); }); // one failing stops no other
    }
}

bool TMainForm::SaveWaitsForLoad(Command command) {
    if (!LoadInProgress() || savesAwaitingLoad_.empty()) {
        return false;
    }
    // The load that reads is the innermost one begun here: those outside it
    // had their drawing replaced by the command that began it, and one that
    // failed inside it has returned already.
    std::vector<Command>& waiting = savesAwaitingLoad_.back();
    if (command != &TMainForm::Autosave ||
        std::find(waiting.begin(), waiting.end(), command) == waiting.end()) {
        waiting.push_back(command);
    }
    return true;
}

} // namespace vellograph
