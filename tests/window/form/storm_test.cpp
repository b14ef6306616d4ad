// A re-entrancy storm: while a 200,000-record drawing plays, every pump of
// the queue brings one more user action from a seeded generator, and the
// program must come out of it whole. After every action a model of the files
// checks what they hold, and every load what it read.
#include "engine/format/drawing_snapshot.h"
#include "engine/format/running.h"
#include "tests/support/file_fixture.h"
#include "window/form/guarded.h"

#include <QLineEdit>
#include <QPushButton>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <sys/stat.h>

using namespace vellograph;

namespace {

constexpr int BigRecords = 200000;
constexpr int SmallRecords = 3000;
constexpr int EventsPerRun = 5000;

// Strokes wandering over the surface, with pen colour and width changes;
// never the clearing border colour, which would keep "Перерисовать" from
// clearing.
TRecords Wander(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> step(-6, 6);
    TRecords records;
    int x = 300, y = 200;
    while (static_cast<int>(records.size()) < count) {
        const int pick = static_cast<int>(rng() % 400);
        if (pick == 0) {
            records.push_back(MakeColorRecord(CmdColor, 0x0000C0 + (rng() % 3) * 0x3000));
        } else if (pick == 1) {
            records.push_back(MakeNumberRecord(CmdPenWidth, 1 + static_cast<int>(rng() % 5), 0));
        } else if (pick < 10) {
            x = static_cast<int>(rng() % 780);
            y = static_cast<int>(rng() % 580);
            records.push_back(MakeNumberRecord(CmdMove, x, y));
        } else {
            x = std::clamp(x + step(rng), 0, 799);
            y = std::clamp(y + step(rng), 0, 599);
            records.push_back(MakeNumberRecord(CmdLine, x, y));
        }
    }
    return records;
}

// What each file may hold, in the order the writes were chosen: its content
// before the storm, then each save's drawing as it was when chosen (a save
// chosen during a load: any whole content of the file read). A file holds
// one of them and never goes back to one chosen before the one it held;
// a load reads one whole, not older than the saves chosen before the load.
class FileModel {
public:
    using Content = std::optional<std::size_t>; // a hash; none: no file

    // A write of the drawing as it is now, or as the load now reading will
    // leave it; one that may not write (an autosave tick) sets no bar for
    // loads.
    void SaveChosen(const std::string& name, const TAVecImage& drawing, bool writes = true) {
        if (name.empty()) {
            return;
        }
        TrackedFile& file = Track(name);
        if (const TrackedFile* loading = FileLoading()) {
            file.chosen.push_back({{}, loading->path});
            return;
        }
        file.chosen.push_back({Hash(FileImage(drawing)), {}});
        if (writes) {
            file.mustLoad = file.chosen.size() - 1;
        }
    }
    // A write already done (the screenshot) or a deletion: what it left.
    void WriteChosen(const std::string& name, Content content) {
        TrackedFile& file = Track(name);
        file.chosen.push_back({content, {}});
        file.mustLoad = file.chosen.size() - 1;
    }
    Content Now(const std::string& name) { return HashOf(Track(name).path); }
    void LoadChosen(const std::string& name) {
        TrackedFile& file = Track(name);
        file.pendingLoads.push_back(file.mustLoad);
    }

    // Every file holds a content chosen for it, none older than it held.
    void Check() {
        for (auto& [path, file] : files_) {
            struct stat st {};
            const bool exists = ::stat(path.c_str(), &st) == 0;
            const auto seen = std::make_tuple(exists, st.st_ino, st.st_size,
                                              st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
            if (file.checked && seen == file.seen) {
                continue;
            }
            file.checked = true;
            file.seen = seen;
            const Content now = HashOf(path);
            const auto held = Find(file, now, file.held);
            if (!held) {
                ADD_FAILURE() << path
                              << (Find(file, now, 0) ? " went back to content chosen before what it held"
                                                     : " holds what no write chose");
                return;
            }
            file.held = *held;
        }
    }
    // At "Загружено)": the drawing is a whole content of a file a load was
    // chosen for, not older than the saves of it chosen before.
    void Loaded(const TAVecImage& drawing) {
        // A load fills a short last record, or the one record of a file of
        // a header alone, with zero bytes.
        std::string image = FileImage(drawing);
        std::vector<Content> reads{Hash(image)};
        for (int cut = 0; cut < 6 && !image.empty() && image.back() == 0; ++cut) {
            image.pop_back();
            reads.push_back(Hash(image));
        }
        bool older = false;
        // Of the loads chosen, the one with the newest bar the read meets;
        // those that ended otherwise stay, only ever letting more pass.
        for (auto& [path, file] : files_) {
            std::vector<std::size_t>& pending = file.pendingLoads;
            std::sort(pending.begin(), pending.end());
            for (auto bar = pending.rbegin(); bar != pending.rend(); ++bar) {
                for (const Content read : reads) {
                    if (Find(file, read, *bar)) {
                        pending.erase(std::next(bar).base());
                        return;
                    }
                }
            }
            for (const Content read : reads) {
                older = older || Find(file, read, 0);
            }
        }
        ADD_FAILURE() << (older ? "a load read a file older than the saves chosen before it"
                                : "a load read what was never a whole file");
    }

private:
    struct Written {
        Content content;
        std::string asLoaded; // a save chosen during the load of this file
    };
    struct TrackedFile {
        std::string path;
        std::vector<Written> chosen;
        std::size_t held = 0;     // the content last seen
        std::size_t mustLoad = 0; // the least a load chosen now must read
        std::vector<std::size_t> pendingLoads; // their mustLoad when chosen
        bool checked = false;
        std::tuple<bool, ino_t, off_t, time_t, long> seen;
    };

    static Content Hash(const std::string& bytes) { return std::hash<std::string>{}(bytes); }
    static Content HashOf(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? Hash(ReadFile(path)) : Content();
    }
    TrackedFile& Track(const std::string& name) {
        const std::string path = std::filesystem::weakly_canonical(std::filesystem::absolute(name));
        auto [at, added] = files_.try_emplace(path);
        if (added) {
            at->second.path = path;
            at->second.chosen.push_back({HashOf(path), {}});
        }
        return at->second;
    }
    // The file of the load that now owns the drawing, the innermost.
    const TrackedFile* FileLoading() const {
        const auto& running = RunningOperations();
        for (auto op = running.rbegin(); op != running.rend(); ++op) {
            if ((*op)->Kind == TOperationKind::Load && (*op)->OwnsDrawing()) {
                for (const auto& [path, file] : files_) {
                    // By name: the file may have been replaced since.
                    const TFileIdentity named = IdentifyFile(path);
                    if (named.FolderInode == (*op)->File.FolderInode &&
                        named.Name == (*op)->File.Name) {
                        return &file;
                    }
                }
                ADD_FAILURE() << "a load of a file the storm never named";
            }
        }
        return nullptr;
    }
    // The first content from `from` on that the file may hold as `content`.
    std::optional<std::size_t> Find(const TrackedFile& file, Content content,
                                    std::size_t from) const {
        for (std::size_t i = from; i < file.chosen.size(); ++i) {
            const Written& w = file.chosen[i];
            if (w.asLoaded.empty() ? w.content == content
                                   : std::any_of(files_.at(w.asLoaded).chosen.begin(),
                                                 files_.at(w.asLoaded).chosen.end(),
                                                 [&](const Written& read) {
                                                     return read.asLoaded.empty() &&
                                                            read.content == content;
                                                 })) {
                return i;
            }
        }
        return std::nullopt;
    }

    std::map<std::string, TrackedFile> files_;
};

enum class Action {
    Segment,
    Undo,
    Redo,
    Pace,
    Stop,
    Redraw,
    NewFile,
    Fill,
    AutosaveTick,
    Fit,
    Open,
    Save,
    SaveAs,
    TempSave,
    LoadTemp,
    ClearTemp,
    Screenshot,
    Count
};

class StormTest : public FileTest {
protected:
    void Perform(Action action, unsigned arg) {
        ++performed_;
        while (dialogs.ConfirmAnswers.size() < 4) {
            dialogs.ConfirmAnswers.push_back(true); // overwrite, delete: Yes
        }
        static const char* const saveNames[] = {"small.vlgf", "other.vlgf", "tempSaved.vlgf.tmp"};
        const std::string saveName = Path(saveNames[arg % 3]);
        switch (action) {
        case Action::Segment: {
            const QPoint to(static_cast<int>(arg % 780), static_cast<int>(arg / 780 % 580));
            if (arg % 8 == 0 || !ButtonHeld) {
                QTest::mouseRelease(&Screen(), Qt::LeftButton, {}, to);
                QTest::mousePress(&Screen(), Qt::LeftButton, {}, to);
            }
            QTest::mouseMove(&Screen(), to + QPoint(3, 2));
            break;
        }
        case Action::Undo:
        case Action::Redo: {
            if (!form->PanelCancel->isVisible() || arg % 16 == 0) {
                form->MMPanelCancel->trigger(); // takes RedoLimit anew
            }
            static const char* const steps[] = {"1", "16", "256", "3000", "x"};
            form->EditUndoStep->setText(steps[arg % 5]); // "x": the error box
            (action == Action::Undo ? form->ButtonBckwrd : form->ButtonFrwrd)->click();
            break;
        }
        case Action::Pace:
            (arg % 2 ? form->MMToEnd : form->MMDrawSlowly)->trigger();
            break;
        case Action::Stop:
            form->MMStopRender->trigger();
            break;
        case Action::Redraw:
            form->MMRedraw->trigger();
            break;
        case Action::NewFile:
            form->MMNewFile->trigger();
            break;
        case Action::Fill: {
            // No command records fills: placed as AddCommand places records,
            // and held back as recording is.
            if (LoadInProgress()) {
                break;
            }
            ChangeRecords(VecImage, VecImage.LastIndex + 1);
            VecImage.Commands.resize(static_cast<std::size_t>(VecImage.LastIndex + 1));
            VecImage.Commands.push_back(MakeColorRecord(CmdFill, 0xF0F0F0 - (arg % 4) * 0x101010));
            ++VecImage.LastIndex;
            break;
        }
        case Action::AutosaveTick:
            if (arg % 2) {
                form->AutosaveTicks = TMainForm::AutosavePeriod - 1; // this tick writes
            }
            if (form->AutosaveTicks + 1 >= TMainForm::AutosavePeriod) {
                files_.SaveChosen(TMainForm::TempFileName, VecImage, false);
            }
            RunGuarded(dialogs, [this] { form->Timer1Timer(); });
            break;
        case Action::Fit:
            form->ButtonFitToScreen->click();
            break;
        case Action::Open: {
            static const char* const names[] = {"small.vlgf", "tempSaved.vlgf.tmp", "big.vlgf",
                                                "missing.vlgf"};
            const std::string name = Path(names[arg % 4]);
            // Saves under the current name shrink the big drawing; put back
            // as a user's copy would be, where no write of the program runs.
            if (arg % 4 == 2 && RunningOperations().empty()) {
                WriteDrawing(big_, "big.vlgf.new");
                ASSERT_EQ(std::rename(Path("big.vlgf.new").c_str(), name.c_str()), 0);
                files_.WriteChosen(name, files_.Now(name));
            }
            dialogs.OpenAnswers.push_back(name);
            files_.LoadChosen(name);
            form->MMOpen->trigger();
            break;
        }
        case Action::Save:
            files_.SaveChosen(form->OpenDialog1.FileName, VecImage);
            form->MMSave->trigger();
            break;
        case Action::SaveAs:
            dialogs.SaveAnswers.push_back(saveName);
            files_.SaveChosen(saveName, VecImage);
            form->MMSaveAs->trigger();
            break;
        case Action::TempSave:
            files_.SaveChosen(TMainForm::TempFileName, VecImage);
            form->MMTempSave->trigger();
            break;
        case Action::LoadTemp:
            files_.LoadChosen(TMainForm::TempFileName);
            form->MMLoadTemp->trigger();
            break;
        case Action::ClearTemp:
            files_.WriteChosen(TMainForm::TempFileName, std::nullopt);
            form->MMClearTemp->trigger();
            break;
        case Action::Screenshot: {
            const std::string name = Path("other.vlgf"); // a file no load reads
            (void)arg;
            dialogs.SaveAnswers.push_back(name);
            form->MMSaveScreenAs->trigger();
            files_.WriteChosen(name, files_.Now(name));
            break;
        }
        case Action::Count:
            break;
        }
    }

    // Plays `start` with every pump posting the action that `next` picks,
    // until `events` were posted; the main loop's own pumps post the rest
    // when the playbacks end first. Returns when all were handled.
    // With `sparse`, one pump in 32 posts while a load reads and one in 4
    // while a drawing plays, so that big drawings come to be read whole and
    // stay long enough to be saved, and each pump of a save posts two.
    void Run(const std::function<void()>& start, const std::function<Action()>& next, int events,
             bool sparse = false) {
        const ScopedHost stormInstalled(storm_);
        int posted = 0;
        const auto toPost = [&]() -> int {
            if (!sparse) {
                return 1;
            }
            if (LoadInProgress()) {
                return rng_() % 32 == 0;
            }
            if (IsRunning(TOperationKind::Save)) {
                return 2; // a save pumps only a few times
            }
            return IsRunning(TOperationKind::Playback) ? rng_() % 4 == 0 : 1;
        };
        const auto post = [&] {
            for (int n = toPost(); n > 0 && posted < events; --n) {
                ++posted;
                const Action action = next();
                const unsigned arg = rng_();
                QMetaObject::invokeMethod(
                    form.get(),
                    [this, action, arg] {
                        Perform(action, arg);
                        files_.Check();
                        ExpectOneOrigin();
                    },
                    Qt::QueuedConnection);
            }
        };
        // Handles what is still queued, then checks the window.
        const auto settleAndCheck = [&](const char* when) {
            SCOPED_TRACE(when);
            storm_.onPump = nullptr;
            ASSERT_TRUE(WaitFor([&] { return performed_ == posted; }, 60000));
            EXPECT_LE(storm_.maxDepth, QtHost::MaxNesting + 1);
            EXPECT_GE(VecImage.LastIndex, -1);
            EXPECT_LE(static_cast<std::size_t>(VecImage.LastIndex + 1), VecImage.Commands.size());
            ExpectOneOrigin();
            ExpectRedrawShowsTheRecordsInForce();
        };
        storm_.onPump = post;
        storm_.onMessage = [this](const std::string& text) {
            if (text == MsgLoaded) {
                files_.Loaded(VecImage);
                readWhole_.insert(VecImage.Generation);
            }
        };
        start();
        settleAndCheck("once the first playback returned");
        // When every playback ended early, the main loop's own pumps bring
        // the rest.
        storm_.onPump = post;
        while (posted < events) {
            storm_.ProcessMessages();
        }
        settleAndCheck("at the end");
    }

    // The storm from one seed, on a drawing opened from the menu.
    void Storm(unsigned seed, int events = EventsPerRun) {
        rng_.seed(seed);
        big_ = Wander(BigRecords, seed);
        small_ = Wander(SmallRecords, seed + 1);
        WriteDrawing(big_, "big.vlgf");
        WriteDrawing(small_, "small.vlgf");
        WriteDrawing(big_, "whole.vlgf"); // what saves leave alone
        form->Timer1->setInterval(24 * 3600 * 1000); // the storm's own ticks only
        Run(
            [&] {
                dialogs.OpenAnswers.push_back(Path("big.vlgf"));
                files_.LoadChosen(Path("big.vlgf"));
                form->MMOpen->trigger();
            },
            [&] { return Pick(); }, events, true);
        std::printf("seed %u: pumps nested %d deep, %d records in force\n", seed, storm_.maxDepth,
                    VecImage.LastIndex + 1);
        // And the window still opens and plays a big drawing whole.
        form->MMToEnd->trigger();
        dialogs.OpenAnswers.push_back(Path("whole.vlgf"));
        form->MMOpen->trigger();
        EXPECT_EQ(VecImage.LastIndex, BigRecords - 1);
        ExpectRedrawShowsTheRecordsInForce();
    }

    // The drawing holds records of one origin: a file (then the user's
    // actions, which may have undone and cut off part of it), or the user's
    // actions alone; never a file's records after the user's, as a load
    // that took a new drawing for its own would splice them.
    void ExpectOneOrigin() {
        // A drawing a load began and did not read whole holds nothing once
        // the load is over: a change would have kept part of a file.
        for (const TRunningOperation* op : RunningOperations()) {
            if (op->Kind == TOperationKind::Load) {
                loadedInto_.insert(op->Generation);
            }
        }
        if (!LoadInProgress() && loadedInto_.count(VecImage.Generation) &&
            !readWhole_.count(VecImage.Generation)) {
            ASSERT_TRUE(VecImage.Commands.empty()) << "a part of a file with the user's records";
        }
        const TRecords& records = VecImage.Commands;
        const auto at = [&](std::size_t offset, const TRecords& file,
                            std::size_t count) {
            return records.size() >= offset + count &&
                   std::memcmp(records.data() + offset, file.data(), count * 6) == 0;
        };
        for (const TRecords* file : {&big_, &small_}) {
            if (file->empty()) {
                continue;
            }
            for (std::size_t offset = 256; offset + 256 <= records.size(); offset += 256) {
                ASSERT_FALSE(at(offset, *file, 256)) << "a file's records after " << offset;
            }
        }
    }

    // A fresh "Перерисовать" against the records in force played onto a
    // fresh canvas. Both start from the same state: no stop request pending
    // (one would end the redraw after its first record), and the pen
    // globals and pen position that the storm left, which a drawing that
    // begins with a line or without its own colour and width relies on.
    void ExpectRedrawShowsTheRecordsInForce() {
        StopRequested = false;
        const TColor pen = PenColor, fill = FillColor;
        const std::int32_t width = PenWidth;
        const TPoint at = Canvas().penPos();
        {
            const PaceOverride fast(PaceFastReplay); // the pace changes only how often it pumps
            form->MMRedraw->trigger();
        }

        TCanvas fresh(Canvas().width(), Canvas().height());
        fresh.moveTo(at.x, at.y);
        PenColor = pen;
        FillColor = fill;
        PenWidth = width;
        TAVecImage copy = VecImage;
        {
            const PaceOverride fast(PaceFastReplay);
            ClearSurface(fresh, ClearColor);
            RenderDrawing(fresh, copy, LiveView.OriginX, LiveView.OriginY, 0, copy.LastIndex,
                          LiveView.Scale, LiveView.Angle);
        }
        const std::size_t bytes = static_cast<std::size_t>(fresh.width()) * fresh.height() * 4;
        EXPECT_EQ(std::memcmp(Canvas().bits(), fresh.bits(), bytes), 0);
    }

    // Strokes most often, as users draw more than they do anything else;
    // a new drawing seldom, or most storms would end on an empty one.
    Action Pick() {
        static const std::discrete_distribution<int> weights{
            {30, 8, 8, 8, 5, 8, 1, 3, 8, 5, 3, 4, 4, 4, 2, 1, 2}};
        static_assert(static_cast<int>(Action::Count) == 17);
        auto pick = weights;
        return static_cast<Action>(pick(rng_));
    }

    // Posts an action before each pump, and tracks how deeply pumps nest:
    // each nested loop adds a level.
    FakeHost storm_{host};
    std::mt19937 rng_;
    int performed_ = 0;
    TRecords big_, small_; // the files' records
    FileModel files_;
    std::set<std::uint64_t> loadedInto_, readWhole_; // generations
};

// Each playback started inside the pump of the one before: without a limit
// the stack runs out after a few thousand.
TEST_F(StormTest, RedrawsChosenFasterThanTheyEndNestOnlySoDeep) {
    SetDrawing(StrokeRecords({{10, 10}, {300, 10}, {300, 200}, {10, 200}}));
    form->EnableDrawingItems();
    Pace = 1;
    Run([&] { form->MMRedraw->trigger(); }, [] { return Action::Redraw; }, 8000);
    EXPECT_EQ(storm_.maxDepth, QtHost::MaxNesting + 1);
}

TEST_F(StormTest, Seed1) {
    Storm(1);
}
TEST_F(StormTest, Seed2) {
    Storm(2);
}
TEST_F(StormTest, Seed3) {
    Storm(3);
}
// A longer storm by hand: VELLOGRAPH_STORM_SEED, and VELLOGRAPH_STORM_EVENTS
// (100,000 unless given).
TEST_F(StormTest, SeedFromTheEnvironment) {
    const char* seed = std::getenv("VELLOGRAPH_STORM_SEED");
    const char* events = std::getenv("VELLOGRAPH_STORM_EVENTS");
    if (!seed) {
        GTEST_SKIP() << "no VELLOGRAPH_STORM_SEED";
    }
    Storm(static_cast<unsigned>(std::strtoul(seed, nullptr, 10)),
          events ? std::atoi(events) : 100000);
}

} // namespace
