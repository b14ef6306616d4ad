// Vellograph: the program entry.
#include "display_check.h"
#include "main_form.h"
#include "qt_dialogs.h"
#include "qt_host.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv) {
    using namespace vellograph;
    if (const std::string problem = DisplayProblem(); !problem.empty()) {
        std::fprintf(stderr, "vellograph: %s\n", problem.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    // The X11 platform turns compression back on while the application is
    // constructed; strokes need every pointer position.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication::setApplicationName("Vellograph");
    QApplication::setApplicationDisplayName("Vellograph");

    TQtDialogs dialogs;
    QtHost host(dialogs);
    HostInstallation installed(host);
    // Qt has taken its own options out of argv; the rest is ours, as bytes.
    TMainForm form(dialogs, &host, std::vector<std::string>(argv + 1, argv + argc));
    dialogs.SetParent(&form);
    form.ShowOnScreen();
    return app.exec();
}
