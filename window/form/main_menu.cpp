// The popup menu: its items in order, and the rule that enables them.
#include "window/form/main_form.h"

#include <QMenu>

namespace vellograph {

void TMainForm::CreateMenu() {
    PopupMainMenu = new QMenu(this);
    PopupMainMenu->setObjectName("PopupMainMenu");
    auto item = [](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(name);
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
    // The drawing items wait for a drawing; nothing disables them again.
    for (QAction* drawingItem : {MMRedraw, MMPenWidth, MMPenColor, MMPanelCancel, MMPanelDelay}) {
        drawingItem->setEnabled(false);
    }
}

void TMainForm::EnableDrawingItems() {
    for (QAction* item : {MMRedraw, MMPenWidth, MMPenColor, MMPanelCancel, MMPanelDelay}) {
        item->setEnabled(true);
    }
}

bool TMainForm::DrawingItemsEnabled() const {
    return MMRedraw->isEnabled();
}

} // namespace vellograph
