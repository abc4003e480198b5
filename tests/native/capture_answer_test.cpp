#include "plugin/core/capture_answer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/paramtext.h"

namespace eos {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

TEST(CaptureAnswer, KeysInOrderEachWithItsTab) {
  const std::vector<std::uint8_t> foobar = Bytes("foobar");
  const struct {
    int angle;
    bool changed;
    bool readable;
    const char16_t* want;
  } cases[] = {
      {0, false, true, u"Fil=C:\\p.jpg\tBase64=Zm9vYmFy\t"},
      {90, false, true, u"Fil=C:\\p.jpg\tAngle=90\tBase64=Zm9vYmFy\t"},
      {270, true, true, u"Fil=C:\\p.jpg\tAngle=270\tSettingsChanged=1\tBase64=Zm9vYmFy\t"},
      {0, true, false, u"Fil=C:\\p.jpg\tSettingsChanged=1\t"},
      {180, false, false, u"Fil=C:\\p.jpg\tAngle=180\t"},
  };
  for (const auto& c : cases) {
    std::optional<std::vector<std::uint8_t>> picture;
    if (c.readable) picture = foobar;
    const CaptureAnswerParts answer = CaptureAnswer(u"C:\\p.jpg", c.angle, c.changed, picture);
    EXPECT_EQ(answer.Whole(), c.want);
    EXPECT_EQ(answer.Size(), Text(c.want).size());
    // Written where it goes: exactly its size, nothing beyond.
    Text out(answer.Size() + 1, u'#');
    answer.Write(out.data());
    EXPECT_EQ(out, Text(c.want) + u"#");
  }
}

TEST(CaptureAnswer, AFaceAskedForStandsBetweenTheSettingsAndThePicture) {
  const AnswerFace face{1200, 800, 1600, 2060, 1690, 1500, 2310, 1490};
  EXPECT_EQ(CaptureAnswer(u"p.jpg", 90, true, Bytes("foobar"), {.face = face}).Whole(),
            u"Fil=p.jpg\tAngle=90\tSettingsChanged=1\tFace=1200,800,1600,2060\tEyes=1690,1500,2310,1490\t"
            u"Base64=Zm9vYmFy\t");
  EXPECT_EQ(CaptureAnswer(u"p.jpg", 0, false, Bytes("foobar"), {}).Whole(), u"Fil=p.jpg\tBase64=Zm9vYmFy\t")
      << "without a face the answer is as always";
}

TEST(CaptureAnswer, TheCheckFollowsTheFaceAndPrecedesThePicture) {
  const AnswerFace face{1, 2, 3, 4, 5, 6, 7, 8};
  const AnswerCheck failed{u"Dark,Blurred", u"Faces:1,Luminance:0.120"};
  EXPECT_EQ(CaptureAnswer(u"p.jpg", 0, false, Bytes("foobar"), {face, failed}).Whole(),
            u"Fil=p.jpg\tFace=1,2,3,4\tEyes=5,6,7,8\tCheck=Dark,Blurred\tCheckValues=Faces:1,Luminance:0.120\t"
            u"Base64=Zm9vYmFy\t");
  EXPECT_EQ(CaptureAnswer(u"p.jpg", 0, false, Bytes("foobar"), {.check = AnswerCheck{u"Faces", u"Faces:0"}}).Whole(),
            u"Fil=p.jpg\tCheck=Faces\tCheckValues=Faces:0\tBase64=Zm9vYmFy\t")
      << "no face: no Face or Eyes, the check says so";
}

TEST(CaptureAnswer, EmptyAndBinaryPicturesRoundTheirValue) {
  const std::vector<std::uint8_t> empty;
  EXPECT_EQ(CaptureAnswer(u"a.jpg", 0, false, empty).Whole(), u"Fil=a.jpg\t");
  std::vector<std::uint8_t> all(256);
  for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<std::uint8_t>(255 - i);
  const Text answer = CaptureAnswer(u"a.jpg", 0, false, all).Whole();
  const Text value = GetParamValue(u"Base64", answer);
  EXPECT_EQ(value.size(), 344u);
  EXPECT_EQ(value.substr(0, 8), u"//79/Pv6");
  EXPECT_EQ(value.substr(336), u"AwIBAA==");
  EXPECT_EQ(answer.capacity(), answer.size()) << "allocated once at its final size";
}

}  // namespace
}  // namespace eos
