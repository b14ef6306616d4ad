// The association commands from the menu: the questions, Cancel, and the error box.
#include "desktop/association.h"
#include "desktop/database_updates.h"
#include "tests/support/form_fixture.h"

#include <QCoreApplication>

namespace vellograph {
namespace {

// Counts what reaches the registry; refuses every value write when asked to.
class CountingRegistry : public Registry {
public:
    explicit CountingRegistry(int& calls, bool refuseWrites)
        : calls_(calls), refuse_(refuseWrites) {}
    void SetRoot(RegistryRoot) override { ++calls_; }
    bool OpenKey(std::string_view, bool) override { return ++calls_ > 0; }
    bool WriteString(std::string_view, std::string_view) override {
        return ++calls_ > 0 && !refuse_;
    }
    std::vector<std::string> SubKeyNames() override { return ++calls_, std::vector<std::string>{}; }
    bool DeleteKey(std::string_view) override { return ++calls_ > 0; }
    void CloseKey() override { ++calls_; }

private:
    int& calls_;
    bool refuse_;
};

class AssociationMenuTest : public FormTest {
protected:
    void UsePlatform(bool refuseWrites) {
        saved_ = SetAssociationPlatform(
            {[this, refuseWrites] {
                 ++opened;
                 return std::make_unique<CountingRegistry>(registryCalls, refuseWrites);
             },
             [this] { ++notifications; }, [] { return std::string("/opt/draw/vellograph"); }});
    }
    void TearDown() override {
        SetAssociationPlatform(saved_);
        FormTest::TearDown();
    }

    int opened = 0;
    int registryCalls = 0;
    int notifications = 0;

private:
    AssociationPlatform saved_ = DefaultAssociationPlatform();
};

TEST_F(AssociationMenuTest, CancelTouchesNeitherRegistryNorShell) {
    UsePlatform(false);
    MakeForm();
    dialogs.ConfirmAnswers = {false, false};
    form->MMAssociateExt->trigger();
    form->MMDelAssociateExt->trigger();
    EXPECT_EQ(dialogs.Confirmations,
              (std::vector<std::string>{
                  "Действительно хотите открывать этой программой файлы *.VLGF ?",
                  "Действительно хотите ПЕРЕСТАТЬ открывать этой программой файлы *.VLGF ?"}));
    EXPECT_EQ(opened + registryCalls + notifications, 0);
    EXPECT_TRUE(dialogs.Messages.empty());
}

TEST_F(AssociationMenuTest, YesRegistersAndRemovesWithoutAMessage) {
    UsePlatform(false);
    MakeForm();
    EXPECT_TRUE(form->MMAssociateExt->isEnabled());
    dialogs.ConfirmAnswers = {true, true};
    form->MMAssociateExt->trigger();
    form->MMDelAssociateExt->trigger();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(notifications, 2);
    EXPECT_TRUE(dialogs.Messages.empty());
    EXPECT_TRUE(dialogs.Errors.empty());
}

TEST_F(AssociationMenuTest, ARefusedWriteReachesTheErrorBoxAndSkipsTheNotification) {
    UsePlatform(true);
    MakeForm();
    dialogs.ConfirmAnswers = {true};
    form->MMAssociateExt->trigger();
    // A closing quote sorts before the full stop, so none is added.
    EXPECT_EQ(dialogs.Errors,
              std::vector<std::string>{"Failed to set data for 'Vellograph3.vlgf'"});
    EXPECT_EQ(notifications, 0);
}

TEST_F(AssociationMenuTest, ADatabaseThatFailsInTheBackgroundReachesTheErrorBoxLater) {
    UsePlatform(false);
    AssociationPlatform platform = SetAssociationPlatform(DefaultAssociationPlatform());
    platform.notifyShell = [] {
        PostDatabaseUpdate(
            {{{"update-mime-database",
               "/bin/sh",
               {"-c", "echo 'No space left on device' >&2; exit 1", "/home/u/mime"}}},
             "",
             true});
    };
    SetAssociationPlatform(platform);
    MakeForm();
    dialogs.ConfirmAnswers = {true};
    form->MMAssociateExt->trigger();
    EXPECT_TRUE(dialogs.Errors.empty()) << "the command waited for the update";
    WaitForDatabaseUpdates();
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogs.Errors, std::vector<std::string>{"Failed to update '/home/u/mime': "
                                                       "update-mime-database ended with status 1: "
                                                       "No space left on device."});
}

} // namespace
} // namespace vellograph
