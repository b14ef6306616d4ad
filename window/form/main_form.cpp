// The main window: its components and wiring, start-up, Esc, "Выход" and "О программе".
#include "window/form/main_form.h"

#include "desktop/database_updates.h"
#include "engine/format/drawing.h"
#include "engine/playback/render.h"
#include "window/form/guarded.h"
#include "window/form/image_screen.h"
#include "window/form/pointer_state.h"
#include "window/form/views.h"
#include "window/panels/panel_parts.h"
#include "window/pickers/canvas_image.h"
#include "window/platform/qt_host.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace vellograph {

namespace {

constexpr int LoaderDelayMs = 66;
constexpr int Timer1IntervalMs = 1000;
constexpr int LabelDistanceFromBottom = 30;
constexpr const char* AboutText = "Vellograph v3.1.1\n"
                                  "Written by the Vellograph developers\n"
                                  "https://vellograph.example.org";

} // namespace

TMainForm::TMainForm(TDialogs& dialogs, QtHost* host, std::vector<std::string> args,
                     QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), dialogs_(dialogs), host_(host),
      args_(std::move(args)) {
    setObjectName("MainForm");
    setWindowTitle("Vellograph");
    QFont font("MS Sans Serif"); // the panels' controls take it
    font.setPixelSize(11);
    setFont(font);
    setGeometry(192, 114, 920, 446); // until the window covers the screen
    PrepareTranslucency();
    CreateComponents();
    CreateMenu();
    WireCommands();
    // A failure of the desktop's databases rebuilt in the background comes
    // on another thread; the error box shows it from the event queue.
    databaseUpdates_ = std::make_unique<DatabaseUpdateListener>([this] {
        QMetaObject::invokeMethod(this, Guarded(this, &TMainForm::ShowDatabaseUpdateFailures),
                                  Qt::QueuedConnection);
    });
    // Key preview: Esc reaches FormKeyDown whichever control has the focus.
    qApp->installEventFilter(this);
    if (host_) {
        host_->SetBeforePump([this] {
            ShowLoadCursor();
            if (playbackDepth_ > 0) {
                ImageScreen->InvalidateAll();
            }
        });
    }
    RunGuarded(dialogs_, [this] { FormCreate(); });
}

TMainForm::~TMainForm() {
    if (host_) {
        host_->SetBeforePump(nullptr);
    }
}

void TMainForm::CreateComponents() {
    ImageScreen = new TImageScreen(this);
    ImageScreen->setObjectName("ImageScreen");
    ImageScreen->setGeometry(rect());

    LabelInform = new QLabel("LabelInform", this);
    LabelInform->setObjectName("LabelInform");
    QFont labelFont("Comic Sans MS");
    labelFont.setPixelSize(16);
    LabelInform->setFont(labelFont);
    LabelInform->setAutoFillBackground(true); // opaque on the window's colour
    LabelInform->setGeometry(0, height() - LabelDistanceFromBottom, 92, 23);
    LabelInform->hide();

    CreatePenWidthPicker();
    CreatePenColorPicker();
    CreateUndoPanel();
    CreateDelayPanel();
    PanelTranspForm = MakePanel(this, "PanelTranspForm", {8, 256, 545, 73});
    PanelRotNScal = MakePanel(this, "PanelRotNScal", {632, 8, 249, 137});
    BuildPanelTranspForm();
    BuildPanelRotNScal();
    for (QWidget* panel : {PanelCancel, PanelDelay, PanelTranspForm, PanelRotNScal}) {
        for (QWidget* control : panel->findChildren<QWidget*>()) {
            FitCaption(*control); // captions as they are built: the widest each shows
        }
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(Timer1IntervalMs);
    TimerLoader = new QTimer(this);
    TimerLoader->setObjectName("TimerLoader");
    TimerLoader->setInterval(LoaderDelayMs);
    TimerLoader->setSingleShot(true);

    OpenDialog1 = {"Открыть векторный рисунок",
                   "Vellograph Drawing (*.vlgf)|*.vlgf|Text file|*.txt|All files|*.*", "", ""};
    SaveDialog1 = {"Сохранить векторный рисунок как...",
                   "Vellograph Drawing (*.vlgf)|*.vlgf|Text file|*.txt|All files|*.*", "vlgf", ""};
    SaveImageDialog = {"Сохранить скриншот как...", "Bitmap (*.bmp)|*.bmp|Все файлы|*.*", "bmp",
                       ""};
}

void TMainForm::WireCommands() {
    // What each command does while a long operation runs (running.h):
    // every command runs inside playbacks, fit scans and delays; the
    // policies below are the exceptions, against loads and saves.
    // Recording into the drawing or moving LastIndex while a load reads
    // would mix the file's records with the user's: held back. Showing a
    // panel, hovering over a picker, "Accept" and the playback commands
    // change no drawing and run.
    const TCommandPolicy records{TPolicy::HoldBack, TPolicy::RunInside};
    strokePolicy_ = records;
    // A save chosen during a load takes its file and the drawing now and
    // writes once the whole file is read (dropped, "Не сохранено", when the
    // drawing was replaced meanwhile).
    const TCommandPolicy saves{TPolicy::Wait, TPolicy::RunInside};
    // Reading or deleting a file that a save still writes waits for it.
    const TCommandPolicy reads{TPolicy::RunInside, TPolicy::Wait};
    policies_ = {
        {&TMainForm::MMSaveClick, saves},      {&TMainForm::MMSaveAsClick, saves},
        {&TMainForm::MMTempSaveClick, saves},  {&TMainForm::Timer1Timer, saves},
        {&TMainForm::MMOpenClick, reads},      {&TMainForm::MMLoadTempClick, reads},
        {&TMainForm::MMClearTempClick, reads},
    };

    connect(ImageScreen, &TImageScreen::MouseDown, this,
            Guarded(this, &TMainForm::ImageScreenMouseDown));
    connect(ImageScreen, &TImageScreen::MouseMove, this,
            Guarded(this, &TMainForm::ImageScreenMouseMove));
    connect(ImageScreen, &TImageScreen::MouseUp, this,
            Guarded(this, &TMainForm::ImageScreenMouseUp));
    connect(TimerLoader, &QTimer::timeout, this, Guarded(this, &TMainForm::TimerLoaderTimer));

    const auto onTrigger = [this](QAction* item, void (TMainForm::*handler)()) {
        connect(item, &QAction::triggered, this, Guarded(this, handler));
    };
    // Playback.
    onTrigger(MMRedraw, &TMainForm::MMRedrawClick);
    onTrigger(MMToEnd, &TMainForm::MMToEndClick);
    onTrigger(MMDrawSlowly, &TMainForm::MMDrawSlowlyClick);
    onTrigger(MMStopRender, &TMainForm::MMStopRenderClick);

    // Files and autosave.
    onTrigger(MMNewFile, &TMainForm::MMNewFileClick);
    onTrigger(MMOpen, &TMainForm::MMOpenClick);
    onTrigger(MMSave, &TMainForm::MMSaveClick);
    onTrigger(MMSaveAs, &TMainForm::MMSaveAsClick);
    onTrigger(MMSaveScreenAs, &TMainForm::MMSaveScreenAsClick);
    onTrigger(MMTempSave, &TMainForm::MMTempSaveClick);
    onTrigger(MMLoadTemp, &TMainForm::MMLoadTempClick);
    onTrigger(MMClearTemp, &TMainForm::MMClearTempClick);
    connect(Timer1, &QTimer::timeout, this, Guarded(this, &TMainForm::Timer1Timer));

    // Pen width and colour pickers: a click records, hovering does not.
    onTrigger(MMPenWidth, &TMainForm::MMPenWidthClick);
    onTrigger(MMPenColor, &TMainForm::MMPenColorClick);
    connect(ImagePenWidth, &TCanvasImage::MouseMove, this,
            Guarded(this, &TMainForm::ImagePenWidthMouseMove));
    connect(ImagePenWidth, &TCanvasImage::MouseDown, this,
            Guarded(this, &TMainForm::ImagePenWidthMouseDown, records));
    connect(ImagePenColor, &TCanvasImage::MouseMove, this,
            Guarded(this, &TMainForm::ImagePenColorMouseMove));
    connect(ImagePenColor, &TCanvasImage::MouseDown, this,
            Guarded(this, &TMainForm::ImagePenColorMouseDown, records));

    // Undo/redo and delay panels.
    onTrigger(MMPanelCancel, &TMainForm::MMPanelCancelClick);
    onTrigger(MMPanelDelay, &TMainForm::MMPanelDelayClick);
    connect(ButtonBckwrd, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonBckwrdClick, records));
    connect(ButtonFrwrd, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonFrwrdClick, records));
    connect(ButtonCancelAccept, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonCancelAcceptClick));
    connect(ButtonDelay, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonDelayClick, records));
    connect(ButtonDelayClose, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonDelayCloseClick));

    // Settings.
    onTrigger(MMAssociateExt, &TMainForm::MMAssociateExtClick);
    onTrigger(MMDelAssociateExt, &TMainForm::MMDelAssociateExtClick);
    onTrigger(MMTranspForm, &TMainForm::MMTranspFormClick);
    onTrigger(MMPanelRotNScal, &TMainForm::MMPanelRotNScalClick);

    // Shell.
    onTrigger(MMAbout, &TMainForm::MMAboutClick);
    onTrigger(MMExit, &TMainForm::MMExitClick);
}

void TMainForm::ShowOnScreen() {
    // The screen the user works on, under the pointer; the primary one when
    // the pointer is on none (or, on Wayland, not known before a window is).
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen) {
        setScreen(screen);
        setGeometry(screen->geometry()); // covers it also without a window manager
    }
    // Maximized, GNOME and KDE keep their panels in view and the surface
    // would start below the top bar; only the full-screen state covers the
    // whole screen, so that surface pixels are screen pixels.
    showFullScreen();
}

void TMainForm::FormCreate() {
    ResetView(LiveView);
    NewDrawing(VecImage);
    if (args_.empty()) {
        return; // further arguments are ignored, and so is the rest here
    }
    OpenDialog1.FileName = args_.front();
    if (FileExists(OpenDialog1.FileName)) {
        const HeldLoad load = LoadHoldingBack(OpenDialog1.FileName);
        EnableDrawingItems();
        if (load.Outcome == LoadOutcome::Superseded) {
            return; // the command that replaced the drawing has the last word
        }
        Timer1->stop();
        TimerLoader->start();
        RunHeldSaves(load.Saves); // they may turn Timer1 on again
    } else {
        dialogs_.ShowMessage("Файл не найден");
    }
}

void TMainForm::TimerLoaderTimer() {
    TimerLoader->stop();
    MMRedrawClick();
}

void TMainForm::FormKeyDown(int key) {
    if (key == Qt::Key_Escape) {
        StopRequested = true;
        Quit();
    }
}

void TMainForm::MMExitClick() {
    StopRequested = true; // also when the answer is Cancel
    if (dialogs_.Confirm("Сохранили? Выйти?")) {
        Quit();
    }
}

void TMainForm::Quit() {
    close(); // closeEvent ends the rest
}

void TMainForm::MMAboutClick() {
    dialogs_.ShowMessage(AboutText);
}

void TMainForm::PlaceAtPointer(QWidget* widget) {
    widget->move(ImageScreen->ToLogical(QPointF(PointerX, PointerY)).toPoint());
    widget->show();
    // Showing never changes the stacking; putting every component back in
    // the design's order keeps a picker from covering an open panel, and a
    // panel from covering one that comes later in the design.
    QWidget* const order[] = {ImageScreen, LabelInform, ImagePenWidth,   ImagePenColor,
                              PanelCancel, PanelDelay,  PanelTranspForm, PanelRotNScal};
    for (QWidget* component : order) {
        component->raise();
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    // Only keys meant for this window: a box or the open menu keep their own Esc.
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != this) {
        return false;
    }
    const int key = static_cast<QKeyEvent*>(event)->key();
    RunGuarded(dialogs_, [&] { FormKeyDown(key); });
    return key == Qt::Key_Escape;
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // A window out of the full-screen state only while it is translucent
    // keeps the surface of the whole screen, to come back to.
    QSize surface = size();
    if (const QScreen* shown = screen(); shown && fullScreenWhenOpaque_) {
        surface = surface.expandedTo(shown->geometry().size());
    }
    ImageScreen->setGeometry(QRect(QPoint(), surface));
    LabelInform->move(0, height() - LabelDistanceFromBottom);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // However the window closes, the program ends: the loops running in
    // pumps (playbacks outer and inner, a delay, the fit scan, a load, a
    // big save) end at once instead of going on in a window nobody sees,
    // and no timer, deferred command or box comes after.
    QuitRequested = true;
    Timer1->stop();
    TimerLoader->stop();
    QWidget::closeEvent(event);
}

} // namespace vellograph
