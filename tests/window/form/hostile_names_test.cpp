// Drawing files with awkward names, from the command line, the open dialog
// and both saves: each opens or fails with the program's message, and a save
// writes exactly the file named.
#include "engine/io/error.h"
#include "tests/support/file_dialog_driver.h"
#include "tests/support/file_fixture.h"
#include "window/platform/path_bytes.h"
#include "window/platform/qt_dialogs.h"

#include <QFileInfo>
#include <QLineEdit>

#include <filesystem>
#include <set>

using namespace vellograph;

namespace {

const std::string Loaded = "Загружено)";

std::set<std::string> Names(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

class HostileNamesTest : public FileTest {
protected:
    // Opens `name` from the command line and from the dialog, then saves a
    // copy under `copy` with "Сохранить как..." and again with "Сохранить".
    // Both are names in the current directory or paths; `dir` is where they
    // end up.
    void OpenAndSave(const std::string& dir, const std::string& name, const std::string& copy) {
        SCOPED_TRACE(testing::PrintToString(name));
        const TRecords records = StrokeRecords({{20, 20}, {200, 20}, {200, 90}});
        WriteFile(name, DrawingBytes(records));

        form.reset();
        dialogs.Messages.clear();
        NewDrawing(VecImage);
        MakeForm({name});
        EXPECT_EQ(dialogs.Messages, std::vector<std::string>{Loaded});
        EXPECT_EQ(FileImage(VecImage), DrawingBytes(records));

        form.reset();
        NewDrawing(VecImage);
        MakeShownForm();
        dialogs.Messages.clear();
        dialogs.OpenAnswers.push_back(name);
        form->MMOpen->trigger();
        EXPECT_EQ(dialogs.Messages, std::vector<std::string>{Loaded});
        EXPECT_EQ(FileImage(VecImage), DrawingBytes(records));

        Draw({{40, 60}, {90, 70}});
        dialogs.SaveAnswers.push_back(copy);
        form->MMSaveAs->trigger();
        EXPECT_EQ(ReadFile(copy), FileImage(VecImage));
        Draw({{50, 80}, {120, 85}});
        form->MMSave->trigger();
        EXPECT_EQ(ReadFile(copy), FileImage(VecImage));
        EXPECT_EQ(ReadFile(name), DrawingBytes(records));
        const std::string size = std::to_string(FileImage(VecImage).size());
        EXPECT_EQ(dialogs.Messages.back(), "Размер сохраненного: " + size + " байт");
        EXPECT_EQ(Names(dir), (std::set<std::string>{Base(name), Base(copy)}));
    }

    static std::string DrawingBytes(const TRecords& records) {
        return std::string(StandardHeader, HeaderSize) +
               std::string(reinterpret_cast<const char*>(records.data()), records.size() * 6);
    }
    static std::string Base(const std::string& path) {
        return std::filesystem::path(path).filename().string();
    }
};

TEST_F(HostileNamesTest, OddNamesOpenAndSaveThemselves) {
    const std::string names[] = {
        " spaces  inside and after .vlgf",
        "\"double\" and 'single' quotes.vlgf",
        "a new\nline.vlgf",
        "bytes \xff\xfe\x80 that are no UTF-8.vlgf",
        "tab\tstar*question?[brackets].vlgf",
        "%s%n%x.vlgf",
        "~",
    };
    int i = 0;
    for (const std::string& name : names) {
        const std::string dir = Path("case" + std::to_string(i++));
        std::filesystem::create_directory(dir);
        OpenAndSave(dir, dir + "/" + name, dir + "/copy of " + name);
        // Qt's temporary folder cannot remove names that are no UTF-8.
        std::filesystem::remove_all(dir);
    }
}

// Names as the command line gives them, relative to the current directory.
TEST_F(HostileNamesTest, NamesThatLookLikeOptionsAreFiles) {
    for (const std::string name : {"-style", "--help", "-", "--", "-reverse"}) {
        const std::string dir = Path("dash" + std::to_string(name.size()) + name);
        std::filesystem::create_directory(dir);
        ASSERT_EQ(::chdir(dir.c_str()), 0);
        OpenAndSave(".", name, "-" + name + ".copy");
        ASSERT_EQ(::chdir(Path("").c_str()), 0);
    }
}

TEST_F(HostileNamesTest, APathOf4000CharactersWorksAndOneTooLongFailsWithTheMessages) {
    std::string dir = Path("long");
    while (dir.size() < 3800) {
        dir += "/" + std::string(200, 'd');
    }
    std::filesystem::create_directories(dir);
    const std::string name = dir + "/" + std::string(4000 - dir.size() - 1 - 5, 'n') + ".vlgf";
    ASSERT_EQ(name.size(), 4000u);
    OpenAndSave(dir, name, dir + "/c.vlgf");

    const std::string tooLong = dir + "/" + std::string(200, 'x') + "/" + std::string(200, 'y');
    form.reset();
    dialogs.Messages.clear();
    MakeForm({tooLong});
    EXPECT_EQ(dialogs.Messages, std::vector<std::string>{"Файл не найден"});
    form.reset();
    MakeShownForm();
    dialogs.Messages.clear();
    dialogs.OpenAnswers.push_back(tooLong);
    form->MMOpen->trigger();
    dialogs.SaveAnswers.push_back(tooLong);
    form->MMSaveAs->trigger();
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{"Файл не найден", "Ошибка. Что-то не произошло",
                                        "Размер сохраненного: 0 байт"}));
}

} // namespace

namespace {

// A folder and a file in it, named with bytes that are no UTF-8 as given,
// and the file's path as Qt shows it.
struct BadBytes {
    std::string folder, file;
    QString shown;
    BadBytes(const std::string& root, const std::string& folderName)
        : folder(root + folderName), file(folder + "/dr\x80wing.vlgf"),
          shown(QFile::decodeName(QByteArray::fromStdString(file))) {
        std::filesystem::create_directory(folder);
        WriteFile(file, "x");
    }
    ~BadBytes() { std::filesystem::remove_all(folder); } // beyond Qt's temporary folder
};

} // namespace

TEST_F(HostileNamesTest, NamesShownWithReplacementCharactersLeadBackToTheirBytes) {
    const BadBytes bad(Path(""), "fold\xff\xfe");
    ASSERT_TRUE(bad.shown.contains(QChar(QChar::ReplacementCharacter)));
    ASSERT_NE(QFile::encodeName(bad.shown).toStdString(), bad.file); // Qt's own way loses them
    EXPECT_EQ(PathBytes(bad.shown), bad.file);
    EXPECT_EQ(PathBytes(QString::fromUtf8("/tmp/plain ünïcode")), "/tmp/plain ünïcode");
    // Two entries show as one name: that part stays as Qt encodes it.
    WriteFile(bad.folder + "/\xfe.vlgf", "");
    WriteFile(bad.folder + "/\xfd.vlgf", "");
    const QString twice = QFile::decodeName(QByteArray::fromStdString(bad.folder)) + "/\uFFFD.vlgf";
    EXPECT_EQ(PathBytes(twice), bad.folder + "/\uFFFD.vlgf");
}

TEST_F(HostileNamesTest, TheRealDialogGivesBackNamesThatAreNoUtf8) {
    // Qt's dialog cannot enter a folder whose name is no UTF-8: it asks for
    // the folder by the shown name, which names nothing.
    const BadBytes bad(Path(""), "folder");
    TQtDialogs real;
    const TFileDialogRequest request{"Сохранить векторный рисунок как...", "All files|*.*", "vlgf",
                                     bad.file};
    // The name the dialog starts with, taken as it is.
    AnswerNextFileDialog([](QFileDialog& dialog) { static_cast<QDialog&>(dialog).accept(); });
    EXPECT_EQ(real.SaveFileName(request), bad.file);
    // A name picked as the dialog shows it.
    AnswerNextFileDialog([&](QFileDialog& dialog) {
        // Typed as shown: the listing fills in on a thread of its own.
        auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        edit->setText(QFileInfo(bad.shown).fileName());
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(real.OpenFileName({"Открыть", "All files|*.*", "", bad.folder + "/other.vlgf"}),
              bad.file);
    // Two names shown alike: which one was meant is unknown, and neither is
    // taken, nor the shown name's own bytes.
    WriteFile(bad.folder + "/\xfe.vlgf", "");
    WriteFile(bad.folder + "/\xfd.vlgf", "");
    AnswerNextFileDialog([&](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText("\uFFFD.vlgf");
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_THROW(real.SaveFileName(request), UserError);
}
