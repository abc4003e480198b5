// The layout engine under Wine: a container file's items as controls in a panel, the
// embedded pictures shown without a file on disk, the reload that keeps Tag 999, the
// read cache, field values, and hostile files: refused with a message, items skipped,
// or a conversion error for the caller.
#include "layout/layout_engine.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "tests/native/imaging/fixtures.h"
#include "tests/native/layout/picture_files.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/ui_driver.h"
#include "ui/form.h"
#include "win/wtext.h"

namespace eos::layout {
namespace {

class LayoutForm : public ui::Form {
 public:
  LayoutForm();
  ui::Panel* paLayout = nullptr;
  ui::Painted* laKeep = nullptr;

 private:
  static const ui::Row<LayoutForm> kRows[];
};

constexpr ui::Row<LayoutForm> LayoutForm::kRows[] = {
    {.member = &LayoutForm::paLayout, .bounds = {0, 0, 300, 200}},
    {.member = &LayoutForm::laKeep, .parent = &LayoutForm::paLayout, .bounds = {0, 0, 5, 5}, .tag = kTagKeep},
};

LayoutForm::LayoutForm() : Form({u"Layout", 300, 200, WS_POPUP}) { Build(*this, kRows); }

using fixtures::Container;

std::vector<uint8_t> Jpeg(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
  return imaging::test::EncodeJpeg(fixtures::Filled(w, h, imaging::MakePixel(r, g, b)));
}

// 60 x 40 mm page; a red JPEG and a half-transparent blue PNG, the PNG a later line
// over the JPEG's right half; a data label, a shape and a barcode that is skipped.
const std::string kLayout =
    "typcsz\twid60\thei40\n"
    "typfim\tlft0\ttop0\twid20\thei20\tdatred.JPG\n"
    "typfim\tlft10\ttop0\twid20\thei20\tdatblue.png\n"
    "typbar\tlft0\ttop0\twid10\thei10\tdat123\n"
    "typdtx\tlft0\ttop25\twid40\thei5\tfsz4\tdatTakePicture[DB]5\n"
    "typftx\tlft0\ttop32\twid40\thei5\tdat!!special:ft\"n=\"!kd\"Delay\"!\n"
    "typshp\tlft45\ttop0\twid10\thei10\tbcl65280\tpcl-1\n";

class LayoutEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.on_message = [this](TextView m) { messages_ += Text(m) + u"|"; };
  }
  void TearDown() override { EXPECT_EQ(test::PluginWindowsLeft(), 0); }
  Text Write(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    const Text path = dir_.path() + win::FromWide(name);
    test::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    return path;
  }
  Text WriteSample() {
    return Write(L"sample.qzb",
                 Container(kLayout, {Jpeg(8, 8, 230, 0, 0), imaging::test::EncodePng(fixtures::Filled(
                                                                8, 8, imaging::MakePixel(0, 0, 255, 128)))}));
  }
  static uint32_t Channel(uint32_t rgb, int shift) { return rgb >> shift & 0xFF; }

  test::TempDir dir_;
  LayoutEngine engine_;
  Text messages_;
};

TEST_F(LayoutEngineTest, ContainerItemsShowTheirEmbeddedPicturesInLineOrder) {
  LayoutForm form;
  auto& panel = *form.paLayout;
  ASSERT_TRUE(engine_.LoadLayout(WriteSample(), panel));
  EXPECT_EQ(messages_, u"");
  EXPECT_EQ(engine_.Page().width, 240);
  EXPECT_EQ(engine_.Page().height, 160);
  const RECT b = panel.Bounds();
  EXPECT_EQ(b.right - b.left, 240) << "the container takes the page's size";

  const auto controls = LayoutControls(panel);
  ASSERT_EQ(controls.size(), 5u) << "two images, two labels and a shape; the barcode is skipped";
  const std::vector<Text> lines = [] {
    std::vector<Text> out;
    size_t start = 0;
    while (start < kLayout.size()) {
      const size_t end = kLayout.find('\n', start);
      out.push_back(Ascii(kLayout.substr(start, end - start)));
      start = end + 1;
    }
    return out;
  }();
  EXPECT_EQ(controls[0]->Hint(), lines[1]);
  EXPECT_EQ(controls[1]->Hint(), lines[2]);
  EXPECT_EQ(controls[4]->Hint(), lines[6]);

  form.Show();
  form.Repaint();
  const test::Picture p = test::CaptureClient(panel.Handle());
  const uint32_t red = p.At(20, 40), mixed = p.At(60, 40), blue_on_face = p.At(100, 40), green = p.At(200, 20);
  EXPECT_GT(Channel(red, 16), 200u);
  EXPECT_LT(Channel(red, 0), 40u);
  EXPECT_GT(Channel(mixed, 0), 90u) << "the PNG lies over the JPEG";
  EXPECT_GT(Channel(mixed, 16), 90u) << "half transparent: the red shows through";
  EXPECT_GT(Channel(blue_on_face, 0), Channel(blue_on_face, 16));
  EXPECT_EQ(green, 0x00FF00u) << "the shape's brush";
}

TEST_F(LayoutEngineTest, ReloadKeepsTag999ReadsTheUnchangedFileOnceAndRemakesItems) {
  LayoutForm form;
  auto& panel = *form.paLayout;
  auto& keep = *form.laKeep;
  const Text file = WriteSample();
  ASSERT_TRUE(engine_.LoadLayout(file, panel));
  // A mark on an item of the first load: the reload's items are new ones without it.
  LayoutControls(panel).front()->SetVisible(false);
  ASSERT_TRUE(engine_.LoadLayout(file, panel));
  EXPECT_EQ(engine_.FileReads(), 1);
  EXPECT_EQ(LayoutControls(panel).size(), 5u);
  EXPECT_EQ(panel.Items().size(), 6u);
  EXPECT_EQ(panel.Items().front(), &keep);
  EXPECT_TRUE(LayoutControls(panel).front()->Visible()) << "the items are made again";

  // A changed file is read again.
  const std::filesystem::path sample = win::Wide(file);
  std::filesystem::last_write_time(sample, std::filesystem::last_write_time(sample) + std::chrono::seconds(5));
  ASSERT_TRUE(engine_.LoadLayout(file, panel));
  EXPECT_EQ(engine_.FileReads(), 2);
}

TEST_F(LayoutEngineTest, FieldValuesFillDataLabelsAndSpecialTexts) {
  LayoutForm form;
  auto& panel = *form.paLayout;
  ASSERT_TRUE(engine_.LoadLayout(WriteSample(), panel));
  auto* data = dynamic_cast<LayoutLabel*>(LayoutControls(panel)[2]);
  auto* special = dynamic_cast<LayoutLabel*>(LayoutControls(panel)[3]);
  ASSERT_TRUE(data && special);
  EXPECT_EQ(data->Caption(), u"");
  EXPECT_EQ(special->Caption(), u"n=");

  engine_.ClearFieldValues();
  engine_.SetFieldValue(u"TakePicture", u"Ta bilden nu");
  engine_.SetFieldValue(u"Delay", u"3");
  engine_.RefreshFields(panel);
  EXPECT_EQ(data->Caption(), u"Ta bi");
  EXPECT_EQ(special->Caption(), u"n=3");

  engine_.SetFieldValueAndRefresh(u"Delay", u"2", panel);
  engine_.SetFieldValueAndRefresh(u"TakePicture", u"42", panel);
  EXPECT_EQ(special->Caption(), u"n=2");
  EXPECT_EQ(data->Caption(), u"Ta bi") << "the data pass leaves plain data labels alone";
  engine_.RefreshFields(panel);
  EXPECT_EQ(data->Caption(), u"00042");
}

TEST_F(LayoutEngineTest, HostileFilesGiveAMessageOrSkippedItemsAndReadNothingOutside) {
  LayoutForm form;
  auto& panel = *form.paLayout;
  const std::string page = "typcsz\twid60\thei40\n";
  // Refused: false with "Failed to open". No number: the conversion error, no message.
  enum Outcome { kLoads, kRefused, kNoNumber };
  struct Case {
    const wchar_t* name;
    std::vector<uint8_t> bytes;
    Outcome outcome;
    size_t controls;
    const char16_t* message;  // part of the messages, empty for none
  };
  std::vector<uint8_t> counts_too_big = Container(page, {Jpeg(8, 8, 1, 2, 3)});
  counts_too_big[0] = '9';
  std::vector<uint8_t> truncated = Container(page + "typfim\twid10\thei10\tdatcut.jpg\n", {Jpeg(32, 32, 9, 9, 9)});
  truncated.resize(truncated.size() - 200);
  const std::string header_lies = "12\t-4" + std::string(1, char(254)) + page;
  const std::string header_words = "12\tfour" + std::string(1, char(254)) + page;
  const std::string outside = page +
                              "typfim\twid10\thei10\tdat..\\secret.jpg\n"
                              "typfim\twid10\thei10\tdatC:\\secret.jpg\ntypfim\twid10\thei10\tdatmissing.jpg\n";
  const std::string absurd = page +
                             "typftx\tlft-1e9\twid1\thei1\tdatx\ntypftx\tlft1000000000\twid1\thei1\tdatx\n"
                             "typftx\tlftNaN\twid1\thei1\ntypftx\ttop\twid1\thei1\ntypqqq\twid1\n"
                             "typftx\twid1\thei1\tdatok\n";
  const std::string no_page = "typftx\twid10\thei5\tdatFirst\ntypshp\twid5\thei5\n";
  const std::string empty_page = "typcsz\twid0\thei0\ntypftx\twid10\thei5\tdatFirst\n";
  const std::string no_style = page + "typftx\twid10\thei5\tfstbold\tdattakepicture.png\n";
  Write(L"undecodable.jpg", {0xFF, 0xD8, 0xFF, 0x00});
  const std::string undecodable = page + "typfim\twid10\thei10\tdatundecodable.jpg\n";
  const Case cases[] = {
      {L"bigcounts.qzb", counts_too_big, kRefused, 0, u"Failed to open "},
      {L"negative.qzb", {header_lies.begin(), header_lies.end()}, kRefused, 0, u"Failed to open "},
      {L"words.qzb", {header_words.begin(), header_words.end()}, kNoNumber, 0, u""},
      {L"truncated.qzb", truncated, kRefused, 0, u"Failed to open "},
      {L"nopage.qzb", {no_page.begin(), no_page.end()}, kLoads, 2, u""},
      {L"emptypage.qzb", {empty_page.begin(), empty_page.end()}, kLoads, 1, u""},
      {L"empty.qzb", {}, kLoads, 0, u""},
      {L"outside.qzb", {outside.begin(), outside.end()}, kLoads, 3, u""},
      {L"absurd.qzb", {absurd.begin(), absurd.end()}, kLoads, 2, u""},
      {L"nostyle.qzb", {no_style.begin(), no_style.end()}, kLoads, 1, u""},
      {L"undecodable.qzb", {undecodable.begin(), undecodable.end()}, kLoads, 1, u""},
  };
  for (const Case& c : cases) {
    messages_.clear();
    const Text file = Write(c.name, c.bytes);
    if (c.outcome == kNoNumber) {
      EXPECT_THROW(engine_.LoadLayout(file, panel), LayoutConversionError) << c.name;
    } else {
      EXPECT_EQ(engine_.LoadLayout(file, panel), c.outcome == kLoads) << c.name;
    }
    if (c.outcome == kLoads) {
      EXPECT_EQ(LayoutControls(panel).size(), c.controls) << c.name;
    }
    if (*c.message) {
      EXPECT_NE(messages_.find(c.message), Text::npos) << c.name;
    } else {
      EXPECT_EQ(messages_, u"") << c.name;
    }
  }
  for (LayoutControl* c : LayoutControls(panel))
    if (auto* image = dynamic_cast<LayoutImage*>(c)) {
      EXPECT_TRUE(image->Picture().empty());
    }

  // A label whose font style is no number is one of the items, found by its line, but
  // it shows nowhere, even when asked to.
  ASSERT_TRUE(engine_.LoadLayout(dir_.path() + u"nostyle.qzb", panel));
  LayoutControl& label = *LayoutControls(panel).at(0);
  EXPECT_EQ(label.Hint(), u"typftx\twid10\thei5\tfstbold\tdattakepicture.png");
  label.SetVisible(true);
  EXPECT_FALSE(label.Visible());

  // A layout without a page line keeps the size of the page it had, not the keys of its
  // line (a skin's, such as how it turns); a page of size 0 is empty.
  ASSERT_TRUE(engine_.LoadLayout(WriteSample(), panel));
  EXPECT_EQ(engine_.Page().line, u"typcsz\twid60\thei40");
  ASSERT_TRUE(engine_.LoadLayout(dir_.path() + u"nopage.qzb", panel));
  EXPECT_EQ(panel.Width(), 240);
  EXPECT_EQ(engine_.Page().line, u"");
  ASSERT_TRUE(engine_.LoadLayout(dir_.path() + u"emptypage.qzb", panel));
  EXPECT_EQ(panel.Width(), 0);

  // A missing file does nothing, without a message.
  messages_.clear();
  EXPECT_FALSE(engine_.LoadLayout(dir_.path() + u"none.qzb", panel));
  EXPECT_EQ(messages_, u"");

  // An embedded picture that does not decode: its item stays, empty, with the message.
  const std::string broken = page + "typfim\twid10\thei10\tdatbroken.jpg\n";
  EXPECT_TRUE(engine_.LoadLayout(Write(L"broken.qzb", Container(broken, {{0xFF, 0xD8, 0xFF, 0x00}})), panel));
  EXPECT_EQ(messages_, u"Failed to open broken.jpg|");
  ASSERT_EQ(LayoutControls(panel).size(), 1u);
}

}  // namespace
}  // namespace eos::layout
