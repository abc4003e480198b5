// The SDK's result texts and the message of a refused SDK call.
#include <gtest/gtest.h>

#include "Sources/core/EDSDKERRORS.h"

namespace eos {
namespace {

struct TextCase {
  EdsError code;
  const char* text;
};

// Both ends of the table, an entry from each family, and the texts whose odd spellings
// are the system's own and must survive as they stand.
const TextCase kListed[] = {
    {0x00000001, "Unimplemented"},
    {0x0000000B, "Selection unavailable"},
    {0x0000002E, "File naming not applicable"},
    {0x00000044, "Directory not empty"},
    {0x00000053, "Properties not loaded"},
    {0x00000061, "Invalid handle"},
    {0x00000066, "Invalid sort function"},
    {0x00000081, "Device busy"},
    {0x00000089, "Device CompactFlash gate changed"},
    {0x000000AC, "Stream end of stream"},
    {0x000000C1, "Communication disconnected"},
    {0x000000D1, "USB device unlock error"},
    {0x000000E4, "STI device not launched"},
    {0x000000F5, "Generic error plus one"},
    {0x00002003, "PTP session not open"},
    {0x00002008, "PTP invalid strage id"},
    {0x00002017, "PTP unknown vender code"},
    {0x00002021, "PTP not camera supported SDK version"},
    {0x00008D01, "Take picture error, focus failed"},
    {0x00008D04, "Take picture error, scurrently cleaning sensor"},
    {0x00008D0D, "Take picture error, prohibit mode NG"},
    {0x0000A006, "PTP vendor lenc cover close"},
    {0x0000A102, "PTP vendor object not ready"},
    {0x0000A106, "PTP vendor memorystatus not ready"},
};

TEST(EDSDKErrorText, ListedCodesGiveTheirText) {
  for (const auto& c : kListed) EXPECT_EQ(ToUtf8(EDSDKErrorText(c.code)), c.text) << std::hex << c.code;
}

TEST(EDSDKErrorText, OnlyTheLow16BitsSelectTheText) {
  for (const EdsError high : {0x80000000u, 0x00010000u, 0xFFFF0000u, 0x12340000u}) {
    for (const auto& c : kListed)
      EXPECT_EQ(ToUtf8(EDSDKErrorText(high | c.code)), c.text) << std::hex << (high | c.code);
  }
}

TEST(EDSDKErrorText, UnlistedCodesAndZeroAreUnknown) {
  // Gaps between listed codes, just past the ends of families, and past the last entry.
  for (const EdsError code :
       {0x0u,    0x0Cu,   0x1Fu,   0x2Fu,   0x45u,   0x52u,   0x67u,   0x8Eu,   0xADu,       0xF6u,
        0x2000u, 0x2005u, 0x2022u, 0x8D00u, 0x8D0Eu, 0xA103u, 0xA107u, 0xFFFFu, 0x80000000u, 0xFFFF0052u}) {
    EXPECT_EQ(ToUtf8(EDSDKErrorText(code)), "Unkown error") << std::hex << code;
  }
}

TEST(EDSDKErrorMessage, PrintsAllThirtyTwoBitsInUpperCaseHex) {
  const struct {
    const char* funcname;
    EdsError value;
    const char* message;
  } cases[] = {
      {"EdsOpenSession", 0x00000081, "EdsOpenSession errorcode 0x00000081, Device busy"},
      {"EdsSendCommand", 0x00008D01, "EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed"},
      {"EdsOpenSession", 0x80000081, "EdsOpenSession errorcode 0x80000081, Device busy"},
      {"EdsGetPropertyData, kEdsPropID_OwnerName", 0x0000A103,
       "EdsGetPropertyData, kEdsPropID_OwnerName errorcode 0x0000A103, Unkown error"},
      {"EdsRelease", 0xFFFFFFFF, "EdsRelease errorcode 0xFFFFFFFF, Unkown error"},
      {"EdsDownload", 0x0000002a, "EdsDownload errorcode 0x0000002A, File disk full error"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(EDSDKErrorMessage(Ascii(c.funcname), c.value)), c.message);
}

TEST(SdkErrorMessage, KeepsTheCallersNameAndTextAsGiven) {
  // Names and texts are UTF-16 throughout; nothing on the way narrows them.
  const Text name = u"Eds\u00e5\u00e4\u00f6";
  EXPECT_EQ(SdkErrorMessage(name, 0x2003, u"Session not ppen"), name + u" errorcode 0x00002003, Session not ppen");
  EXPECT_EQ(SdkErrorMessage(u"", 0, u""), u" errorcode 0x00000000, ");
}

}  // namespace
}  // namespace eos
