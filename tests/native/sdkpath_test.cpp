#include "plugin/core/sdkpath.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

TEST(SdkPath, FolderGoesInFront) {
  EXPECT_EQ(ComposeSdkPath(u"C:\\P\\CANON_~1", u"C:\\Windows"), u"C:\\P\\CANON_~1;C:\\Windows");
  EXPECT_EQ(ComposeSdkPath(u"C:\\P\\CANON_~1", u""), u"C:\\P\\CANON_~1;");
}

TEST(SdkPath, LongPathKeptWhole) {
  // A PATH of hundreds of characters keeps every entry behind the SDK folder.
  const Text folder(60, u'F');
  const Text old = Text(200, u'x') + u";" + Text(300, u'y');
  EXPECT_TRUE(ComposeSdkPath(folder, old) == folder + u";" + old);
}

TEST(SdkPath, OverlongPathDropsWholeEntriesFromTheEnd) {
  const Text folder = u"C:\\SDK";
  const Text first(20000, u'a');
  const Text second(13000, u'b');
  const Text path = ComposeSdkPath(folder, first + u";" + second);
  EXPECT_TRUE(path == folder + u";" + first);
  EXPECT_LE(path.size(), kMaxEnvValue);
  // One entry longer than the room left: the folder alone.
  EXPECT_TRUE(ComposeSdkPath(folder, Text(kMaxEnvValue, u'c')) == folder);
}

TEST(SdkPath, ExactFit) {
  const Text folder = u"F";
  const Text old(kMaxEnvValue - 2, u'o');
  EXPECT_EQ(ComposeSdkPath(folder, old).size(), kMaxEnvValue);
  EXPECT_TRUE(ComposeSdkPath(folder, old + u"o") == folder);
}

}  // namespace
}  // namespace eos
