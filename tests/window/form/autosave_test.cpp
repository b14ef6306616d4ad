// The autosave tick: its countdown, its period, and the times it must hold off.
#include "tests/support/file_fixture.h"

#include <filesystem>
#include <utility>

using namespace vellograph;

namespace {

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::string Caption(const TMainForm& form) {
    return form.LabelInform->text().toStdString();
}

} // namespace

TEST_F(FileTest, TheAutosaveCountsDownFromFiveAndWritesEveryThirtyTicks) {
    form->MMNewFile->trigger();
    Tick(24);
    EXPECT_FALSE(form->LabelInform->isVisible());
    for (int left = 5; left >= 1; --left) { // ticks 25 to 29
        Tick();
        EXPECT_TRUE(form->LabelInform->isVisible());
        EXPECT_EQ(Caption(*form), "Автосохранение через " + std::to_string(left));
    }
    EXPECT_FALSE(Exists(TempFile()));
    Draw({{50, 50}, {90, 70}});
    Tick(); // 30
    EXPECT_EQ(ReadFile(TempFile()), FileImage(VecImage));
    EXPECT_FALSE(form->LabelInform->isVisible());
    EXPECT_EQ(form->AutosaveTicks, 0);

    const std::string first = ReadFile(TempFile());
    Draw({{150, 50}, {190, 70}});
    Tick(29);
    EXPECT_EQ(ReadFile(TempFile()), first);
    Tick(); // 60
    EXPECT_EQ(ReadFile(TempFile()), FileImage(VecImage));
    EXPECT_TRUE(dialogs.Messages.empty()); // a success says nothing

    // The real timer drives the same handler.
    form->Timer1->setInterval(5);
    EXPECT_TRUE(WaitFor([&] { return form->AutosaveTicks >= 3; }, 5000));
}

TEST_F(FileTest, AnAutosaveDueDuringALoadIsWrittenOnceTheWholeDrawingIsIn) {
    FakeHost counting{host};
    ScopedHost installed{counting};
    // Six hundred records: the load pumps after records 256 and 512.
    TRecords records;
    for (int i = 0; i < 600; ++i) {
        records.push_back(MakeNumberRecord(i % 2 ? CmdLine : CmdMove, i % 400, 10 + i % 300));
    }
    const std::string path = WriteDrawing(records, "long.vlgf");
    form->AutosaveTicks = 28;
    int ticksInLoad = 0;
    counting.onPump = [&] {
        if (LoadInProgress()) {
            ++ticksInLoad;
            Tick();
            EXPECT_FALSE(Exists(TempFile())) << "a half-loaded drawing was written";
        }
    };
    dialogs.OpenAnswers = {path};
    form->MMOpen->trigger();
    EXPECT_EQ(ticksInLoad, 2);
    EXPECT_EQ(ReadFile(TempFile()), ReadFile(path)); // once, before the playback
    EXPECT_EQ(form->AutosaveTicks, 0);
    EXPECT_FALSE(form->LabelInform->isVisible());
}

TEST_F(FileTest, TicksWhileAnAutosaveFailureIsShownStartNoOtherAutosave) {
    FakeHost hooked{host};
    ScopedHost installed{hooked};
    std::filesystem::create_directory(TempFile()); // every write of that name fails
    hooked.duringNextMessage = [&] { Tick(40); };
    form->AutosaveTicks = 29;
    Tick();
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Ошибка. Что-то не произошло"});
    EXPECT_EQ(form->AutosaveTicks, 0);
    EXPECT_FALSE(form->LabelInform->isVisible());
    Tick(30); // once that box is closed, the next autosave goes ahead
    EXPECT_EQ(dialogs.Messages.size(), 2u);
}
