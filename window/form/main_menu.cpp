// The popup menu: its items in order, and the rule that enables them.
#include "window/form/main_form.h"

#include "window/form/guarded.h"

#include <QMenu>

#include <algorithm>

namespace vellograph {

void TMainForm::CreateMenu() {
    PopupMainMenu = new QMenu(this);
    PopupMainMenu->setObjectName("PopupMainMenu");
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(name);
        action->setEnabled(false); // until a command is connected (Implement)
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(name);
        return action;
    };
    QMenu* m = PopupMainMenu;
    MMPenWidth = item(m, "MMPenWidth", "Размер кисти");
    MMPenColor = item(m, "MMPenColor", "Цвет кисти");
    MMPanelCancel = item(m, "MMPanelCancel", "Отмена недавних линий");
    MMPanelDelay = item(m, "MMPanelDelay", "Задержка на экране просмотра");
    N3 = separator(m, "N3");
    MMNewFile = item(m, "MMNewFile", "Новый файл");
    MMOpen = item(m, "MMOpen", "Открыть файл");
    MMSave = item(m, "MMSave", "Сохранить");
    MMSaveAs = item(m, "MMSaveAs", "Сохранить как...");
    MMSaveScreenAs = item(m, "MMSaveScreenAs", "Сохранить скрин как...");
    N1 = separator(m, "N1");
    MMTempSave = item(m, "MMTempSave", "Промежуточное сохранение");
    MMLoadTemp = item(m, "MMLoadTemp", "Загрузка сохранки");
    MMClearTemp = item(m, "MMClearTemp", "Очистить сохранку");
    MMRedraw = item(m, "MMRedraw", "Перерисовать");
    MMToEnd = item(m, "MMToEnd", "В конец");
    MMDrawSlowly = item(m, "MMDrawSlowly", "Медленно");
    MMStopRender = item(m, "MMStopRender", "СТОП");
    MMSettings = m->addMenu(QString::fromUtf8("Настройки"));
    MMSettings->setObjectName("MMSettings");
    MMAssociateExt = item(MMSettings, "MMAssociateExt", "Привязать расширение *.vlgf");
    MMDelAssociateExt = item(MMSettings, "MMDelAssociateExt", "Отвязать расширение *.vlgf");
    N4 = separator(MMSettings, "N4");
    MMTranspForm = item(MMSettings, "MMTranspForm", "Прозрачность окна");
    MMPanelRotNScal = item(MMSettings, "MMPanelRotNScal", "Масштаб и поворот в окне");
    MMAbout = item(m, "MMAbout", "О программе");
    N2 = separator(m, "N2");
    MMExit = item(m, "MMExit", "Выход");
}

void TMainForm::Implement(QAction* item, void (TMainForm::*handler)()) {
    connect(item, &QAction::triggered, this, Guarded(this, handler));
    implemented_.push_back(item);
    UpdateItemStates();
}

bool TMainForm::IsImplemented(const QAction* item) const {
    return std::find(implemented_.begin(), implemented_.end(), item) != implemented_.end();
}

void TMainForm::EnableDrawingItems() {
    drawingItemsEnabled_ = true;
    UpdateItemStates();
}

void TMainForm::UpdateItemStates() {
    // The drawing items wait for a drawing; every other item is enabled
    // from the start. Either way an item without its command stays off.
    const QAction* drawingItems[] = {MMRedraw, MMPenWidth, MMPenColor, MMPanelCancel, MMPanelDelay};
    for (QMenu* menu : {PopupMainMenu, MMSettings}) {
        for (QAction* action : menu->actions()) {
            if (action->isSeparator() || action->menu()) {
                continue;
            }
            const bool drawingItem = std::find(std::begin(drawingItems), std::end(drawingItems),
                                               action) != std::end(drawingItems);
            action->setEnabled(IsImplemented(action) && (!drawingItem || drawingItemsEnabled_));
        }
    }
}

} // namespace vellograph
