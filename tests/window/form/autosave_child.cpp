// The kill test's child: autosaves two drawings in turn, for ever, through
// the window's own Timer1 handler, in the current directory.
#include "tests/window/form/autosave_drawings.h"
#include "window/form/main_form.h"
#include "window/platform/qt_host.h"

#include <QApplication>

#include <cstdio>

using namespace vellograph;

namespace {

// Nobody answers: no box may ever wait here.
class QuietDialogs : public TDialogs {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
    bool Confirm(const std::string&) override { return false; }
    void ShowError(const std::string& text) override { ShowMessage(text); }
    std::optional<std::string> OpenFileName(const TFileDialogRequest&) override { return {}; }
    std::optional<std::string> SaveFileName(const TFileDialogRequest&) override { return {}; }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QuietDialogs dialogs;
    QtHost host(dialogs);
    ScopedHost installed(host);
    TMainForm form(dialogs, &host, {});
    form.MMNewFileClick();
    for (int round = 0;; ++round) {
        VecImage = AutosaveDrawing(round % 2);
        for (int tick = 0; tick < TMainForm::AutosavePeriod; ++tick) {
            form.Timer1Timer(); // the last one writes
        }
        if (round == 0) {
            std::puts("ready"); // the first autosave is on disk
            std::fflush(stdout);
        }
    }
}
