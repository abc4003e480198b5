// The layout engine's pictures and data pass under Wine: pictures of every kind the
// tolerant loader reads (a BMP named .png, an icon, enhanced and Windows metafiles),
// embedded and as files, with their transparency; pictures that fields name, found by
// bare name in the folders looked in and nowhere else; text in the ANSI code page;
// opacity; labels grown, grouped and fitted in real fonts.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "layout/core/layout_keys.h"
#include "layout/layout_engine.h"
#include "tests/native/imaging/fixtures.h"
#include "tests/native/layout/picture_files.h"
#include "tests/win/support/plugin_fixture.h"
#include "tests/win/support/ui_driver.h"
#include "ui/form.h"
#include "win/rect.h"
#include "win/wtext.h"

namespace eos::layout {
namespace {

using fixtures::Bytes;
using fixtures::Container;
using fixtures::Filled;
using imaging::MakePixel;
using imaging::Pixels;

class PictureForm : public ui::Form {
 public:
  PictureForm();
  ui::Panel* paLayout = nullptr;

 private:
  static const ui::Row<PictureForm> kRows[];
};

constexpr ui::Row<PictureForm> PictureForm::kRows[] = {
    {.member = &PictureForm::paLayout, .bounds = {0, 0, 400, 200}},
};

PictureForm::PictureForm() : Form({u"Layout pictures", 400, 200, WS_POPUP}) { Build(*this, kRows); }

// Red in the middle half of the picture, nothing around it: an enhanced metafile of a
// square inch.
Bytes RedSquareEmf() {
  const RECT frame{0, 0, 2540, 2540};
  const HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  const RECT square{dpi / 4, dpi / 4, dpi * 3 / 4, dpi * 3 / 4};
  const win::Gdi<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
  FillRect(dc, &square, red.get());
  const win::UniqueEnhMetaFile meta(CloseEnhMetaFile(dc));
  Bytes bytes(GetEnhMetaFileBits(meta.get(), 0, nullptr));
  GetEnhMetaFileBits(meta.get(), static_cast<UINT>(bytes.size()), bytes.data());
  return bytes;
}

// The same as a Windows metafile of 100 x 100 units at 100 a inch.
Bytes RedSquareWmf() {
  const HDC dc = CreateMetaFileW(nullptr);
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, 100, 100, nullptr);
  const win::Gdi<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
  SelectObject(dc, red.get());
  SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, 25, 25, 76, 76);
  const HMETAFILE meta = CloseMetaFile(dc);
  Bytes bytes(GetMetaFileBitsEx(meta, 0, nullptr));
  GetMetaFileBitsEx(meta, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteMetaFile(meta);
  return fixtures::Wmf(100, 100, 100, bytes);
}

uint32_t Channel(uint32_t rgb, int shift) { return rgb >> shift & 0xFF; }
bool Near(uint32_t rgb, uint32_t want) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>(Channel(rgb, shift)) - static_cast<int>(Channel(want, shift))) > 40) return false;
  return true;
}

constexpr uint32_t kYellow = 0xFFFF00, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

class LayoutPicturesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_.on_message = [this](TextView m) { messages_ += Text(m) + u"|"; };
  }
  void TearDown() override { EXPECT_EQ(test::PluginWindowsLeft(), 0); }
  Text Write(const Text& path, const Bytes& bytes) {
    test::WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
    return path;
  }
  Text Write(const wchar_t* name, const Bytes& bytes) { return Write(dir_.path() + win::FromWide(name), bytes); }
  Text Write(const wchar_t* name, const std::string& text) { return Write(name, Bytes(text.begin(), text.end())); }
  static test::Picture Shot(PictureForm& form) {
    form.Show();
    form.Repaint();
    return test::CaptureClient(form.paLayout->Handle());
  }
  LayoutImage* ImageAt(ui::Container& panel, size_t i) { return dynamic_cast<LayoutImage*>(LayoutControls(panel)[i]); }
  LayoutLabel* LabelAt(ui::Container& panel, size_t i) { return dynamic_cast<LayoutLabel*>(LayoutControls(panel)[i]); }

  test::TempDir dir_;
  LayoutEngine engine_;
  Text messages_;
};

// Four 96-pixel squares on yellow: a BMP named .png (blue), an icon whose right half is
// transparent (green), an enhanced and a Windows metafile (a red square in the middle).
const std::string kPictures =
    "typcsz\twid100\thei25\n"
    "typshp\tlft0\ttop0\twid100\thei25\tbcl65535\tpcl-1\n"
    "typfim\tlft0\ttop0\twid24\thei24\tdatblue.png\n"
    "typfim\tlft25\ttop0\twid24\thei24\tdathalf.ico\n"
    "typfim\tlft50\ttop0\twid24\thei24\tdatsquare.emf\n"
    "typfim\tlft75\ttop0\twid24\thei24\tdatsquare.wmf\n";

TEST_F(LayoutPicturesTest, PicturesOfEveryKindShowEmbeddedAndAsFiles) {
  Pixels half = Filled(8, 8, MakePixel(0, 255, 0));
  for (int y = 0; y < 8; ++y)
    for (int x = 4; x < 8; ++x) half.at(x, y) = 0;
  const std::vector<Bytes> files = {imaging::test::EncodeBmp(Filled(8, 8, MakePixel(0, 0, 255)), 24),
                                    fixtures::Icon({{8, 32, fixtures::IconBitmap(half, 32)}}), RedSquareEmf(),
                                    RedSquareWmf()};
  const Text embedded = Write(L"embedded.qzb", Container(kPictures, files));
  test::TempDir beside;
  const wchar_t* names[] = {L"blue.png", L"half.ico", L"square.emf", L"square.wmf"};
  for (size_t i = 0; i < files.size(); ++i) Write(beside.path() + win::FromWide(names[i]), files[i]);
  const Text plain = Write(beside.path() + u"plain.qzb", Bytes(kPictures.begin(), kPictures.end()));

  for (const Text& file : {embedded, plain}) {
    PictureForm form;
    auto& panel = *form.paLayout;
    ASSERT_TRUE(engine_.LoadLayout(file, panel)) << ToAsciiLossy(file);
    EXPECT_EQ(messages_, u"") << ToAsciiLossy(file);
    for (size_t i = 1; i <= 4; ++i) EXPECT_FALSE(ImageAt(panel, i)->Picture().empty()) << i;
    const test::Picture p = Shot(form);
    const struct {
      const char* what;
      int x, y;
      uint32_t want;
    } spots[] = {
        {"BMP named .png", 48, 48, kBlue},
        {"icon", 124, 48, kGreen},
        {"icon's transparent half", 172, 48, kYellow},
        {"enhanced metafile", 248, 48, kRed},
        {"around the EMF's square", 205, 5, kYellow},
        {"Windows metafile", 348, 48, kRed},
        {"around the WMF's square", 305, 5, kYellow},
    };
    for (const auto& s : spots)
      EXPECT_TRUE(Near(p.At(s.x, s.y), s.want))
          << s.what << " in " << ToAsciiLossy(file) << ": " << std::hex << p.At(s.x, s.y);
  }
}

TEST_F(LayoutPicturesTest, BrokenIconsAndMetafilesGiveAMessageAndAnEmptyItem) {
  Bytes huge_icon = fixtures::Icon({{8, 32, fixtures::IconBitmap(Filled(8, 8, 0xFF00FF00u), 32)}});
  huge_icon[6 + 16 + 5] = 0x40;  // 16384 pixels wide
  const std::vector<Bytes> files = {
      fixtures::Cut(fixtures::Icon({{8, 32, fixtures::IconBitmap(Filled(8, 8, 0), 32)}}), 100), huge_icon,
      fixtures::Cut(RedSquareEmf(), -30), fixtures::Emf(2000000000, 2540)};
  const std::string text =
      "typcsz\twid100\thei25\n"
      "typfim\twid24\thei24\tdatcut.ico\ntypfim\twid24\thei24\tdathuge.ico\n"
      "typfim\twid24\thei24\tdatcut.emf\ntypfim\twid24\thei24\tdathuge.emf\n";
  PictureForm form;
  ASSERT_TRUE(engine_.LoadLayout(Write(L"broken.qzb", Container(text, files)), *form.paLayout));
  EXPECT_EQ(messages_,
            u"Failed to open cut.ico|Failed to open huge.ico|Failed to open cut.emf|Failed to open huge.emf|");
  ASSERT_EQ(LayoutControls(*form.paLayout).size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_TRUE(ImageAt(*form.paLayout, i)->Picture().empty()) << i;
}

TEST_F(LayoutPicturesTest, FieldsNamePicturesFoundByBareNameInTheFoldersLookedIn) {
  // The layout's folder, the program folder with "dblogo" and "logo", and a file beside
  // them that no name may reach.
  test::TempDir program;
  const Text skin = dir_.path() + u"skin\\";
  for (const Text& folder : {skin, program.path() + u"dblogo", program.path() + u"logo"})
    ASSERT_TRUE(CreateDirectoryW(win::W(folder), nullptr));
  const Bytes wide_red = imaging::test::EncodeBmp(Filled(20, 10, MakePixel(255, 0, 0)), 24);
  const Bytes tall_blue = imaging::test::EncodeBmp(Filled(10, 20, MakePixel(0, 0, 255)), 24);
  Write(skin + u"face.png", wide_red);
  Write(program.path() + u"dblogo\\badge.bmp", tall_blue);
  Write(program.path() + u"logo\\Logo.bmp", wide_red);
  Write(dir_.path() + u"secret.bmp", wide_red);
  engine_.SetProgramFolder(program.path());

  const std::string text =
      "typcsz\twid100\thei50\n"
      "typpho\tlft0\ttop0\twid30\thei30\tknddb\tdatPhoto[DB]\n"
      "typfim\tlft50\ttop0\twid30\thei30\tkndDB\tdatLogo\n";
  PictureForm form;
  auto& panel = *form.paLayout;
  ASSERT_TRUE(engine_.LoadLayout(Write(skin + u"fields.qzb", Bytes(text.begin(), text.end())), panel));
  LayoutImage& photo = *ImageAt(panel, 0);
  LayoutImage& logo = *ImageAt(panel, 1);
  const auto shows = [&](TextView value) {
    engine_.SetFieldValueAndRefresh(u"Photo", value, panel);
    return GetLayoutKey(u"dsp", photo.Hint());
  };

  engine_.SetFieldValue(u"Photo", u"face.png");
  engine_.RefreshFields(panel);
  EXPECT_EQ(GetLayoutKey(u"dsp", photo.Hint()), skin + u"face.png");
  EXPECT_EQ(photo.Picture().width, 20) << "a BMP named .png";
  EXPECT_EQ(win::FromRECT(photo.Bounds()), (Rect{0, 0, 120, 60})) << "shrunk to the picture's proportions";
  EXPECT_EQ(GetLayoutKey(u"dsp", logo.Hint()), program.path() + u"logo\\Logo.bmp")
      << "a name without an extension, tried with .jpg, .jpeg, .bmp in each place";
  EXPECT_EQ(win::FromRECT(logo.Bounds()), (Rect{200, 0, 120, 60}));

  EXPECT_EQ(shows(u"badge.bmp"), program.path() + u"dblogo\\badge.bmp");
  EXPECT_EQ(win::FromRECT(photo.Bounds()), (Rect{0, 0, 60, 120})) << "from the box again, not the last shape";
  for (const char16_t* outside : {u"..\\secret.bmp", u"../secret.bmp", u"\\secret.bmp", u"C:secret.bmp", u"NUL"}) {
    EXPECT_EQ(shows(outside), u"") << ToAsciiLossy(outside);
    EXPECT_TRUE(photo.Picture().empty()) << ToAsciiLossy(outside);
    EXPECT_EQ(win::FromRECT(photo.Bounds()), (Rect{0, 0, 120, 120})) << "back in its box";
  }
  EXPECT_EQ(shows((dir_.path() + u"secret.bmp").c_str()), u"") << "a full path is no bare name";

  // Unchanged names: a picture goes with its file and comes back with it.
  EXPECT_EQ(shows(u"face.png"), skin + u"face.png");
  ASSERT_TRUE(DeleteFileW(win::W(skin + u"face.png")));
  ASSERT_TRUE(DeleteFileW(win::W(program.path() + u"logo\\Logo.bmp")));
  EXPECT_EQ(shows(u"face.png"), u"");
  EXPECT_TRUE(photo.Picture().empty());
  EXPECT_EQ(win::FromRECT(photo.Bounds()), (Rect{0, 0, 120, 120})) << "back in its box";
  EXPECT_TRUE(logo.Picture().empty());
  Write(program.path() + u"logo\\Logo.bmp", wide_red);
  shows(u"face.png");
  EXPECT_EQ(GetLayoutKey(u"dsp", logo.Hint()), program.path() + u"logo\\Logo.bmp");
  EXPECT_FALSE(logo.Picture().empty());

  // In a skin turned a quarter, a new picture turns with it and fits the turned box.
  photo.Turn(90);
  photo.SetBounds({0, 0, 120, 120});
  EXPECT_EQ(shows(u"badge.bmp"), program.path() + u"dblogo\\badge.bmp");
  EXPECT_EQ(photo.Picture().width, 20) << "the tall picture lies on its side";
  EXPECT_EQ(win::FromRECT(photo.Bounds()), (Rect{0, 0, 120, 60}));
}

TEST_F(LayoutPicturesTest, TextWithoutAByteOrderMarkIsInTheAnsiCodePage) {
  const std::string ansi = "\x80\xE4\xC0";
  const Text want = win::FromAnsi(ansi);
  ASSERT_NE(want, u"\u0080\u00E4\u00C0") << "the system's code page is not Latin-1 here";
  PictureForm form;
  ASSERT_TRUE(engine_.LoadLayout(Write(L"ansi.qzb", "typcsz\twid60\thei40\ntypftx\twid50\thei10\tdat" + ansi + "\n"),
                                 *form.paLayout));
  EXPECT_EQ(LabelAt(*form.paLayout, 0)->Caption(), want);
  ASSERT_TRUE(engine_.LoadLayout(
      Write(L"utf8.qzb", "\xEF\xBB\xBFtypcsz\twid60\thei40\ntypftx\twid50\thei10\tdat\xE2\x82\xAC\xC3\xA4\n"),
      *form.paLayout));
  EXPECT_EQ(LabelAt(*form.paLayout, 0)->Caption(), u"\u20AC\u00E4") << "a byte-order mark decides";
}

TEST_F(LayoutPicturesTest, LabelsAndShapesShowAtTheirOpacity) {
  // Red shapes over yellow at 100, 50 and 0; black blocks of text on white likewise.
  const std::string text =
      "typcsz\twid100\thei50\n"
      "typshp\tlft0\ttop0\twid100\thei25\tbcl65535\tpcl-1\n"
      "typshp\tlft0\ttop0\twid25\thei25\tbcl255\tpcl-1\n"
      "typshp\tlft25\ttop0\twid25\thei25\tbcl255\tpcl-1\topa50\n"
      "typshp\tlft50\ttop0\twid25\thei25\tbcl255\tpcl-1\topa0\n"
      "typshp\tlft0\ttop25\twid100\thei25\tbcl16777215\tpcl-1\n"
      "typftx\tlft0\ttop25\twid25\thei25\tfsz20\tfst1\tdat\xA6\xA6\xA6\n"
      "typftx\tlft25\ttop25\twid25\thei25\tfsz20\tfst1\topa50\tdat\xA6\xA6\xA6\n"
      "typftx\tlft50\ttop25\twid25\thei25\tfsz20\tfst1\topa0\tdat\xA6\xA6\xA6\n";
  PictureForm form;
  ASSERT_TRUE(engine_.LoadLayout(Write(L"opacity.qzb", text), *form.paLayout));
  const test::Picture p = Shot(form);
  EXPECT_TRUE(Near(p.At(50, 50), kRed));
  EXPECT_TRUE(Near(p.At(150, 50), 0xFF8000)) << std::hex << p.At(150, 50);
  EXPECT_TRUE(Near(p.At(250, 50), kYellow));
  const auto darkest = [&p](int left) {
    uint32_t lowest = 255;
    for (int y = 100; y < 200; ++y)
      for (int x = left; x < left + 100; ++x) lowest = std::min(lowest, Channel(p.At(x, y), 8));
    return lowest;
  };
  EXPECT_LT(darkest(0), 40u) << "opaque text is black";
  EXPECT_GT(darkest(100), 90u) << "half-transparent text is grey";
  EXPECT_LT(darkest(100), 170u) << "half-transparent text shows";
  EXPECT_EQ(darkest(200), 255u) << "transparent text does not show";
}

TEST_F(LayoutPicturesTest, LabelsGrowGroupAndFitInRealFonts) {
  const std::string text =
      "typcsz\twid100\thei50\n"
      "typftx\tlft0\ttop0\twid40\thei3\tfsz2,5\twwp1\tdat!!special:ft\"one\xFFtwo\xFFthree\"!\n"
      "typftx\tlft50\ttop0\twid10\thei5\tfsz4\tgrpname\tdat!!special:ft\"First\"!\n"
      "typftx\tlft90\ttop40\twid10\thei5\tfsz2\tgrpname\tdat!!special:ft\"second\"!\n"
      "typftx\tlft0\ttop30\twid60\thei15\tfsz2\tafs1\tdat!!special:ft\"Fit\"!\n";
  PictureForm form;
  auto& panel = *form.paLayout;
  ASSERT_TRUE(engine_.LoadLayout(Write(L"labels.qzb", text), panel));
  engine_.SetFieldValueAndRefresh(u"Delay", u"1", panel);
  const RECT lines = LabelAt(panel, 0)->Bounds();
  EXPECT_GE(lines.bottom - lines.top, 3 * 10) << "three lines of a 10-pixel font";
  const RECT first = LabelAt(panel, 1)->Bounds(), second = LabelAt(panel, 2)->Bounds();
  EXPECT_EQ(second.left, first.right) << "the group goes on right of its first label";
  EXPECT_LT(second.top, 40 * 4) << "and up to its baseline";
  EXPECT_GT(second.bottom, first.top);
  const int fitted = LabelAt(panel, 3)->FontHeight();
  EXPECT_GT(fitted, 8) << "afs fits a larger font than the line's";
  EXPECT_LE(fitted, 60);
}

}  // namespace
}  // namespace eos::layout
