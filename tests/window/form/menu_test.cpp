// The popup menu: captions in order, the submenu, and which items are enabled when.
#include "tests/support/form_fixture.h"

#include <QAction>
#include <QMenu>

using namespace vellograph;

namespace {

// Caption, or "-" for a separator, or "> caption" for a submenu.
std::vector<std::string> Captions(const QMenu* menu) {
    std::vector<std::string> captions;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            captions.push_back("-");
        } else if (action->menu()) {
            captions.push_back("> " + action->text().toStdString());
        } else {
            captions.push_back(action->text().toStdString());
        }
    }
    return captions;
}

} // namespace

TEST_F(FormTest, TheMenuHasEveryItemInOrder) {
    MakeForm();
    EXPECT_EQ(Captions(form->PopupMainMenu),
              (std::vector<std::string>{"Размер кисти",
                                        "Цвет кисти",
                                        "Отмена недавних линий",
                                        "Задержка на экране просмотра",
                                        "-",
                                        "Новый файл",
                                        "Открыть файл",
                                        "Сохранить",
                                        "Сохранить как...",
                                        "Сохранить скрин как...",
                                        "-",
                                        "Промежуточное сохранение",
                                        "Загрузка сохранки",
                                        "Очистить сохранку",
                                        "Перерисовать",
                                        "В конец",
                                        "Медленно",
                                        "СТОП",
                                        "> Настройки",
                                        "О программе",
                                        "-",
                                        "Выход"}));
    EXPECT_EQ(Captions(form->MMSettings),
              (std::vector<std::string>{"Привязать расширение *.vlgf", "Отвязать расширение *.vlgf",
                                        "-", "Прозрачность окна", "Масштаб и поворот в окне"}));
}

TEST_F(FormTest, DrawingItemsWaitForADrawingAndEveryOtherItemIsOnFromTheStart) {
    MakeForm();
    for (QAction* item : {form->MMRedraw, form->MMPenWidth, form->MMPenColor, form->MMPanelCancel,
                          form->MMPanelDelay}) {
        EXPECT_FALSE(item->isEnabled()) << item->objectName().toStdString();
    }
    for (QAction* item :
         {form->MMToEnd, form->MMDrawSlowly, form->MMStopRender, form->MMAbout, form->MMExit}) {
        EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
    }
    EXPECT_TRUE(form->MMSettings->menuAction()->isEnabled());

    form->EnableDrawingItems();
    EXPECT_TRUE(form->MMRedraw->isEnabled());
    for (QAction* item : form->PopupMainMenu->actions() + form->MMSettings->actions()) {
        if (!item->isSeparator() && !item->menu()) {
            EXPECT_TRUE(item->isEnabled()) << item->objectName().toStdString();
        }
    }
    EXPECT_TRUE(form->MMPenWidth->isEnabled());
}

TEST_F(FormTest, RedrawClearsTheSurfaceAndPlaysTheWholeDrawing) {
    MakeShownForm();
    Canvas().setPenColor(0x00FF00);
    Canvas().moveTo(0, 300);
    Canvas().lineTo(500, 300); // something the redraw must wipe
    SetDrawing(StrokeRecords({{10, 100}, {300, 100}}));
    form->MMRedrawClick();
    EXPECT_EQ(Canvas().pixel(250, 300), 0xFFFFFFu);
    EXPECT_EQ(Canvas().pixel(150, 100), 0x000000u);
    EXPECT_EQ(VecImage.LastFillIndex, NoIndex);
}
