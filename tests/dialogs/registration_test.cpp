// Registering and unregistering file types through both hives: the remembered commands in
// the user's store and the desktop's associations, with xdg-mime as the referee.
#include <gtest/gtest.h>

#include "dialogs/registration.h"
#include "dialogs/dialogs_test_support.h"
#include "platform/qt/desktop/desktop_associations.h"
#include "platform/registry/hive_router.h"
#include "platform/registry/memory_registry.h"

namespace ridgeview::dialogs {
namespace {

using platform::Hive;
using platform::KeyDisposition;
using testing::ReadFile;
using testing::ScratchDesktop;

class RegistrationTest : public ::testing::Test {
 protected:
  RegistrationTest() : router(user) {
    desktop.KnownTypes({"image/bmp", "image/jpeg", "image/png", "image/gif"});
    program = desktop.Program("ridgeview");
    picshow = desktop.Program("picshow");
    desktop.Entry(desktop.SystemData(), "picshow.desktop", picshow + " %f",
                  "image/jpeg;image/png;");
    desktop.Default(desktop.SystemConfig() + "/mimeapps.list", "image/jpeg", "picshow.desktop;");
    router.SetBackend(Hive::ClassesRoot,
                      std::make_shared<platform::DesktopAssociations>(
                          platform::DesktopAssociations::Options{desktop.Lookup(), program, {}}));
  }

  // The remembered command, or none.
  std::optional<std::string> Remembered(const std::string& progId) {
    platform::KeyHandle key =
        user->OpenKey(Hive::CurrentUser, settings::kSettingsKeyPath, KeyDisposition::OpenExisting);
    return key ? ReadStringValueIfPresent(*key, progId) : std::nullopt;
  }
  std::string Command(const std::string& progId) {
    platform::KeyHandle key =
        router.OpenKey(Hive::ClassesRoot, CommandKeyPath(progId), KeyDisposition::OpenExisting);
    return key ? ReadStringValue(*key, "") : std::string("<no key>");
  }

  ScratchDesktop desktop;
  std::shared_ptr<platform::MemoryRegistry> user = std::make_shared<platform::MemoryRegistry>();
  platform::HiveRouter router;
  std::string program;
  std::string picshow;
};

TEST_F(RegistrationTest, RegisteringJpegRemembersPicshowAndUnregisteringRestoresIt) {
  EXPECT_EQ(Command("jpegimage"), picshow + " %1");
  EXPECT_FALSE(IsRegistered(router, "jpegimage", "ridgeview"));

  SetRegistration(router, "jpegimage", true, program);
  EXPECT_EQ(Remembered("jpegimage"), picshow + " %1");
  EXPECT_EQ(Command("jpegimage"), program + " %1");
  EXPECT_TRUE(IsRegistered(router, "jpegimage", "ridgeview"));
  EXPECT_EQ(desktop.XdgMimeDefault("image/jpeg"), "ridgeview.desktop");

  SetRegistration(router, "jpegimage", false, program);
  EXPECT_EQ(Remembered("jpegimage"), std::nullopt);
  EXPECT_EQ(Command("jpegimage"), picshow + " %1");
  EXPECT_FALSE(IsRegistered(router, "jpegimage", "ridgeview"));
  EXPECT_EQ(desktop.XdgMimeDefault("image/jpeg"), "picshow.desktop");
  EXPECT_EQ(ReadFile(desktop.UserList()), "[Default Applications]\nimage/jpeg=picshow.desktop;\n");
}

TEST_F(RegistrationTest, ATypeWithoutDefaultIsRememberedEmptyAndGivenBack) {
  SetRegistration(router, "gifimage", true, program);
  EXPECT_EQ(Remembered("gifimage"), std::string());
  EXPECT_EQ(desktop.XdgMimeDefault("image/gif"), "ridgeview.desktop");
  SetRegistration(router, "gifimage", false, program);
  EXPECT_EQ(Remembered("gifimage"), std::nullopt);
  EXPECT_EQ(ReadFile(desktop.UserList()), "[Default Applications]\n");
}

TEST_F(RegistrationTest, ACommandMerelyMentioningTheFileNameCountsAsRegistered) {
  const std::string wrapper = desktop.Program("wrapper");
  desktop.Entry(desktop.SystemData(), "wrapper.desktop", wrapper + " --with ridgeview %f",
                "image/png;");
  desktop.Default(desktop.UserList(), "image/png", "wrapper.desktop;");
  EXPECT_TRUE(IsRegistered(router, "pngimage", "ridgeview"));
  EXPECT_FALSE(IsRegistered(router, "pngimage", "Ridgeview"));  // case-sensitive
}

TEST_F(RegistrationTest, AnUnknownTypeStaysUncheckedAndCheckingOnlyRemembers) {
  EXPECT_FALSE(IsRegistered(router, "wsqimage", "ridgeview"));
  SetRegistration(router, "wsqimage", true, program);
  EXPECT_FALSE(testing::Exists(desktop.UserList()));
  EXPECT_FALSE(IsRegistered(router, "wsqimage", "ridgeview"));
  EXPECT_EQ(Remembered("wsqimage"), std::string());  // still stored, as the store allows
  SetRegistration(router, "wsqimage", false, program);
  EXPECT_EQ(Remembered("wsqimage"), std::nullopt);
}

TEST_F(RegistrationTest, UncheckingWithNothingRememberedRemovesOnlyTheUserDefault) {
  desktop.Default(desktop.UserList(), "image/jpeg", "ridgeview.desktop;");
  SetRegistration(router, "jpegimage", false, program);  // never the bare program path
  EXPECT_EQ(ReadFile(desktop.UserList()), "[Default Applications]\n");
  EXPECT_EQ(Command("jpegimage"), picshow + " %1");
}

TEST_F(RegistrationTest, CheckingWhenAlreadyRegisteredNeverRemembersItself) {
  SetRegistration(router, "jpegimage", true, program);
  SetRegistration(router, "jpegimage", true, program);  // the box was out of step
  EXPECT_EQ(Remembered("jpegimage"), picshow + " %1");
  SetRegistration(router, "jpegimage", false, program);
  EXPECT_EQ(Command("jpegimage"), picshow + " %1");
}

TEST_F(RegistrationTest, TheRememberedValueIsKeptWhenTheStoreCannotOpenTheCommandKey) {
  platform::HiveRouter userOnly(user);  // HKEY_CLASSES_ROOT goes to the empty memory store
  SetRegistration(userOnly, "bmpimage", true, program);
  EXPECT_EQ(Remembered("bmpimage"), std::string());
  EXPECT_FALSE(testing::Exists(desktop.UserList()));
}

TEST(RegistrationValues, StringsMustBeTerminatedStringsToCount) {
  platform::MemoryRegistry store;
  platform::KeyHandle key =
      store.OpenKey(Hive::CurrentUser, "K", KeyDisposition::CreateIfMissing);
  const std::uint8_t unterminated[] = {'a', 0, 'b', 0};
  key->SetValue("u", platform::ValueType::String, unterminated);
  const std::uint8_t binary[] = {'a', 0, 0, 0};
  key->SetValue("b", platform::ValueType::Binary, binary);
  const std::uint8_t embedded[] = {'a', 0, 0, 0, 'b', 0, 0, 0};
  key->SetValue("e", platform::ValueType::ExpandString, embedded);
  EXPECT_EQ(ReadStringValue(*key, "u"), "");
  EXPECT_EQ(ReadStringValue(*key, "b"), "");
  EXPECT_EQ(ReadStringValue(*key, "e"), "a");
  EXPECT_EQ(ReadStringValueIfPresent(*key, "missing"), std::nullopt);
  ASSERT_TRUE(WriteStringValue(*key, "w", "Zoë"));
  EXPECT_EQ(ReadStringValue(*key, "w"), "Zoë");
}

}  // namespace
}  // namespace ridgeview::dialogs
