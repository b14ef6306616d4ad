// TMainForm: the one window, its components and its event handlers.
#pragma once

#include "engine/format/drawing.h"
#include "window/form/command_policy.h"
#include "window/platform/dialogs.h"

#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;
class QTimer;

namespace vellograph {

class DatabaseUpdateListener;
class QtHost;
class TCanvasImage;
class TImageScreen;

// The handlers are named after the control and the event; each is connected
// through Guarded, so an error ends the handler and reaches the error box.
// The components are public, as the handlers of every panel reach them.
class TMainForm : public QWidget {
    Q_OBJECT

public:
    // args is the command line without the program name. host, when given,
    // is told to refresh the surface as a playback pumps the queue.
    TMainForm(TDialogs& dialogs, QtHost* host, std::vector<std::string> args,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // The boxes and dialogs, silent once the program quits.
    TDialogs& Dialogs() { return dialogs_; }

    // Covers the whole screen it opens on, the desktop's panels included.
    void ShowOnScreen();

    // Components, in the order in which they stack.
    TImageScreen* ImageScreen = nullptr;
    QLabel* LabelInform = nullptr;
    TCanvasImage* ImagePenWidth = nullptr;
    TCanvasImage* ImagePenColor = nullptr;
    QFrame* PanelCancel = nullptr;
    QFrame* PanelDelay = nullptr;
    QFrame* PanelTranspForm = nullptr;
    QFrame* PanelRotNScal = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* TimerLoader = nullptr;
    TFileDialog OpenDialog1; // its file name is the current file name
    TFileDialog SaveDialog1;
    TFileDialog SaveImageDialog;

    // PanelCancel's components (undo_panel.cpp).
    QPushButton* ButtonBckwrd = nullptr;
    QPushButton* ButtonCancelAccept = nullptr;
    QPushButton* ButtonFrwrd = nullptr;
    QLabel* LabelUndoStep = nullptr;
    QLineEdit* EditUndoStep = nullptr;
    // PanelDelay's components (delay_panel.cpp).
    QLabel* LabelDelay = nullptr;
    QLineEdit* EditDelay = nullptr;
    QPushButton* ButtonDelay = nullptr;
    QPushButton* ButtonDelayClose = nullptr;

    QMenu* PopupMainMenu = nullptr;
    QAction* MMPenWidth = nullptr;
    QAction* MMPenColor = nullptr;
    QAction* MMPanelCancel = nullptr;
    QAction* MMPanelDelay = nullptr;
    QAction* N3 = nullptr;
    QAction* MMNewFile = nullptr;
    QAction* MMOpen = nullptr;
    QAction* MMSave = nullptr;
    QAction* MMSaveAs = nullptr;
    QAction* MMSaveScreenAs = nullptr;
    QAction* N1 = nullptr;
    QAction* MMTempSave = nullptr;
    QAction* MMLoadTemp = nullptr;
    QAction* MMClearTemp = nullptr;
    QAction* MMRedraw = nullptr;
    QAction* MMToEnd = nullptr;
    QAction* MMDrawSlowly = nullptr;
    QAction* MMStopRender = nullptr;
    QMenu* MMSettings = nullptr;
    QAction* MMAssociateExt = nullptr;
    QAction* MMDelAssociateExt = nullptr;
    QAction* N4 = nullptr;
    QAction* MMTranspForm = nullptr;
    QAction* MMPanelRotNScal = nullptr;
    QAction* MMAbout = nullptr;
    QAction* N2 = nullptr;
    QAction* MMExit = nullptr;

    // Start-up and shell (main_form.cpp).
    void FormCreate();
    void TimerLoaderTimer();
    void FormKeyDown(int key);
    void MMExitClick();
    void MMAboutClick();

    // Strokes (stroke_handlers.cpp). Positions are surface pixels.
    void ImageScreenMouseDown(Qt::MouseButton button, int x, int y);
    void ImageScreenMouseMove(int x, int y);
    void ImageScreenMouseUp(Qt::MouseButton button, int x, int y);

    // Playback (playback_commands.cpp).
    void MMRedrawClick();
    void MMToEndClick();
    void MMDrawSlowlyClick();
    void MMStopRenderClick();

    // Pen width and colour pickers (pen_width_picker.cpp, pen_color_picker.cpp).
    // Positions are picture pixels.
    void ImagePenWidthMouseMove(int x, int y);
    void ImagePenWidthMouseDown(Qt::MouseButton button, int x, int y);
    void ImagePenColorMouseMove(int x, int y);
    void ImagePenColorMouseDown(Qt::MouseButton button, int x, int y);

    // Undo/redo and delay panels (undo_panel.cpp, delay_panel.cpp).
    void ButtonBckwrdClick();
    void ButtonFrwrdClick();
    void ButtonCancelAcceptClick();
    void ButtonDelayClick();
    void ButtonDelayCloseClick();

    // The menu commands, each defined in the file of its tool or concern.
    void MMPenWidthClick();
    void MMPenColorClick();
    void MMPanelCancelClick();
    void MMPanelDelayClick();
    void MMNewFileClick();
    void MMOpenClick();
    void MMSaveClick();
    void MMSaveAsClick();
    void MMSaveScreenAsClick();
    void MMTempSaveClick();
    void MMLoadTempClick();
    void MMClearTempClick();
    void MMAssociateExtClick();
    void MMDelAssociateExtClick();
    // Shows in the error box why a background rebuild of the desktop's
    // databases after "Привязать расширение *.vlgf" failed.
    void ShowDatabaseUpdateFailures();
    void MMTranspFormClick();
    void MMPanelRotNScalClick();
    void Timer1Timer();

    // The scale/rotation panel's controls and handlers (rot_scale_panel.cpp).
    QSlider* TrackBarScale = nullptr;  // position p: scale p / 20
    QSlider* TrackBarRotate = nullptr; // position p: angle p / 10 radians
    QPushButton* ButtonRNScalCancel = nullptr;
    QPushButton* ButtonRNScalOk = nullptr;
    QPushButton* ButtonScalToDef = nullptr;
    QPushButton* ButtonFitToScreen = nullptr;
    void TrackBarScaleChange();
    void TrackBarRotateChange();
    void ButtonRNScalCancelClick();
    void ButtonRNScalOkClick();
    void ButtonScalToDefClick();
    void ButtonFitToScreenClick();

    // The transparency panel's controls and handlers (transparency_panel.cpp).
    QSlider* TrackBarTranspForm = nullptr;
    QPushButton* ButtonTrFormOk = nullptr;
    QCheckBox* CheckBoxTrForm = nullptr;
    void TrackBarTranspFormChange();
    void CheckBoxTrFormClick();
    void ButtonTrFormOkClick();
    // The window's translucency, in effect at once: the level (255 opaque)
    // applies while AlphaBlend is on. Setting the value a property already
    // has does nothing.
    bool AlphaBlend() const { return alphaBlend_; }
    void SetAlphaBlend(bool on);
    std::uint8_t AlphaBlendValue() const { return alphaBlendValue_; }
    void SetAlphaBlendValue(std::uint8_t value);

    // Autosave (autosave.cpp). The temporary file is a bare name, resolved
    // against the current directory each time it is used.
    static constexpr const char* TempFileName = "tempSaved.vlgf.tmp";
    static constexpr std::int32_t AutosavePeriod = 30;
    std::int32_t AutosaveTicks = 0;
    // The label's visibility after each autosave: never shown.
    static constexpr bool ShowLabelAfterAutosave = false;

    // Enables MMRedraw, MMPenWidth, MMPenColor, MMPanelCancel and
    // MMPanelDelay, in that order; nothing disables them again.
    void EnableDrawingItems();
    bool DrawingItemsEnabled() const;

    // Clears the surface in white and shows it.
    void ClearScreen();
    // Plays records start..end of the drawing through LiveView onto the
    // surface, refreshing the screen at every pump of the queue.
    void PlayRecords(std::int32_t start, std::int32_t end);
    // Puts a panel or picker's top-left corner at the latest press and shows
    // it, keeping the design's stacking: panels above pickers, later
    // components above earlier ones.
    void PlaceAtPointer(QWidget* widget);

    // Ends the program as "Выход" answered Yes does: every loop in
    // progress ends, outer ones too, and nothing runs or shows after it.
    void Quit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateComponents();
    void CreateMenu();
    void CreatePenWidthPicker();
    void CreatePenColorPicker();
    void CreateUndoPanel();
    void CreateDelayPanel();
    void WireCommands();
    // The scale/rotation panel's frame preview: a left drag while that panel
    // is visible moves the frame instead of drawing.
    void FramePreviewMove();
    // Fill the scale/rotation and transparency panels and connect them.
    void BuildPanelRotNScal();
    void BuildPanelTranspForm();
    // The way the window shows its translucency, chosen once before the
    // window is created, and the level shown that way (transparency_panel.cpp).
    void PrepareTranslucency();
    void ShowAlpha(int level);

    // File commands (file_commands.cpp): the pen back to its start-up state,
    // Timer1 on without restarting its interval.
    void ResetPen();
    void EnableTimer1();

    // What the commands that read, write or delete a file do while a load
    // or a save runs, declared in WireCommands.
    using Command = void (TMainForm::*)();
    TCommandPolicy PolicyOf(Command command) const;
    std::vector<std::pair<Command, TCommandPolicy>> policies_;
    // A left press and drag record: held back while a load reads.
    TCommandPolicy strokePolicy_;

    // A drawing save as it was chosen: the file and the drawing's generation
    // at that moment, and what the command does once it wrote.
    struct TChosenSave {
        std::string FileName;
        TFileIdentity File;
        std::uint64_t Generation = 0;
        bool IsAutosave = false;    // a drop says nothing
        bool EnablesTimer1 = false; // "Сохранить", "Сохранить как..."
        std::function<void(std::int32_t size)> Written; // after the write, failed or not
        std::uint64_t WriteNumber = 0; // its place among the writes chosen
    };
    // Writes the drawing now; while a load reads and the command's policy
    // is Wait, once the load has read the whole file (load_guard.cpp).
    void WriteDrawing(Command command, TChosenSave save);
    // The write itself, or "Не сохранено" when the drawing is no longer the
    // one the save was chosen for.
    void RunChosenSave(const TChosenSave& save, const TAVecImage& drawing = VecImage);
    // Runs rest now; while a save still writes the file and the command's
    // policy is Wait, once no save does.
    void AfterSavesOf(Command command, const std::string& fileName, std::function<void()> rest);
    void RunWhenNoSaveWrites(const TFileIdentity& file, std::function<void()> rest);

    // Loads as the window runs them (load_guard.cpp).
    struct HeldLoad {
        LoadOutcome Outcome;
        std::vector<TChosenSave> Saves; // to run once the caller's steps allow
    };
    HeldLoad LoadHoldingBack(const std::string& fileName);
    // Runs the saves chosen while the load read; true when one of them
    // turned Timer1 on.
    bool RunHeldSaves(const std::vector<TChosenSave>& saves);
    // The busy cursor exactly while a load reads.
    void ShowLoadCursor();
    // The rest of "Открыть файл" and "Загрузка сохранки", once the file is
    // chosen and no save writes it.
    void OpenChosenFile(const std::string& fileName);
    void LoadChosenTemp();
    // The autosave itself, due or put off by a load (autosave.cpp).
    void Autosave();

    TQuietOnceQuit dialogs_;
    QtHost* host_;
    std::vector<std::string> args_;
    int playbackDepth_ = 0;
    bool alphaBlend_ = false;
    std::uint8_t alphaBlendValue_ = 255;
    bool alphaPainted_ = false; // by the window's own alpha channel
    bool fullScreenWhenOpaque_ = false; // left the full-screen state to be translucent

    bool autosaveInProgress_ = false;
    // An autosave is chosen and waits for a load to read the whole file.
    bool autosaveWaiting_ = false;
    // One list per load begun by this window and not yet returned, innermost last.
    std::vector<std::vector<TChosenSave>> savesAwaitingLoad_;
    bool loadCursorShown_ = false;
    // The left press came while a load read: the stroke records nothing.
    bool strokeHeldBack_ = false;
    // Last, so that it goes first: no failure is announced to a window half gone.
    std::unique_ptr<DatabaseUpdateListener> databaseUpdates_;
};

} // namespace vellograph
