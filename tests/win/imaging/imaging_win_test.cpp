// The rotating image control painted by its container into a real window and read back
// from the screen, and the picture helpers against files and GDI bitmaps.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "imaging/LumImageEx.h"
#include "imaging/RotImg.h"
#include "simulator/core/jpeg.h"
#include "win/handles.h"

namespace eos::imaging {
namespace {

constexpr COLORREF kBackdrop = RGB(0, 0, 255);
const Pixel kColours[6] = {MakePixel(250, 20, 20),  MakePixel(20, 200, 20), MakePixel(250, 250, 40),
                           MakePixel(120, 40, 200), MakePixel(10, 10, 10),  MakePixel(255, 255, 255)};

Pixels Six() {  // a b c / d e f
  Pixels p;
  p.Resize(3, 2);
  for (size_t i = 0; i < 6; ++i) p.data[i] = kColours[i];
  return p;
}

// A container as the dialog's picture frame will be: it paints its backdrop and the
// control into a memory bitmap and copies that to the window in one go.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wp, lp);
  auto* image = reinterpret_cast<TRotateImage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  const win::UniqueMemoryDc memory(CreateCompatibleDC(dc));
  const win::Gdi<HBITMAP> surface(CreateCompatibleBitmap(dc, client.right, client.bottom));
  const HGDIOBJ old = SelectObject(memory.get(), surface.get());
  const win::Gdi<HBRUSH> brush(CreateSolidBrush(kBackdrop));
  FillRect(memory.get(), &client, brush.get());
  if (image) image->Paint(memory.get());
  BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
  SelectObject(memory.get(), old);
  EndPaint(hwnd, &ps);
  return 0;
}

class Frame {
 public:
  explicit Frame(TRotateImage& image) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = FrameProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"EosImagingTestFrame";
    RegisterClassW(&wc);
    window_.reset(CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"frame", WS_POPUP | WS_VISIBLE, 100, 100, 80, 80,
                                  nullptr, nullptr, wc.hInstance, nullptr));
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&image));
    image.on_invalidate = [this] { InvalidateRect(window_.get(), nullptr, FALSE); };
  }
  // The client area as it is on the screen.
  Pixels Capture() {
    InvalidateRect(window_.get(), nullptr, FALSE);
    UpdateWindow(window_.get());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    const HDC screen = GetDC(window_.get());
    const win::UniqueMemoryDc memory(CreateCompatibleDC(screen));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 80, -80, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const win::Gdi<HBITMAP> dib(CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const HGDIOBJ old = SelectObject(memory.get(), dib.get());
    BitBlt(memory.get(), 0, 0, 80, 80, screen, 0, 0, SRCCOPY);
    GdiFlush();
    Pixels out;
    out.Resize(80, 80);
    for (size_t i = 0; i < out.data.size(); ++i) out.data[i] = static_cast<const Pixel*>(bits)[i] | 0xFF000000u;
    SelectObject(memory.get(), old);
    ReleaseDC(window_.get(), screen);
    return out;
  }

 private:
  win::UniqueWindow window_;
};

// Every pixel of the window: the backdrop outside the control, and inside it blocks of
// 10 x 10 pixels, one per picture pixel, in the order `letters` names them.
void ExpectBlocks(const Pixels& screen, int left, int top, const std::vector<std::string>& letters) {
  const Pixel backdrop = MakePixel(0, 0, 255);
  const int w = letters.empty() ? 0 : static_cast<int>(letters[0].size()) * 10,
            h = static_cast<int>(letters.size()) * 10;
  int wrong = 0;
  for (int y = 0; y < screen.height; ++y)
    for (int x = 0; x < screen.width; ++x) {
      const bool inside = x >= left && x < left + w && y >= top && y < top + h;
      const Pixel expected =
          inside ? kColours[letters[static_cast<size_t>((y - top) / 10)][static_cast<size_t>((x - left) / 10)] - 'a']
                 : backdrop;
      if (screen.at(x, y) != expected && wrong++ < 5)
        ADD_FAILURE() << "pixel " << x << "," << y << ": " << std::hex << screen.at(x, y) << " not " << expected;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(TRotateImage, PaintedByItsContainerAtZeroAndNinetyDegrees) {
  TRotateImage image;
  image.SetStretch(true);
  image.SetUniqueSize(false);  // the capture dialog's options
  image.SetBounds(10, 20, 30, 20);
  image.SetPicture(Six(), true);
  Frame frame(image);
  ExpectBlocks(frame.Capture(), 10, 20, {"abc", "def"});

  // Counter-clockwise: the right column on top; the frame turns its sides with it.
  image.SetAngle(90);
  image.SetBounds(10, 20, 20, 30);
  EXPECT_EQ(image.RotatedBitmap().width, 2);
  EXPECT_EQ(image.RotatedBitmap().height, 3);
  ExpectBlocks(frame.Capture(), 10, 20, {"cf", "be", "ad"});

  // 270 is -90: no stripe of background at the right edge.
  image.SetAngle(270);
  ExpectBlocks(frame.Capture(), 10, 20, {"da", "eb", "fc"});
}

TEST(TRotateImage, WithoutAPictureNothingIsPaintedAndThereIsNoRegion) {
  TRotateImage image;
  EXPECT_EQ(image.MaxSize(), 0);
  EXPECT_EQ(image.ImageRgn(), nullptr);
  Frame frame(image);
  ExpectBlocks(frame.Capture(), 0, 0, {});
}

class TempFiles : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // One folder per process: ctest runs this fixture's cases side by side.
    dir_ = std::filesystem::path(temp) / (L"eos_imaging_test_" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::wstring Write(const wchar_t* name, const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path.wstring();
  }
  static std::vector<uint8_t> Jpeg(int w, int h) {
    sim::Image img{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 3, 200)};
    img.rgb[0] = 10;  // a dark red top-left pixel
    img.rgb[1] = img.rgb[2] = 0;
    return sim::EncodeJpeg(img, 95);
  }
  std::filesystem::path dir_;
};

TEST_F(TempFiles, LoaderFallsBackToTheContentsAndRefusesWhatIsNoPicture) {
  const std::wstring jpeg_as_bmp = Write(L"frame.bmp", Jpeg(16, 8));
  EXPECT_EQ(DetectPictureFileType(jpeg_as_bmp), "jpg");
  win::Gdi<HBITMAP> bitmap;
  ASSERT_TRUE(LoadPictureFileToBitmap(jpeg_as_bmp, bitmap));
  BITMAP bm{};
  GetObjectW(bitmap.get(), sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 16);
  EXPECT_EQ(bm.bmHeight, 8);
  EXPECT_EQ(bm.bmBitsPixel, 24);

  TRotateImage image;
  EXPECT_TRUE(LoadPictureFileToImage(image, jpeg_as_bmp));
  EXPECT_EQ(image.RotatedBitmap().width, 16);

  Pixels out;
  std::string error;
  EXPECT_FALSE(LoadPictureFile(dir_.wstring(), out, error));
  EXPECT_NE(error.find("directory"), std::string::npos) << error;
  EXPECT_FALSE(LoadPictureFile((dir_ / L"missing.jpg").wstring(), out, error));
  EXPECT_FALSE(LoadPictureFileToBitmap(Write(L"doc.jpg", {'%', 'P', 'D', 'F', '-', '1', '.', '4'}), bitmap));
  EXPECT_EQ(DetectPictureFileType(dir_.wstring()), "");
  EXPECT_EQ(DetectPictureFileType(Write(L"short.bmp", {'B'})), "");
}

TEST_F(TempFiles, MirroredFramesPutTheFirstPixelInTheOppositeCorner) {
  const std::vector<uint8_t> jpeg = Jpeg(64, 48);
  for (bool vertical : {false, true}) {
    const win::Gdi<HBITMAP> bitmap = MirrorJpegToBitmap(jpeg, vertical);
    ASSERT_TRUE(bitmap);
    const win::UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    const HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    const COLORREF corner = vertical ? GetPixel(dc.get(), 0, 47) : GetPixel(dc.get(), 63, 0);
    EXPECT_LT(GetRValue(corner), 60) << vertical;
    EXPECT_GT(GetRValue(GetPixel(dc.get(), 0, 0)), 150) << vertical;
    SelectObject(dc.get(), old);
  }
  EXPECT_FALSE(MirrorJpegToBitmap({jpeg.data(), jpeg.size() / 2}, false));
}

}  // namespace
}  // namespace eos::imaging
