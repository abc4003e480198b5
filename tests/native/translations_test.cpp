#include "plugin/core/translations.h"

#include <gtest/gtest.h>

namespace eos {
namespace {

TEST(Translations, LookupRules) {
  TranslationList list;
  list.Load(
      u"Connecting to EOS-camera...=Ansluter till EOS-kamera...\r\n"
      u"cancel=Avbryt\r"
      u"Settings=\n"
      u"No equals sign here\n"
      u"Opening %s...=\u00D6ppnar %s=nu...\n"
      u"Cancel=Second");
  EXPECT_EQ(list.TranslateDef(u"Connecting to EOS-camera...", u"d"), u"Ansluter till EOS-kamera...");
  EXPECT_EQ(list.TranslateDef(u"CONNECTING TO EOS-CAMERA...", u"d"), u"Ansluter till EOS-kamera...");
  EXPECT_EQ(list.TranslateDef(u"Cancel", u"d"), u"Avbryt");             // the first line wins
  EXPECT_EQ(list.TranslateDef(u"Settings", u"Settings"), u"Settings");  // empty translation
  EXPECT_EQ(list.TranslateDef(u"No equals sign here", u"d"), u"d");
  EXPECT_EQ(list.TranslateDef(u"Opening %s...", u"d"), u"\u00D6ppnar %s=nu...");
  EXPECT_EQ(list.TranslateDef(u"Missing", u"Missing"), u"Missing");
}

TEST(Translations, LoadReplacesEarlierLines) {
  TranslationList list;
  list.Load(u"A=1");
  list.Load(u"B=2");
  EXPECT_EQ(list.TranslateDef(u"A", u"-"), u"-");
  EXPECT_EQ(list.TranslateDef(u"B", u"-"), u"2");
  list.Load(u"");
  EXPECT_EQ(list.TranslateDef(u"B", u"-"), u"-");
}

}  // namespace
}  // namespace eos
