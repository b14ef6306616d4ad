// Vellograph: the program entry.
#include "window/form/main_form.h"
#include "window/platform/display_check.h"
#include "window/platform/qt_dialogs.h"
#include "window/platform/qt_host.h"
#include "window/platform/qt_translation.h"

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
    const auto qtTexts = LoadQtTranslation();
    if (qtTexts) {
        QCoreApplication::installTranslator(qtTexts.get());
    }

    TQtDialogs dialogs;
    QtHost host(dialogs);
    ScopedHost installed(host);
    TMainForm form(dialogs, &host, args);
    dialogs.SetParent(&form);
    form.ShowOnScreen();
    return app.exec();
}
