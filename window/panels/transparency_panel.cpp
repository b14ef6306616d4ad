// The transparency panel and the window's AlphaBlend and AlphaBlendValue
// properties, which act at once: through the window's opacity, or, where the
// platform has none, through a window with an alpha channel painted at the level.
#include "window/form/main_form.h"

#include "window/form/guarded.h"
#include "window/form/image_screen.h"
#include "window/panels/panel_parts.h"

#include <QCheckBox>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QGuiApplication>
#include <QPushButton>
#include <QSlider>

#include <utility>

namespace vellograph {

namespace {

constexpr int LowestLevel = 7; // below this the window is as good as gone
constexpr int OpaqueLevel = 255;

QString LevelCaption(int level) {
    return QString::fromUtf8("Прозрачность: ") + QString::number(level);
}

// Platforms without per-window alpha (offscreen, for one) warn at every
// opacity change. Their windows simply stay opaque, which is all there is to
// say about it, so that one warning is kept off the terminal; every other
// message passes on.
QtMessageHandler PreviousHandler = nullptr;

void DropOpacityWarning(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.contains(QLatin1String("setting window opacity"))) {
        return;
    }
    PreviousHandler(type, context, message);
}

void SetOpacityQuietly(QWidget& window, qreal level) {
    PreviousHandler = qInstallMessageHandler(DropOpacityWarning);
    window.setWindowOpacity(level);
    qInstallMessageHandler(PreviousHandler);
}

// Wayland leaves the opacity of a whole window to the compositor, which
// offers clients none; a window of its own alpha is what it blends.
bool PlatformHasWindowOpacity() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace

void TMainForm::PrepareTranslucency() {
    // Only a window created with an alpha channel can show the desktop
    // through its pixels, so this is decided before the window exists.
    alphaPainted_ = !PlatformHasWindowOpacity();
    if (alphaPainted_) {
        setAttribute(Qt::WA_TranslucentBackground);
    }
}

void TMainForm::ShowAlpha(int level) {
    if (!alphaPainted_) {
        SetOpacityQuietly(*this, level / 255.0);
        return;
    }
    // Wayland's shell protocol has the compositor hide everything below a
    // full-screen window that is not opaque (GNOME's and weston lay black
    // there), so the desktop could never show through. While translucent the
    // window leaves that state and keeps its size, the screen's, wherever the
    // compositor puts it (GNOME: where it was, under the top bar); it covers
    // the screen again once opaque.
    if (level < OpaqueLevel && isFullScreen()) {
        fullScreenWhenOpaque_ = true;
        setWindowState(windowState() & ~Qt::WindowFullScreen);
    } else if (level == OpaqueLevel && std::exchange(fullScreenWhenOpaque_, false)) {
        setWindowState(windowState() | Qt::WindowFullScreen);
    }
    // The surface paints itself at the level; the few components above it,
    // with their controls, through an effect, as one picture each.
    ImageScreen->SetPaintedAlpha(level);
    for (QWidget* component : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (component == ImageScreen || component->isWindow()) {
            continue;
        }
        if (level == OpaqueLevel) {
            component->setGraphicsEffect(nullptr);
            continue;
        }
        auto* effect = qobject_cast<QGraphicsOpacityEffect*>(component->graphicsEffect());
        if (!effect) {
            effect = new QGraphicsOpacityEffect(component);
            component->setGraphicsEffect(effect);
        }
        effect->setOpacity(level / 255.0);
    }
}

void TMainForm::BuildPanelTranspForm() {
    QFrame* panel = PanelTranspForm;
    // Built in tab order: the bar, "Ok", the box.
    TrackBarTranspForm =
        MakeTrackBar(panel, "TrackBarTranspForm", {8, 8, 531, 33}, 1, OpaqueLevel, 1);
    ButtonTrFormOk = MakeButton(panel, "ButtonTrFormOk", "Ok", {240, 40, 65, 25});
    CheckBoxTrForm = new QCheckBox(LevelCaption(OpaqueLevel), panel);
    CheckBoxTrForm->setObjectName("CheckBoxTrForm");
    CheckBoxTrForm->setGeometry(16, 40, 121, 17);
    QWidget::setTabOrder(TrackBarTranspForm, ButtonTrFormOk);
    QWidget::setTabOrder(ButtonTrFormOk, CheckBoxTrForm);

    connect(TrackBarTranspForm, &QSlider::valueChanged, this,
            Guarded(this, &TMainForm::TrackBarTranspFormChange));
    // toggled, not clicked: setting the state from code must run the
    // handler too, whenever the state changes.
    connect(CheckBoxTrForm, &QCheckBox::toggled, this,
            Guarded(this, &TMainForm::CheckBoxTrFormClick));
    connect(ButtonTrFormOk, &QPushButton::clicked, this,
            Guarded(this, &TMainForm::ButtonTrFormOkClick));
}

void TMainForm::MMTranspFormClick() {
    TrackBarTranspForm->setValue(AlphaBlendValue());
    CheckBoxTrForm->setChecked(AlphaBlend());
    CheckBoxTrForm->setText(LevelCaption(AlphaBlendValue()));
    PlaceAtPointer(PanelTranspForm);
}

void TMainForm::TrackBarTranspFormChange() {
    const int position = TrackBarTranspForm->value();
    CheckBoxTrForm->setText(LevelCaption(position));
    SetAlphaBlendValue(static_cast<std::uint8_t>(position & 0xFF));
    if (position < LowestLevel) {
        TrackBarTranspForm->setValue(LowestLevel); // runs this handler again, nested
    }
    if (AlphaBlendValue() < LowestLevel) {
        SetAlphaBlendValue(LowestLevel);
    }
}

void TMainForm::CheckBoxTrFormClick() {
    SetAlphaBlend(CheckBoxTrForm->isChecked());
}

void TMainForm::ButtonTrFormOkClick() {
    PanelTranspForm->hide(); // nothing to revert: every change was final
}

void TMainForm::SetAlphaBlend(bool on) {
    if (on == alphaBlend_) {
        return;
    }
    alphaBlend_ = on;
    ShowAlpha(on ? alphaBlendValue_ : OpaqueLevel);
}

void TMainForm::SetAlphaBlendValue(std::uint8_t value) {
    if (value == alphaBlendValue_) {
        return;
    }
    alphaBlendValue_ = value;
    if (alphaBlend_) {
        ShowAlpha(value);
    }
}

} // namespace vellograph
