// The plug-in's services with their state in view: settings store, PATH, message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "plugin/commands.h"
#include "plugin/services/services.h"
#include "plugin/services/state.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/ui_driver.h"
#include "ui/controls.h"
#include "win/message_box.h"
#include "win/module.h"
#include "win/wtext.h"

namespace eos::test {
namespace {

// Each test starts without the settings key and leaves none behind.
class SettingsStore : public testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
    State() = PluginState{};
  }
  static Text RawValue() {
    wchar_t buf[4096] = {};
    DWORD bytes = sizeof buf - sizeof(wchar_t);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kSettingsValue, RRF_RT_REG_SZ, nullptr, buf, &bytes) !=
        ERROR_SUCCESS)
      return u"<none>";
    return win::FromWide(buf, wcslen(buf));
  }
};

TEST_F(SettingsStore, RoundTripWithSemicolonsInTheRegistry) {
  State().StoredSettings = u"Quality=Large Fine\tDelay=3\t";
  State().SettingsChanged = true;
  EXPECT_TRUE(SaveSettings());
  EXPECT_FALSE(State().SettingsChanged);
  EXPECT_EQ(RawValue(), u"Quality=Large Fine;Delay=3;");
  State().StoredSettings = u"something else";
  EXPECT_TRUE(LoadSettings());
  EXPECT_EQ(State().StoredSettings, u"Quality=Large Fine\tDelay=3\t");
}

TEST_F(SettingsStore, MissingKeyEmptiesTheSettings) {
  State().StoredSettings = u"A=1";
  EXPECT_FALSE(LoadSettings());
  EXPECT_EQ(State().StoredSettings, u"");
}

TEST_F(SettingsStore, MissingValueReadsEmpty) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr), 0);
  RegCloseKey(key);
  State().StoredSettings = u"A=1";
  EXPECT_TRUE(LoadSettings());
  EXPECT_EQ(State().StoredSettings, u"");
}

TEST_F(SettingsStore, ValueThatIsNotAStringLeavesTheSettingsAlone) {
  const DWORD number = 7;
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kSettingsValue, REG_DWORD, &number, sizeof number), 0);
  State().StoredSettings = u"Delay=2\t";
  EXPECT_TRUE(LoadSettings());
  EXPECT_EQ(State().StoredSettings, u"Delay=2\t");
  const std::vector<BYTE> binary = {0x41, 0x00, 0x3D};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kSettingsValue, REG_BINARY, binary.data(), 3), 0);
  EXPECT_TRUE(LoadSettings());
  EXPECT_EQ(State().StoredSettings, u"Delay=2\t");
}

TEST_F(SettingsStore, SemicolonInAValueFailsTheCheckWithAMessage) {
  State().StoredSettings = u"Skin=a;b\t";
  BoxAnswerer box(win::ApplicationTitle());
  EXPECT_FALSE(SaveSettings());
  ASSERT_TRUE(box.Finish());
  EXPECT_EQ(box.text(), u"Could not save settings in registry.");
  EXPECT_TRUE(box.system_modal());
  EXPECT_EQ(RawValue(), u"Skin=a;b;");
  EXPECT_TRUE(LoadSettings());
  EXPECT_EQ(State().StoredSettings, u"Skin=a\tb\t");
}

TEST_F(SettingsStore, TheMessageIsTranslated) {
  LoadTranslations(u"could not save settings in registry.=Kunde inte spara inst\u00E4llningarna.");
  State().StoredSettings = u"Skin=a;b\t";
  BoxAnswerer box(win::ApplicationTitle());
  EXPECT_FALSE(SaveSettings());
  ASSERT_TRUE(box.Finish());
  EXPECT_EQ(box.text(), u"Kunde inte spara inst\u00E4llningarna.");
}

TEST_F(SettingsStore, NulInTheSettingsFailsTheCheck) {
  State().StoredSettings = Text(u"A=1\0B=2\t", 8);
  BoxAnswerer box(win::ApplicationTitle());
  EXPECT_FALSE(SaveSettings());
  ASSERT_TRUE(box.Finish());
  EXPECT_EQ(box.text(), u"Could not save settings in registry.");
}

TEST_F(SettingsStore, LargeSettingsRoundTrip) {
  Text big;
  for (int i = 0; i < 2000; ++i) big += u"Key" + IntToText(i) + u"=value " + IntToText(i) + u"\t";
  State().StoredSettings = big;
  EXPECT_TRUE(SaveSettings());
  State().StoredSettings.clear();
  EXPECT_TRUE(LoadSettings());
  EXPECT_TRUE(State().StoredSettings == big);
}

TEST(Dispatcher, CapabilitiesReadExactlyZeroAsOff) {
  struct Case {
    const char16_t* text;
    bool can_settings;
    bool can_focus;
  };
  const Case cases[] = {
      {u"", true, true},
      {u"CanSettings=0", false, true},
      {u"CanSettings=0\tCanFocus=0", false, false},
      {u"CanFocus=no\tCanSettings=1", true, true},
      {u"CanFocus=", true, true},
      {u"CanFocus= 0", true, true},
      {u"canfocus=0", true, false},
  };
  for (const Case& c : cases) {
    State() = PluginState{};
    State().CanSettings = State().CanFocus = false;
    Text text = c.text;
    EXPECT_EQ(CanonEosSDKParams(ctEos_Capabilities, text), 0);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(State().CanSettings, c.can_settings) << ToUtf8(c.text);
    EXPECT_EQ(State().CanFocus, c.can_focus) << ToUtf8(c.text);
  }
}

TEST(Dispatcher, SettingsFromHostStaysOn) {
  State() = PluginState{};
  Text text = u"Delay=3\t";
  CanonEosSDKParams(ctEos_SetSettings, text);
  EXPECT_TRUE(State().SettingsFromHost);
  EXPECT_EQ(State().StoredSettings, u"Delay=3\t");
  Text empty;
  CanonEosSDKParams(ctEos_Free, empty);
  CanonEosSDKParams(ctEos_GetSettings, empty);
  EXPECT_EQ(empty, u"Delay=3\t");
  EXPECT_TRUE(State().SettingsFromHost);
}

TEST(Dispatcher, TranslationsLiveUntilFree) {
  State() = PluginState{};
  Text lines = u"Cancel=Avbryt\r\nSettings=Inst\u00E4llningar";
  EXPECT_EQ(CanonEosSDKParams(ctEos_Translations, lines), 0);
  EXPECT_EQ(Translate(u"cancel"), u"Avbryt");
  EXPECT_EQ(TranslateDef(u"Settings", u"x"), u"Inst\u00E4llningar");
  Text again = u"Cancel=Abbrechen";
  CanonEosSDKParams(ctEos_Translations, again);
  EXPECT_EQ(Translate(u"Cancel"), u"Abbrechen");
  EXPECT_EQ(Translate(u"Settings"), u"Settings");
  Text none;
  CanonEosSDKParams(ctEos_Free, none);
  EXPECT_FALSE(State().Translations.has_value());
  EXPECT_EQ(Translate(u"Cancel"), u"Cancel");
}

TEST(MessageBoxes, InfoBoxIsFoundAndDismissedFromOutside) {
  BoxAnswerer box(u"String");
  ShowInfoBox(u"Hello from the plug-in");
  ASSERT_TRUE(box.Finish());
  EXPECT_EQ(box.text(), u"Hello from the plug-in");
  EXPECT_TRUE(box.system_modal());
}

TEST(MessageBoxes, CamShowMessageCarriesTheApplicationTitle) {
  BoxAnswerer box(win::ApplicationTitle(), IDOK);
  EXPECT_EQ(CamShowMessage(u"Control missing."), IDOK);
  ASSERT_TRUE(box.Finish());
  EXPECT_EQ(box.text(), u"Control missing.");
  EXPECT_EQ(win::ApplicationTitle(), u"plugin_services_test");
}

TEST(MessageBoxes, CamMessageBoxReturnsTheButtonPressed) {
  BoxAnswerer box(u"Question", IDNO);
  EXPECT_EQ(CamMessageBox(u"Go on?", u"Question", MB_YESNO, MB_ICONQUESTION), IDNO);
  EXPECT_TRUE(box.Finish());
}

// Asks for the size first: Wine mishandles buffers longer than 32767 characters.
Text PathEnvValue() {
  std::vector<wchar_t> buf(GetEnvironmentVariableW(L"PATH", nullptr, 0) + 1, L'\0');
  const DWORD n = GetEnvironmentVariableW(L"PATH", buf.data(), static_cast<DWORD>(buf.size()));
  return win::FromWide(buf.data(), n < buf.size() ? n : 0);
}

class PathEnv : public testing::Test {
 protected:
  void SetUp() override { saved_ = Get(); }
  void TearDown() override { SetEnvironmentVariableW(L"PATH", win::W(saved_)); }
  static Text Get() { return PathEnvValue(); }
  Text saved_;
  TempDir dir_;
};

TEST_F(PathEnv, ShortFolderGoesInFrontOfAShortPath) {
  SetEnvironmentVariableW(L"PATH", L"C:\\windows\\system32");
  ASSERT_TRUE(PrependToPath(dir_.path() + u"Canon_EOS_SDK_redist"));
  const Text path = Get();
  EXPECT_TRUE(path.ends_with(u";C:\\windows\\system32")) << ToUtf8(path);
  EXPECT_NE(path.find(u"Canon_"), Text::npos) << ToUtf8(path);
}

TEST_F(PathEnv, ExistingFolderIsPutInItsShortForm) {
  const Text folder = dir_.path() + u"Canon_EOS_SDK_redist";
  ASSERT_TRUE(CreateDirectoryW(win::W(folder), nullptr));
  SetEnvironmentVariableW(L"PATH", L"C:\\windows");
  ASSERT_TRUE(PrependToPath(folder));
  const Text path = Get();
  const Text first = path.substr(0, path.find(u';'));
  EXPECT_EQ(first.find(u"Canon_EOS_SDK_redist"), Text::npos) << ToUtf8(first);
  wchar_t full[MAX_PATH + 1] = {};
  GetLongPathNameW(win::W(first), full, MAX_PATH);
  EXPECT_TRUE(SameTextNoCase(win::FromWide(full, wcslen(full)), folder)) << ToUtf8(first);
}

TEST_F(PathEnv, LongPathIsKeptBehindTheFolder) {
  Text old;
  while (old.size() < 300) old += u"C:\\Program Files\\Something\\bin;";
  SetEnvironmentVariableW(L"PATH", win::W(old));
  ASSERT_TRUE(PrependToPath(u"C:\\SDK"));
  EXPECT_EQ(Get(), u"C:\\SDK;" + old);
}

TEST_F(PathEnv, PathOf32000CharactersStaysWithinTheLimit) {
  Text old;
  while (old.size() < 32000) old += u"C:\\a\\very\\long\\folder\\name\\that\\repeats;";
  old.resize(32000);
  ASSERT_TRUE(SetEnvironmentVariableW(L"PATH", win::W(old)));
  ASSERT_TRUE(PrependToPath(u"C:\\SDK"));
  const Text path = Get();
  EXPECT_TRUE(path.starts_with(u"C:\\SDK;C:\\a\\very"));
  EXPECT_LE(path.size(), 32766u);
  EXPECT_TRUE(old.starts_with(path.substr(7)));
}

TEST(SdkPath, PreparedOncePerProcess) {
  State() = PluginState{};
  const Text saved = PathEnvValue();
  PrepareSdkPath();
  const Text once = PathEnvValue();
  EXPECT_TRUE(State().SdkPathPrepared);
  PrepareSdkPath();
  EXPECT_EQ(PathEnvValue(), once);
  EXPECT_TRUE(once.ends_with(u";" + saved));
  SetEnvironmentVariableW(L"PATH", win::W(saved));
}

TEST(Lumutils, Folders) {
  EXPECT_TRUE(GetPluginFolder().ends_with(u"\\"));
  EXPECT_EQ(GetPluginFolder(), ProgramFolder());
  EXPECT_TRUE(GetTempFolder().ends_with(u"\\"));
  EXPECT_TRUE(GetPluginFileName().ends_with(u"plugin_services_test.exe"));
}

TEST(Lumutils, VersionOfAFileWithoutOne) {
  // The test program has no version resource.
  EXPECT_EQ(GetFileVersionText(false), u"65535.65535");
  EXPECT_THROW(GetFileVersionText(true), std::runtime_error);
  EXPECT_EQ(GetSdkFileVersion(u"no_such_library.dll"), u"");
}

TEST(Lumutils, SelectComboText) {
  for (DWORD style : {DWORD{CBS_DROPDOWNLIST}, DWORD{CBS_DROPDOWN}}) {
    HWND combo = CreateWindowW(L"COMBOBOX", L"", WS_POPUP | style, 0, 0, 100, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(combo, nullptr);
    for (const wchar_t* item : {L"Large Fine", L"Medium", L"Small"})
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_TRUE(ui::SelectComboText(combo, u"medium", 0));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_FALSE(ui::SelectComboText(combo, u"Huge", 2));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 2);
    EXPECT_FALSE(ui::SelectComboText(combo, u"Huge", 7));
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), CB_ERR);
    wchar_t shown[32] = {};
    GetWindowTextW(combo, shown, 32);
    EXPECT_EQ(std::wstring(shown), style == CBS_DROPDOWN ? L"Huge" : L"");
    DestroyWindow(combo);
  }
}

}  // namespace
}  // namespace eos::test
