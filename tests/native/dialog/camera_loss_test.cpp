#include "dialog/core/camera_loss.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

TEST(CameraLoss, TheCodesOfACameraThatIsNoLongerThere) {
  const struct {
    const char16_t* message;
    bool gone;
  } cases[] = {
      {u"Remote process stopped: EdsSendCommand errorcode 0x000000C1, Communication disconnected", true},
      {u"EdsDownloadEvfImage errorcode 0x00000080, Device not found", true},
      {u"EdsOpenSession errorcode 0x00000081, Device busy", false},
      {u"EdsSendCommand errorcode 0x00008D01, Take picture error, focus failed", false},
      {u"EdsSendCommand errorcode 0x000000c1, lower-case digits are not the SDK's", false},
      {u"errorcode 0x000000C", false},  // cut short
      {u"Camera not connected", false},
      {u"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsCameraGoneError(c.message), c.gone) << ToUtf8(c.message);
}

TEST(CameraLoss, TheCodeAndWhereItsWordsStart) {
  const auto found = FindErrorCode(u"EdsOpenSession errorcode 0x00000081, Device busy");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->code, 0x81u);
  EXPECT_EQ(found->end, 35u);
  EXPECT_FALSE(FindErrorCode(u"errorcode 0x0000008G, x"));
}

}  // namespace
}  // namespace eos
