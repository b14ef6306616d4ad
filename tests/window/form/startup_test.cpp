// Start-up: the command line, the delayed first playback and the drawing items.
#include "tests/support/form_fixture.h"

#include <QAction>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <filesystem>

using namespace vellograph;

namespace {

class StartupTest : public FormTest {
protected:
    // A line across the top: the first playback paints (150, 10).
    std::string ExistingDrawing() { return WriteDrawing(StrokeRecords({{10, 10}, {300, 10}})); }

    void ExpectFreshStart() {
        EXPECT_EQ(VecImage.LastIndex, 1);
        EXPECT_FALSE(form->DrawingItemsEnabled());
        EXPECT_FALSE(form->MMRedraw->isEnabled());
        EXPECT_FALSE(form->TimerLoader->isActive());
        EXPECT_FALSE(form->Timer1->isActive());
    }
};

} // namespace

TEST_F(StartupTest, WithoutArgumentsTheDrawingIsEmptyAndReadyToDrawOn) {
    MakeShownForm();
    ExpectFreshStart();
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(form->OpenDialog1.FileName.empty());
    QTest::mousePress(form->ImageScreen, Qt::LeftButton, {}, QPoint(40, 40));
    QTest::mouseMove(form->ImageScreen, QPoint(80, 40));
    QTest::mouseRelease(form->ImageScreen, Qt::LeftButton, {}, QPoint(80, 40));
    EXPECT_EQ(VecImage.LastIndex, 3);
    EXPECT_EQ(Canvas().pixel(60, 40), 0x000000u);
}

TEST_F(StartupTest, AnExistingDrawingPlaysBackAboutSixtySixMillisecondsLater) {
    const std::string path = ExistingDrawing();
    QElapsedTimer clock;
    clock.start();
    MakeForm({path});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Загружено)"});
    EXPECT_EQ(form->OpenDialog1.FileName, path);
    EXPECT_EQ(VecImage.LastIndex, 1);
    EXPECT_TRUE(form->DrawingItemsEnabled());
    EXPECT_TRUE(form->MMRedraw->isEnabled());
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(form->TimerLoader->isActive());
    EXPECT_TRUE(form->TimerLoader->isSingleShot());
    EXPECT_EQ(form->TimerLoader->interval(), 66);

    form->ShowOnScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    ASSERT_TRUE(WaitFor([&] { return Canvas().pixel(150, 10) == 0x000000u; }, 5000));
    EXPECT_GE(clock.elapsed(), 60);
    EXPECT_FALSE(form->TimerLoader->isActive()); // it ticks once
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(StartupTest, AMissingPathOrADirectoryIsNotFound) {
    const std::string missing = Path("no such file.vlgf");
    const std::string directory = Path("folder.vlgf");
    std::filesystem::create_directory(directory);
    for (const std::string& path : {missing, directory}) {
        SCOPED_TRACE(path);
        dialogs.Messages.clear();
        NewDrawing(VecImage);
        MakeForm({path});
        EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Файл не найден"});
        EXPECT_EQ(form->OpenDialog1.FileName, path); // stays the current file name
        ExpectFreshStart();
        form.reset();
    }
}

TEST_F(StartupTest, OnlyTheFirstArgumentCounts) {
    const std::string existing = ExistingDrawing();
    MakeForm({existing, Path("missing.vlgf")});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Загружено)"});
    EXPECT_TRUE(form->TimerLoader->isActive());
    form.reset();

    dialogs.Messages.clear();
    MakeForm({Path("missing.vlgf"), existing});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Файл не найден"});
    ExpectFreshStart();
}

TEST_F(StartupTest, AHugeDrawingShowsAtOnceAndItsPlaybackKeepsTheWindowAlive) {
    // Two million records: a zig-zag over the screen.
    TRecords records;
    records.reserve(2'000'000);
    records.push_back(MakeNumberRecord(CmdMove, 0, 0));
    while (records.size() < 2'000'000) {
        const int i = static_cast<int>(records.size());
        records.push_back(MakeNumberRecord(CmdLine, (i * 37) % 700, (i * 53) % 500));
    }
    const std::string path = WriteDrawing(records, "huge.vlgf");
    records = {};

    FakeHost counting{host};
    ScopedHost countingInstalled(counting);
    bool menuOpened = false;
    bool escPosted = false;
    int playbackPumps = 0;
    counting.onPump = [&] {
        if (!form || !form->isVisible()) {
            return; // still loading, before the window is shown
        }
        ++playbackPumps;
        if (!menuOpened) {
            // The menu opens and works in the middle of the playback.
            menuOpened = true;
            QTest::mousePress(form->ImageScreen, Qt::RightButton, {}, QPoint(300, 200));
            EXPECT_TRUE(form->PopupMainMenu->isVisible());
            form->PopupMainMenu->hide();
            QTest::mouseRelease(form->ImageScreen, Qt::RightButton, {}, QPoint(300, 200));
        } else if (!escPosted && playbackPumps == 200) {
            escPosted = true;
            QCoreApplication::postEvent(
                form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    };

    QElapsedTimer clock;
    clock.start();
    MakeForm({path});
    EXPECT_EQ(VecImage.LastIndex, 1'999'999);
    form->ShowOnScreen();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    EXPECT_LT(clock.elapsed(), 15000);

    ASSERT_TRUE(WaitFor([&] { return escPosted && !form->isVisible(); }, 30000));
    EXPECT_TRUE(menuOpened);
    // Esc ended the playback at the next record: it used up the stop request
    // and played nowhere near all the records.
    EXPECT_FALSE(StopRequested);
    EXPECT_LT(playbackPumps, 1000);
    EXPECT_GT(CountPixels(Canvas(), 0x000000), 0);
    counting.onPump = nullptr;
}
