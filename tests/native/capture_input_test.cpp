#include "plugin/core/capture_input.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

constexpr char16_t kTemp[] = u"C:\\Temp\\";

TEST(CaptureInput, FileNameAndAutoFromEitherForm) {
  const struct {
    const char16_t* text;
    bool auto_default;
    const char16_t* file;
    const char16_t* cancel_text;
    bool want_auto;
  } cases[] = {
      {u"C:\\pics\\a.jpg", false, u"C:\\pics\\a.jpg", u"C:\\pics\\a.jpg", false},
      {u"C:\\pics\\a.jpg", true, u"C:\\pics\\a.jpg", u"C:\\pics\\a.jpg", true},
      {u"File=D:\\b.jpg\t", false, u"D:\\b.jpg", u"D:\\b.jpg", false},
      {u"Auto=1\tFile=x.jpg\t", false, u"x.jpg", u"x.jpg", true},
      {u"Auto=0\tFile=x.jpg\t", true, u"x.jpg", u"x.jpg", false},
      {u"Auto=yes\t", true, u"C:\\Temp\\temp.jpg", u"", false},  // present: only "1" is on
      {u"HideFocus=1\t", true, u"C:\\Temp\\temp.jpg", u"", true},
      {u"", false, u"C:\\Temp\\temp.jpg", u"", false},
      {u"base64", false, u"C:\\Temp\\temp.jpg", u"base64", false},
      {u"File=BASE64\t", false, u"C:\\Temp\\temp.jpg", u"BASE64", false},
  };
  for (const auto& c : cases) {
    const CaptureInput in = ReadCaptureInput(c.text, c.auto_default, kTemp);
    EXPECT_EQ(in.File, c.file) << ToUtf8(c.text);
    EXPECT_EQ(in.CancelText, c.cancel_text) << ToUtf8(c.text);
    EXPECT_EQ(in.Auto, c.want_auto) << ToUtf8(c.text);
  }
}

TEST(CaptureInput, HideKeysNeedExactlyOne) {
  const CaptureInput in = ReadCaptureInput(u"HideSettings=1\tHideFocus=0\tHideTakePicture=1\t", false, kTemp);
  EXPECT_TRUE(in.HideSettings);
  EXPECT_FALSE(in.HideFocus);
  EXPECT_TRUE(in.HideTakePicture);
  const CaptureInput bare = ReadCaptureInput(u"HideSettings=1", false, kTemp);  // without a trailing TAB
  EXPECT_TRUE(bare.HideSettings);
}

TEST(CaptureInput, TheFaceKeysAreTheHostsToAskFor) {
  const CaptureInput asked = ReadCaptureInput(u"File=a.jpg\tFaceGuide=1\tFace=1\t", true, kTemp);
  EXPECT_TRUE(asked.FaceGuide);
  EXPECT_TRUE(asked.Face);
  for (const char16_t* text : {u"File=a.jpg\t", u"FaceGuide=yes\tFace=0\t", u"a.jpg"}) {
    const CaptureInput in = ReadCaptureInput(text, true, kTemp);
    EXPECT_FALSE(in.FaceGuide) << ToUtf8(text);
    EXPECT_FALSE(in.Face) << ToUtf8(text);
  }
}

TEST(CaptureInput, TheCheckIsAskedForAndARetakeAsksForItToo) {
  const struct {
    const char16_t* text;
    bool check, retake;
  } cases[] = {
      {u"File=a.jpg\t", false, false},  {u"a.jpg", false, false},
      {u"Check=1\t", true, false},      {u"Check=0\tCheckRetake=0\t", false, false},
      {u"CheckRetake=1\t", true, true}, {u"Check=1\tCheckRetake=1\t", true, true},
  };
  for (const auto& c : cases) {
    const CaptureInput in = ReadCaptureInput(c.text, false, kTemp);
    EXPECT_EQ(in.Check, c.check) << ToUtf8(c.text);
    EXPECT_EQ(in.CheckRetake, c.retake) << ToUtf8(c.text);
  }
}

}  // namespace
}  // namespace eos
