// A fixture that builds the main window with scripted dialogs, and helpers
// for drawing files, pumps and pixels.
#pragma once

#include "engine/format/drawing.h"
#include "engine/playback/render.h"
#include "engine/raster/canvas.h"
#include "tests/support/fake_host.h"
#include "tests/support/scripted_dialogs.h"
#include "window/form/image_screen.h"
#include "window/form/main_form.h"
#include "window/form/pointer_state.h"
#include "window/form/views.h"
#include "window/platform/qt_host.h"

#include <QDeadlineTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vellograph {

// Window tests count pumps and act inside them through the shared host,
// given the Qt host to pass every call to: FakeHost counting{host}.
using test::FakeHost;

// A stroke as records: "m" at the first point, "l" at the others.
inline TRecords StrokeRecords(const std::vector<TPoint>& points) {
    TRecords records;
    for (std::size_t i = 0; i < points.size(); ++i) {
        records.push_back(MakeNumberRecord(i == 0 ? CmdMove : CmdLine, points[i].x, points[i].y));
    }
    return records;
}

// Runs the event loop until the condition holds or the time is up. QtTest's
// own QTRY macros report to QtTest, which GoogleTest never hears of.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

inline int CountPixels(const TCanvas& canvas, TColor color) {
    int count = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = 0; x < canvas.width(); ++x) {
            count += canvas.pixel(x, y) == color;
        }
    }
    return count;
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetRenderGlobals();
        ResetPointerState();
        ResetView(LiveView);
        NewDrawing(VecImage);
        VecImage.LastFillIndex = 0;
        ASSERT_TRUE(dir_.isValid());
    }

    void TearDown() override {
        if (form) {
            form->PopupMainMenu->hide();
            form.reset();
        }
    }

    TMainForm& MakeForm(std::vector<std::string> args = {}) {
        form = std::make_unique<TMainForm>(dialogs, &host, std::move(args));
        return *form;
    }

    // Shows the window over the whole screen and waits until it is there.
    TMainForm& MakeShownForm(std::vector<std::string> args = {}) {
        MakeForm(std::move(args));
        form->ShowOnScreen();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        QCoreApplication::processEvents();
        return *form;
    }

    TImageScreen& Screen() { return *form->ImageScreen; }
    TCanvas& Canvas() { return form->ImageScreen->Canvas(); }

    // Writes a drawing file: the standard header, then the records.
    std::string WriteDrawing(const TRecords& records,
                             const std::string& name = "d.vlgf") {
        const std::string path = Path(name);
        std::ofstream out(path, std::ios::binary);
        out.write(StandardHeader, HeaderSize);
        out.write(reinterpret_cast<const char*>(records.data()),
                  static_cast<std::streamsize>(records.size() * sizeof(TDrawCommand)));
        return path;
    }

    // Puts the records into the global drawing directly.
    static void SetDrawing(const TRecords& records) {
        VecImage.Commands = records;
        VecImage.LastIndex = static_cast<std::int32_t>(records.size()) - 1;
    }

    std::string Path(const std::string& name) const {
        return (dir_.path() + "/" + name.c_str()).toStdString();
    }

    TScriptedDialogs dialogs;
    QtHost host{dialogs};
    ScopedHost installed{host};
    std::unique_ptr<TMainForm> form;

private:
    QTemporaryDir dir_;
};

} // namespace vellograph
