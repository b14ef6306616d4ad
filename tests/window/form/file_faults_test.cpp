// Saving where the system says no: a read-only folder, read-only files, a
// full disk. The user is told, old files stay as they were, and nothing of
// the drawing in memory is lost.
#include "tests/support/file_fixture.h"

#include <filesystem>
#include <functional>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace vellograph;
namespace fs = std::filesystem;

namespace {

constexpr const char* SaveFailed = "Ошибка. Что-то не произошло";
constexpr const char* SizeZero = "Размер сохраненного: 0 байт";

// While alive, and when running as root (whom folder permissions do not
// hold back), the process acts as the unprivileged user "nobody".
class Unprivileged {
public:
    Unprivileged() : active_(::geteuid() == 0) {
        if (active_) {
            EXPECT_EQ(::setegid(65534), 0);
            EXPECT_EQ(::seteuid(65534), 0);
        }
    }
    ~Unprivileged() {
        if (active_) {
            EXPECT_EQ(::seteuid(0), 0);
            EXPECT_EQ(::setegid(0), 0);
        }
    }

private:
    bool active_;
};

// While alive, no file may grow past a few bytes: writes fail part of the
// way through, as on a full disk.
class FileSizeLimit {
public:
    FileSizeLimit() {
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &saved_), 0);
        rlimit small = saved_;
        small.rlim_cur = 40;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    ~FileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

std::set<std::string> Listing(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

enum class Fault { ReadOnlyFolder, ReadOnlyFiles, DiskFull };

} // namespace

TEST_F(FileTest, FailedSavesAreReportedAndLoseNothing) {
    Draw({{30, 30}, {200, 80}, {60, 220}});
    const std::string drawing = FileImage(VecImage);
    ASSERT_EQ(::chmod(Path("").c_str(), 0755), 0); // "nobody" may look inside

    const struct {
        Fault fault;
        const char* folder;
        const char* reason;
    } cases[] = {
        {Fault::ReadOnlyFolder, "folder", "Permission denied"},
        {Fault::ReadOnlyFiles, "files", "Permission denied"},
        {Fault::DiskFull, "full", "File too large"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string folder = Path(c.folder);
        const std::string vlgf = folder + "/old.vlgf";
        const std::string bmp = folder + "/old.bmp";
        const std::string temp = folder + "/" + TMainForm::TempFileName;
        fs::create_directory(folder);
        const std::set<std::string> names = {"old.vlgf", "old.bmp", TMainForm::TempFileName};
        for (const std::string& name : names) {
            WriteFile(folder + "/" + name, "old " + name);
            ::chmod((folder + "/" + name).c_str(), c.fault == Fault::ReadOnlyFiles ? 0444 : 0666);
        }
        ::chmod(folder.c_str(), c.fault == Fault::ReadOnlyFolder ? 0555 : 0777);
        ASSERT_EQ(::chdir(folder.c_str()), 0); // where the temporary file goes
        dialogs.Messages.clear();
        dialogs.Errors.clear();
        form->OpenDialog1.FileName = vlgf;
        dialogs.SaveAnswers = {vlgf, bmp};
        dialogs.ConfirmAnswers = {true, true};
        {
            const std::optional<Unprivileged> user =
                c.fault == Fault::ReadOnlyFolder ? std::optional<Unprivileged>(std::in_place)
                                                 : std::nullopt;
            const std::optional<FileSizeLimit> limit =
                c.fault == Fault::DiskFull ? std::optional<FileSizeLimit>(std::in_place)
                                           : std::nullopt;
            form->MMSave->trigger();
            form->MMSaveAs->trigger();
            form->MMTempSave->trigger();
            form->AutosaveTicks = TMainForm::AutosavePeriod - 1;
            Tick();
            form->MMSaveScreenAs->trigger();
        }
        EXPECT_EQ(dialogs.Messages,
                  (std::vector<std::string>{SaveFailed, SizeZero, SaveFailed, SizeZero, SaveFailed,
                                            SizeZero, SaveFailed}));
        EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"Cannot create file \"" + bmp + "\". " +
                                                           c.reason + "."});
        EXPECT_TRUE(form->Timer1->isActive());
        EXPECT_EQ(form->OpenDialog1.FileName, vlgf);
        EXPECT_EQ(Listing(folder), names); // nothing half-written left behind
        for (const std::string& name : names) {
            EXPECT_EQ(ReadFile(folder + "/" + name), "old " + name);
        }
        EXPECT_EQ(FileImage(VecImage), drawing);

        // Once the fault is gone, the whole drawing is still there to save.
        ::chmod(folder.c_str(), 0777);
        ::chmod(vlgf.c_str(), 0666);
        form->MMSave->trigger();
        EXPECT_EQ(ReadFile(vlgf), drawing);
    }
}

// Commands chosen inside the pumps of a big save or a big load, about the
// files those read and write: each touches the file the user meant, when
// it is whole.
TEST_F(FileTest, CommandsOnTheFilesOfABigSaveOrLoadTouchWhatTheUserMeant) {
    FakeHost counting{host};
    ScopedHost installed{counting};
    SetDrawing(TRecords(140000, MakeNumberRecord(CmdMove, 5, 5)));
    const std::string whole = FileImage(VecImage);
    const auto inFirstPump = [&](const std::function<void()>& act) {
        counting.onPump = [&, act, acted = false]() mutable {
            if (!std::exchange(acted, true)) {
                act();
            }
        };
    };
    // "Загрузка сохранки" inside "Промежуточное сохранение" waits for the
    // save and loads what it wrote, not the older file.
    WriteFile(TempFile(), "old");
    inFirstPump([&] { form->MMLoadTemp->trigger(); });
    form->MMTempSave->trigger();
    counting.onPump = nullptr;
    ASSERT_TRUE(WaitFor([&] { return dialogs.Messages.size() == 2; }, 30000));
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{"Размер сохраненного: 840036 байт", "Загружено)"}));
    EXPECT_EQ(FileImage(VecImage), whole);

    // A screenshot onto the file a save writes, by another name, is the
    // later write: it stays.
    dialogs.Messages.clear();
    form->OpenDialog1.FileName = Path("pic.vlgf");
    dialogs.SaveAnswers = {Path("./pic.vlgf")};
    inFirstPump([&] { form->MMSaveScreenAs->trigger(); });
    form->MMSave->trigger();
    counting.onPump = nullptr;
    EXPECT_EQ(ReadFile(Path("pic.vlgf")).substr(0, 2), "BM");

    // A save chosen during a load writes the file then current, even when
    // the current name changes before the load is done.
    dialogs.Messages.clear();
    dialogs.OpenAnswers = {TempFile(), Path("missing.vlgf")};
    inFirstPump([&] {
        form->MMSave->trigger();
        form->MMOpen->trigger(); // "Файл не найден", and the current name changes
    });
    form->OpenDialog1.FileName = TempFile();
    form->MMOpen->trigger();
    counting.onPump = nullptr;
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"Файл не найден", "Загружено)",
                                                          "Размер сохраненного: 840036 байт"}));
    EXPECT_FALSE(fs::exists(Path("missing.vlgf")));
    EXPECT_EQ(ReadFile(TempFile()), whole);
}
