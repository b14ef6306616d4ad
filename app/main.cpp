// Vellograph: the program entry.
#include "desktop/installed_entries.h"
#include "desktop/shell_notify.h"
#include "window/form/main_form.h"
#include "window/platform/display_check.h"
#include "window/platform/qt_dialogs.h"
#include "window/platform/qt_host.h"
#include "window/platform/quit_signals.h"
#include "window/platform/qt_translation.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWindow>

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
    // Docks, task bars and window switchers match the window to the installed
    // entry by it, and take its name. A copy that no installed entry runs
    // (one run from the build folder) has no entry to match, and the shells
    // show the id itself: that copy names itself instead.
    const bool hasEntry = InstalledEntryOf(VELLOGRAPH_APP_ID ".desktop", RunningProgramPath());
    QGuiApplication::setDesktopFileName(hasEntry ? VELLOGRAPH_APP_ID : "Vellograph");
    const auto qtTexts = LoadQtTranslation();
    if (qtTexts) {
        QCoreApplication::installTranslator(qtTexts.get());
    }

    TQtDialogs dialogs;
    // "Загружено)" or "Файл не найден" come while the window is created, before it is shown.
    dialogs.SetStartupParent([]() -> QWidget* {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* form = qobject_cast<TMainForm*>(widget)) {
                form->ShowOnScreen();
                // A parent not yet on the screen is no parent to place a box
                // over. The timer only wakes the wait, which never spins.
                QDeadlineTimer deadline(1000);
                QTimer wake;
                wake.start(50);
                while (!form->windowHandle()->isExposed() && !deadline.hasExpired()) {
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                }
                return form;
            }
        }
        return nullptr;
    });
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
