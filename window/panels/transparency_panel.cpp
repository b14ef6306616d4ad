// The transparency panel and the window's AlphaBlend and AlphaBlendValue
// properties, which act at once through the window's opacity.
#include "window/form/main_form.h"

#include "window/form/guarded.h"
#include "window/panels/panel_parts.h"

#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QSlider>

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

} // namespace

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
    SetOpacityQuietly(*this, on ? alphaBlendValue_ / 255.0 : 1.0);
}

void TMainForm::SetAlphaBlendValue(std::uint8_t value) {
    if (value == alphaBlendValue_) {
        return;
    }
    alphaBlendValue_ = value;
    if (alphaBlend_) {
        SetOpacityQuietly(*this, value / 255.0);
    }
}

} // namespace vellograph
