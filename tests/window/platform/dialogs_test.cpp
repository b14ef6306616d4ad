// The dialogs' own rules and the one place where handler errors end up.
#include "engine/io/error.h"
#include "tests/support/file_dialog_driver.h"
#include "tests/support/form_fixture.h"
#include "window/form/guarded.h"
#include "window/platform/qt_dialogs.h"
#include "window/platform/qt_translation.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

using namespace vellograph;

TEST(ErrorBoxText, AddsAFullStopAfterCharactersThatSortAfterIt) {
    const struct {
        const char* text;
        const char* shown;
    } cases[] = {
        {"'x' is not a valid integer value", "'x' is not a valid integer value."},
        {"Done.", "Done."},
        {"Really?", "Really?."}, // '?' sorts after '.'
        {"Stop!", "Stop!"},      // '!' sorts before it
        {"(see above)", "(see above)"},
        {"a-", "a-"},
        {"path/", "path/."},
        {"9", "9."},
        {"Ошибка", "Ошибка."}, // every Cyrillic letter sorts after '.'
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ErrorBoxText(c.text), c.shown) << c.text;
    }
}

TEST(NameFilters, BecomeOneEntryPerPair) {
    EXPECT_EQ(NameFilters("Vellograph Drawing (*.vlgf)|*.vlgf|Text file|*.txt|All files|*.*"),
              (std::vector<std::string>{"Vellograph Drawing (*.vlgf)", "Text file (*.txt)",
                                        "All files (*)"}));
    EXPECT_EQ(NameFilters("Bitmap (*.bmp)|*.bmp|Все файлы|*.*"),
              (std::vector<std::string>{"Bitmap (*.bmp)", "Все файлы (*)"}));
    EXPECT_EQ(NameFilters("Pictures|*.bmp;*.png"),
              std::vector<std::string>{"Pictures (*.bmp *.png)"});
    EXPECT_TRUE(NameFilters("").empty());
}

TEST(FileDialogs, ConfirmedNamesBecomeTheDialogsFileName) {
    TScriptedDialogs dialogs;
    TFileDialog dialog{"Открыть", "All|*.*", "vlgf", "old.vlgf"};
    dialogs.OpenAnswers = {std::nullopt, std::string("new.vlgf")};
    EXPECT_FALSE(ExecuteOpen(dialogs, dialog));
    EXPECT_EQ(dialog.FileName, "old.vlgf");
    EXPECT_TRUE(ExecuteOpen(dialogs, dialog));
    EXPECT_EQ(dialog.FileName, "new.vlgf");
    ASSERT_EQ(dialogs.OpenRequests.size(), 2u);
    EXPECT_EQ(dialogs.OpenRequests[0].Title, "Открыть");
    EXPECT_EQ(dialogs.OpenRequests[0].DefaultExt, "vlgf");
    EXPECT_EQ(dialogs.OpenRequests[0].FileName, "old.vlgf");
}

namespace {

// A stand-in for the window: handlers that fail in the ways users meet.
struct FailingForm {
    TScriptedDialogs dialogs;
    int finished = 0;
    TDialogs& Dialogs() { return dialogs; }
    void BadNumber() { throw UserError("'abc' is not a valid integer value"); }
    void OutOfMemory() { throw std::bad_alloc(); }
    void Strange() { throw 42; }
    void Fine(bool) { ++finished; }
};

} // namespace

TEST(Guarded, AnErrorEndsTheHandlerAndReachesTheErrorBoxOnly) {
    FailingForm form;
    QAction action;
    QObject::connect(&action, &QAction::triggered, Guarded(&form, &FailingForm::BadNumber));
    QObject::connect(&action, &QAction::triggered, Guarded(&form, &FailingForm::Fine));
    action.trigger();
    action.trigger();
    EXPECT_EQ(form.dialogs.Errors,
              (std::vector<std::string>{"'abc' is not a valid integer value.",
                                        "'abc' is not a valid integer value."}));
    EXPECT_EQ(form.finished, 2); // the program went on to the next slot
    EXPECT_TRUE(form.dialogs.Messages.empty());

    Guarded(&form, &FailingForm::OutOfMemory)();
    Guarded(&form, &FailingForm::Strange)();
    ASSERT_EQ(form.dialogs.Errors.size(), 4u);
    EXPECT_EQ(form.dialogs.Errors[2], "std::bad_alloc.");
    EXPECT_EQ(form.dialogs.Errors[3], "Unknown error.");
}

TEST(QtFileDialogs, RememberTheFilterLastChosen) {
    QTemporaryDir dir;
    TQtDialogs dialogs;
    const TFileDialogRequest request{
        "Сохранить векторный рисунок как...",
        "Vellograph Drawing (*.vlgf)|*.vlgf|Text file|*.txt|All files|*.*", "vlgf",
        (dir.path() + "/start.vlgf").toStdString()};
    std::vector<QString> filtersAtStart;
    AnswerNextFileDialog([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Сохранить векторный рисунок как...");
        EXPECT_FALSE(dialog.testOption(QFileDialog::DontUseNativeDialog));
        EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog.nameFilters(), QStringList({"Vellograph Drawing (*.vlgf)",
                                                     "Text file (*.txt)", "All files (*)"}));
        EXPECT_EQ(dialog.directory().absolutePath(), dir.path());
        filtersAtStart.push_back(dialog.selectedNameFilter());
        dialog.selectNameFilter("Text file (*.txt)");
        dialog.selectFile("typed");             // no extension: the default one is added
        static_cast<QDialog&>(dialog).accept(); // QFileDialog hides it
    });
    EXPECT_EQ(dialogs.SaveFileName(request), (dir.path() + "/typed.vlgf").toStdString());

    AnswerNextFileDialog([&](QFileDialog& dialog) {
        filtersAtStart.push_back(dialog.selectedNameFilter());
        dialog.reject();
    });
    EXPECT_EQ(dialogs.SaveFileName(request), std::nullopt);
    EXPECT_EQ(filtersAtStart,
              (std::vector<QString>{"Vellograph Drawing (*.vlgf)", "Text file (*.txt)"}));
}

TEST(QtFileDialogs, SpeakTheCaptionsLanguageThroughQtsTranslation) {
    const auto translation = LoadQtTranslation();
    ASSERT_NE(translation, nullptr) << "qtbase_ru.qm (qt6-translations-l10n) is not installed";
    QCoreApplication::installTranslator(translation.get());
    QFileDialog dialog(nullptr, "Сохранить векторный рисунок как...");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    std::vector<QString> texts;
    for (const char* label : {"lookInLabel", "fileNameLabel", "fileTypeLabel"}) {
        texts.push_back(dialog.findChild<QLabel*>(label)->text());
    }
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        texts.push_back(button->text());
    }
    QCoreApplication::removeTranslator(translation.get());
    const QString all = QStringList(texts.begin(), texts.end()).join('|');
    for (const char* text : {"Перейти к:", "&Имя файла:", "Типы файлов:", "&Сохранить", "Отмена"}) {
        EXPECT_TRUE(std::find(texts.begin(), texts.end(), QString(text)) != texts.end())
            << text << " in " << all.toStdString();
    }
}

namespace {

// A native dialog's answer: the script in VELLOGRAPH_NATIVE_DIALOGS, told the
// dialog's title and the keys, waits for its window and types them, from a
// process of its own while the dialog's loop runs.
void AnswerNativeDialog(const QString& title, const QString& keys) {
    QProcess::startDetached(
        "sh",
        {"-c", qEnvironmentVariable("VELLOGRAPH_NATIVE_DIALOGS") + " \"$0\" \"$1\"", title, keys});
}

} // namespace

// Run by the script that gives Qt GTK's platform theme on Xvfb.
TEST(QtFileDialogs, TheDesktopsOwnKeepTitleFilterAndExtensionAndAskNothing) {
    if (qEnvironmentVariableIsEmpty("VELLOGRAPH_NATIVE_DIALOGS")) {
        GTEST_SKIP() << "no native dialogs to drive";
    }
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::string odd = folder + "/odd \xff\xfe.vlgf";
    for (const std::string& name : {folder + "/exists.vlgf", odd}) {
        std::ofstream(name) << "x";
    }
    // The desktop's dialog, not Qt's own under the same title: a native one
    // leaves the QFileDialog off the screen.
    bool qtsOwnShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            qtsOwnShown |= qobject_cast<QFileDialog*>(widget) && widget->isVisible() &&
                           !widget->testAttribute(Qt::WA_DontShowOnScreen);
        }
    });
    watch.start(50);
    TQtDialogs dialogs;
    const std::string filter = "Vellograph Drawing (*.vlgf)|*.vlgf|Text file|*.txt|All files|*.*";
    TFileDialogRequest save{"Сохранить векторный рисунок как...", filter, "vlgf",
                            folder + "/start.vlgf"};
    AnswerNativeDialog("Сохранить векторный рисунок как...", "ctrl+a t y p e d Return");
    EXPECT_EQ(dialogs.SaveFileName(save), folder + "/typed.vlgf");
    AnswerNativeDialog("Сохранить векторный рисунок как...",
                       "ctrl+a e x i s t s period v l g f End Return");
    EXPECT_EQ(dialogs.SaveFileName(save), folder + "/exists.vlgf");
    TFileDialogRequest open{"Открыть векторный рисунок", "All files|*.*", "", folder + "/"};
    AnswerNativeDialog("Открыть векторный рисунок", "Down Return");
    EXPECT_EQ(dialogs.OpenFileName(open), odd);
    EXPECT_FALSE(qtsOwnShown);
    std::filesystem::remove(odd); // Qt cannot remove it by its shown name
}
