// Entry point of the window tests: a QApplication on Qt's offscreen platform
// unless a display is there.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

bool Unset(const char* name) {
    const char* value = std::getenv(name);
    return !value || !*value;
}

} // namespace

int main(int argc, char** argv) {
    if (Unset("QT_QPA_PLATFORM") && Unset("DISPLAY") && Unset("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    std::filesystem::path screenConfig;
#ifdef VELLOGRAPH_TEST_SCALE
    if (std::string(std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "") ==
        "offscreen") {
        // A 1920x1080 desktop on a screen with 2 device pixels per point.
        screenConfig = std::filesystem::temp_directory_path() /
                       ("vellograph-screen-" + std::to_string(getpid()) + ".json");
        std::ofstream(screenConfig)
            << R"({"screens": [{"name": "HiDpi", "x": 0, "y": 0, "width": 1920,)"
            << R"( "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 2}]})";
        setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screenConfig.string()).c_str(), 1);
    } else {
        setenv("QT_SCALE_FACTOR", "2", 1); // a real display, scaled by Qt
    }
#endif
    int result = 0;
    {
        QApplication app(argc, argv);
        QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
        QApplication::setApplicationName("Vellograph");
        // Tests close the window often; that must not end anything.
        QApplication::setQuitOnLastWindowClosed(false);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (!screenConfig.empty()) {
        std::filesystem::remove(screenConfig);
    }
    return result;
}
