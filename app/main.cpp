// Vellograph: the program entry.
#include "window/form/main_form.h"
#include "window/platform/display_check.h"
#include "window/platform/qt_dialogs.h"
#include "window/platform/qt_host.h"
#include "window/platform/quit_signals.h"

#include <QApplication>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace vellograph;
    if (const std::string problem = DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "vellograph: %s\n", problem.c_str());
        return 1;
    }
    // Every argument is ours, as bytes: the first names a drawing whatever it
    // looks like. Qt sees none of them, or it would take a drawing named
    // "-reverse" or "-platform" for one of its own options; its settings come
    // from the environment (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE, ...).
    const std::vector<std::string> args(argv + 1, argv + argc);
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    QApplication app(qtArgc, qtArgv);
    // The X11 platform turns compression back on while the application is
    // constructed; strokes need every pointer position.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication::setApplicationName("Vellograph");
    // Docks and task bars match the windows to the installed entry by it.
    QGuiApplication::setDesktopFileName(VELLOGRAPH_APP_ID);

    TQtDialogs dialogs;
    QtHost host(dialogs);
    ScopedHost installed(host);
    // A desktop logging out sends SIGTERM; a terminal, SIGINT or SIGHUP. Each
    // quits as "Выход" does, without its question, and closes any box open,
    // also the one that reports the load of the drawing given at start-up.
    TMainForm* shown = nullptr;
    QuitOnSignals([&shown] {
        if (shown) {
            shown->Quit();
        }
        QuitRequested = true;
        QApplication::closeAllWindows();
    });
    TMainForm form(dialogs, &host, args);
    if (QuitRequested) {
        return 0;
    }
    shown = &form;
    dialogs.SetParent(&form);
    form.ShowOnScreen();
    return app.exec();
}
