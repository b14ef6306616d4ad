// The file commands from the menu: what each one asks, writes, shows, and
// which state it keeps.
#include "tests/support/file_fixture.h"
#include "window/pickers/canvas_image.h"

#include <QPushButton>

#include <filesystem>

using namespace vellograph;

namespace {

constexpr const char* DrawingFilter =
    "Vellograph Drawing (*.vlgf)|*.vlgf|Text file|*.txt|All files|*.*";
const std::string FreshFile = std::string(StandardHeader) + "c0000\np0200\n";
const std::string SaveFailed = "Ошибка. Что-то не произошло";

bool Exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::vector<std::uint32_t> Pixels(const TCanvas& canvas) {
    return {canvas.bits(), canvas.bits() + canvas.width() * canvas.height()};
}

} // namespace

TEST_F(FileTest, SaveWritesUnderTheCurrentNameEvenOneThatWasNotFound) {
    for (QAction* item :
         {form->MMNewFile, form->MMOpen, form->MMSave, form->MMSaveAs, form->MMSaveScreenAs,
          form->MMTempSave, form->MMLoadTemp, form->MMClearTemp}) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    }
    // Right after start the current name is empty: nothing can be written,
    // and the autosave starts all the same.
    form->MMSave->trigger();
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{SaveFailed, "Размер сохраненного: 0 байт"}));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->Timer1->interval(), 1000);

    // Cancelling the open dialog changes nothing.
    dialogs.OpenAnswers = {std::nullopt, Path("typed.vlgf")};
    form->MMOpen->trigger();
    EXPECT_TRUE(form->OpenDialog1.FileName.empty());
    // A typed name that does not exist is not found, yet becomes the name.
    dialogs.Messages.clear();
    form->MMOpen->trigger();
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Файл не найден"});
    EXPECT_EQ(form->OpenDialog1.FileName, Path("typed.vlgf"));
    EXPECT_FALSE(form->DrawingItemsEnabled());
    EXPECT_TRUE(form->Timer1->isActive());
    ASSERT_EQ(dialogs.OpenRequests.size(), 2u);
    EXPECT_EQ(dialogs.OpenRequests[0].Title, "Открыть векторный рисунок");
    EXPECT_EQ(dialogs.OpenRequests[0].Filter, DrawingFilter);
    EXPECT_EQ(dialogs.OpenRequests[0].DefaultExt, "");

    // Switching the running timer on again keeps its beat.
    QTest::qWait(60);
    const int remaining = form->Timer1->remainingTime();
    form->MMSave->trigger();
    EXPECT_LE(form->Timer1->remainingTime(), remaining);
    EXPECT_EQ(ReadFile(Path("typed.vlgf")), FreshFile);
    EXPECT_EQ(dialogs.Messages.back(), "Размер сохраненного: 48 байт");
    EXPECT_EQ(form->SaveDialog1.FileName, Path("typed.vlgf"));
    EXPECT_TRUE(dialogs.SaveRequests.empty()); // no dialog, no question
}

TEST_F(FileTest, OpenPlaysTheFileAndNewFileStartsAfreshKeepingTheName) {
    const std::string path = WriteDrawing(StrokeRecords({{10, 100}, {300, 100}}), "a.vlgf");
    form->MMNewFile->trigger();
    LiveView.OriginX = 7; // an open plays through the view as it is
    dialogs.OpenAnswers = {path};
    form->MMOpen->trigger();
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Загружено)"});
    EXPECT_EQ(FileImage(VecImage), ReadFile(path));
    EXPECT_EQ(LiveView.OriginX, 7);
    EXPECT_EQ(Canvas().pixel(157, 100), 0x000000u);
    EXPECT_TRUE(form->DrawingItemsEnabled());
    EXPECT_TRUE(form->MMRedraw->isEnabled());
    EXPECT_FALSE(form->Timer1->isActive()); // no autosave after an open
    EXPECT_EQ(form->OpenDialog1.FileName, path);

    PenWidth = 9;
    PenColor = 0x0000FF;
    FillColor = 0x00FF00;
    Canvas().setPenWidth(9);
    Canvas().setPenColor(0x0000FF);
    form->MMNewFile->trigger();
    EXPECT_EQ(CountPixels(Canvas(), 0xFFFFFF), Canvas().width() * Canvas().height());
    EXPECT_EQ(FileImage(VecImage), FreshFile);
    EXPECT_EQ(VecImage.LastFillIndex, NoIndex);
    EXPECT_EQ(LiveView.OriginX, 0);
    EXPECT_EQ(PenWidth, 2);
    EXPECT_EQ(PenColor, 0u);
    EXPECT_EQ(FillColor, 0xFFFFFFu);
    EXPECT_EQ(Canvas().penWidth(), 2);
    EXPECT_EQ(Canvas().penColor(), 0u);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->OpenDialog1.FileName, path);

    // "Сохранить" now overwrites the opened file without a question.
    form->MMSave->trigger();
    EXPECT_EQ(ReadFile(path), FreshFile);
    EXPECT_TRUE(dialogs.Confirmations.empty());
}

TEST_F(FileTest, SaveAsAsksBeforeOverwritingAndThenTakesTheName) {
    const std::string existing = Path("b.vlgf");
    WriteFile(existing, "old");
    SetDrawing(StrokeRecords({{1, 2}, {3, 4}}));
    dialogs.SaveAnswers = {std::nullopt, existing, existing, Path("c.vlgf")};
    dialogs.ConfirmAnswers = {false, true};

    form->MMSaveAs->trigger(); // the dialog cancelled
    form->MMSaveAs->trigger(); // the overwrite refused
    EXPECT_EQ(dialogs.Confirmations, std::vector<std::string>{"Файл уже есть. перезаписать?"});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Не сохранено"});
    EXPECT_EQ(ReadFile(existing), "old");
    EXPECT_TRUE(form->OpenDialog1.FileName.empty());
    EXPECT_FALSE(form->Timer1->isActive());

    form->MMSaveAs->trigger(); // overwritten
    EXPECT_EQ(ReadFile(existing), FileImage(VecImage));
    EXPECT_EQ(dialogs.Messages.back(), "Размер сохраненного: 48 байт");
    EXPECT_EQ(form->OpenDialog1.FileName, existing);
    EXPECT_TRUE(form->Timer1->isActive());

    form->MMSaveAs->trigger(); // a new name needs no question
    EXPECT_EQ(dialogs.Confirmations.size(), 2u);
    EXPECT_EQ(ReadFile(Path("c.vlgf")), FileImage(VecImage));
    EXPECT_EQ(form->OpenDialog1.FileName, Path("c.vlgf"));

    ASSERT_EQ(dialogs.SaveRequests.size(), 4u);
    EXPECT_EQ(dialogs.SaveRequests[0].Title, "Сохранить векторный рисунок как...");
    EXPECT_EQ(dialogs.SaveRequests[0].Filter, DrawingFilter);
    EXPECT_EQ(dialogs.SaveRequests[0].DefaultExt, "vlgf");
    EXPECT_EQ(dialogs.SaveRequests[3].FileName, existing); // starts from the last name
}

TEST_F(FileTest, TheTemporaryFileIsWrittenLoadedAndDeletedInTheCurrentDirectory) {
    dialogs.ConfirmAnswers = {false, true};
    form->MMLoadTemp->trigger();
    form->MMClearTemp->trigger(); // Cancel: nothing
    form->MMClearTemp->trigger(); // Yes, but there is nothing to delete
    EXPECT_EQ(dialogs.Messages, (std::vector<std::string>{"Файл не найден", "Его и так нет"}));
    EXPECT_EQ(dialogs.Confirmations,
              std::vector<std::string>(2, "Уверены что хотите удалить файл сохранки?"));
    EXPECT_FALSE(form->DrawingItemsEnabled());

    SetDrawing(StrokeRecords({{20, 50}, {200, 50}}));
    const std::string saved = FileImage(VecImage);
    dialogs.Messages.clear();
    form->MMTempSave->trigger();
    EXPECT_EQ(ReadFile(TempFile()), saved);
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Размер сохраненного: 48 байт"});
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(form->OpenDialog1.FileName.empty());

    // Loading resets the view and the pen first; this drawing sets no pen.
    NewDrawing(VecImage);
    LiveView.OriginX = 7;
    PenWidth = 9;
    form->MMLoadTemp->trigger();
    EXPECT_EQ(dialogs.Messages.back(), "Загружено)");
    EXPECT_EQ(FileImage(VecImage), saved);
    EXPECT_EQ(LiveView.OriginX, 0);
    EXPECT_EQ(PenWidth, 2);
    EXPECT_EQ(Canvas().pixel(100, 50), 0x000000u);
    EXPECT_TRUE(form->DrawingItemsEnabled());
    EXPECT_FALSE(form->Timer1->isActive());

    dialogs.ConfirmAnswers = {false, true};
    form->MMClearTemp->trigger();
    EXPECT_TRUE(Exists(TempFile()));
    const std::size_t messages = dialogs.Messages.size();
    form->MMClearTemp->trigger();
    EXPECT_FALSE(Exists(TempFile()));
    EXPECT_EQ(dialogs.Messages.size(), messages);
}

TEST_F(FileTest, TheScreenshotIsTheSurfaceAsABitmapWhateverItsName) {
    const std::string blank = Path("blank.bmp");
    const std::string named = Path("shot.txt");
    dialogs.SaveAnswers = {std::nullopt, blank, named, named};
    dialogs.ConfirmAnswers = {false};
    form->MMSaveScreenAs->trigger();
    EXPECT_FALSE(Exists(blank));
    form->MMSaveScreenAs->trigger(); // nothing painted yet: the white surface
    EXPECT_EQ(CountPixels(Canvas(), 0xFFFFFF), Canvas().width() * Canvas().height());
    ExpectBitmapOf(ReadFile(blank), Canvas());

    PenColor = 0x0000FF;
    PenWidth = 5;
    Draw({{30, 40}, {250, 90}, {120, 300}});
    form->PlaceAtPointer(form->PanelDelay); // panels are no part of the picture
    const std::string drawing = FileImage(VecImage);
    form->MMSaveScreenAs->trigger();
    ExpectBitmapOf(ReadFile(named), Canvas());
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(dialogs.Errors.empty());
    EXPECT_EQ(FileImage(VecImage), drawing);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(form->OpenDialog1.FileName.empty());

    const std::string before = ReadFile(named);
    form->MMSaveScreenAs->trigger(); // exists; refused
    EXPECT_EQ(dialogs.Confirmations, std::vector<std::string>{"Файл уже есть. перезаписать?"});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Не сохранено"});
    EXPECT_EQ(ReadFile(named), before);

    EXPECT_EQ(dialogs.SaveRequests[0].Title, "Сохранить скриншот как...");
    EXPECT_EQ(dialogs.SaveRequests[0].Filter, "Bitmap (*.bmp)|*.bmp|Все файлы|*.*");
    EXPECT_EQ(dialogs.SaveRequests[0].DefaultExt, "bmp");
}

TEST_F(FileTest, ADrawingSavedAndOpenedAgainReplaysToTheSamePicture) {
    Draw({{40, 40}, {120, 60}, {200, 180}, {90, 250}, {91, 251}});
    Draw({{300, 100}, {310, 100}, {400, 300}, {399, 20}});
    const std::string records = FileImage(VecImage);
    const std::vector<std::uint32_t> pixels = Pixels(Canvas());

    dialogs.SaveAnswers = {Path("round.vlgf")};
    form->MMSaveAs->trigger();
    form->MMNewFile->trigger();
    ASSERT_FALSE(Pixels(Canvas()) == pixels);
    dialogs.OpenAnswers = {Path("round.vlgf")};
    form->MMOpen->trigger();
    EXPECT_EQ(FileImage(VecImage), records);
    EXPECT_TRUE(Pixels(Canvas()) == pixels);
}

// What the user does in the first pump of a load, and what must come of it.
struct DuringLoad {
    const char* what;
    std::function<void(TMainForm&)> act;
    std::vector<std::string> messages; // after the load's own "Загружено)"
    bool loadEnds;                     // a command replaced the drawing
    bool tempWritten;
    bool fileFresh; // the file loaded was saved over with a new drawing
    int ticksAfter; // only an autosave that wrote starts the count again
};

TEST_F(FileTest, WhileALoadReadsNothingRecordsAndSavesWaitForTheWholeDrawing) {
    FakeHost counting{host};
    ScopedHost installed{counting};
    const std::string path =
        WriteDrawing(TRecords(1000, MakeNumberRecord(CmdMove, 5, 5)), "big.vlgf");
    const std::string whole = ReadFile(path);
    const std::string saved = "Размер сохраненного: 6036 байт";
    form->EnableDrawingItems();
    form->Timer1->setInterval(1 << 30); // ticks come from the rows alone, however slow the run
    const auto click = [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3)); };
    const std::vector<DuringLoad> rows = {
        {"a stroke, undo, redo, both pickers' clicks and the delay; accept runs",
         [&](TMainForm& f) {
             Draw({{40, 40}, {90, 60}, {120, 30}});
             for (QAction* tool : {f.MMPanelCancel, f.MMPanelDelay, f.MMPenWidth, f.MMPenColor}) {
                 tool->trigger();
             }
             const std::vector<QWidget*> controls = {f.ButtonBckwrd,       f.ButtonFrwrd,
                                                     f.ButtonCancelAccept, f.ButtonDelay,
                                                     f.ImagePenWidth,      f.ImagePenColor};
             for (QWidget* w : controls) {
                 click(w);
             }
             EXPECT_FALSE(f.PanelCancel->isVisible()); // Accept changes no drawing
             EXPECT_EQ(f.cursor().shape(), Qt::BusyCursor);
         },
         {},
         false,
         false,
         false,
         0},
        {"save, then temporary save: both, in order, of the whole file",
         [&](TMainForm& f) {
             f.MMSave->trigger(); // the file being loaded is the current one
             f.MMTempSave->trigger();
             EXPECT_EQ(ReadFile(path), whole);
             EXPECT_FALSE(Exists(TempFile()));
         },
         {saved, saved},
         false,
         true,
         false,
         0},
        {"an autosave due: written once the drawing is in",
         [&](TMainForm& f) {
             f.AutosaveTicks = TMainForm::AutosavePeriod - 1;
             Tick();
             Tick();
             EXPECT_FALSE(Exists(TempFile()));
         },
         {},
         false,
         true,
         false,
         0},
        {"save, then a new file: both saves are dropped, the autosave silently",
         [&](TMainForm& f) {
             f.AutosaveTicks = TMainForm::AutosavePeriod - 1;
             Tick();
             f.MMSave->trigger();
             f.MMNewFile->trigger();
         },
         {"Не сохранено"},
         true,
         false,
         false,
         TMainForm::AutosavePeriod},
        {"a new file, then save: the save writes the new drawing",
         [&](TMainForm& f) {
             f.MMNewFile->trigger();
             f.MMSave->trigger();
         },
         {"Размер сохраненного: 48 байт"},
         true,
         false,
         true,
         0},
    };
    for (const DuringLoad& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove(TempFile());
        WriteFile(path, whole);
        form->AutosaveTicks = 0;
        dialogs.Messages.clear();
        bool acted = false;
        counting.onPump = [&] {
            if (LoadInProgress() && !acted) {
                acted = true;
                row.act(*form);
            }
        };
        dialogs.OpenAnswers = {path};
        form->MMOpen->trigger();
        counting.onPump = nullptr;
        ASSERT_TRUE(acted);
        EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
        std::vector<std::string> expected = row.messages;
        if (!row.loadEnds) {
            expected.insert(expected.begin(), "Загружено)");
            EXPECT_EQ(FileImage(VecImage), whole);
        }
        EXPECT_EQ(dialogs.Messages, expected);
        EXPECT_EQ(ReadFile(path), row.fileFresh ? FreshFile : whole);
        EXPECT_EQ(Exists(TempFile()) ? ReadFile(TempFile()) : "", row.tempWritten ? whole : "");
        EXPECT_EQ(form->AutosaveTicks, row.ticksAfter);
        form->PanelCancel->hide();
    }
}
