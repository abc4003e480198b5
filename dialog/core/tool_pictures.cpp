#include "dialog/core/tool_pictures.h"

#include <array>
#include <string_view>

namespace eos {

namespace {

constexpr int kSide = 16;
using Art = std::array<std::string_view, kSide>;

// '.' is transparent, '#' the ink, 'o' the picture's own colour.
constexpr imaging::Pixel kInk = 0xFF404040u;

// Sliders on three tracks.
constexpr Art kSettings = {
    "................",  //
    "................",  //
    "..ooo...........",  //
    "##ooo###########",  //
    "..ooo...........",  //
    "................",  //
    "..........ooo...",  //
    "##########ooo###",  //
    "..........ooo...",  //
    "................",  //
    "......ooo.......",  //
    "######ooo#######",  //
    "......ooo.......",  //
    "................",  //
    "................",  //
    "................",  //
};

// Mountains under the sun: the far distance.
constexpr Art kFarther = {
    "................",  //
    "............ooo.",  //
    "............ooo.",  //
    "............ooo.",  //
    "................",  //
    "......#.........",  //
    ".....###........",  //
    "....#####..#....",  //
    "...##########...",  //
    "..############..",  //
    ".##############.",  //
    "################",  //
    "################",  //
    "################",  //
    "................",  //
    "................",  //
};

// A flower: the close distance.
constexpr Art kNearer = {
    "................",  //
    "................",  //
    ".....o.oo.o.....",  //
    ".....oooooo.....",  //
    ".....oooooo.....",  //
    ".....oooooo.....",  //
    "......oooo......",  //
    ".......##.......",  //
    ".......##.......",  //
    "..##...##...##..",  //
    "...##..##..##...",  //
    "....##.##.##....",  //
    ".....######.....",  //
    ".......##.......",  //
    ".......##.......",  //
    "................",  //
};

// The letters AF.
constexpr Art kAutofocus = {
    "................",  //
    "................",  //
    "................",  //
    "...###...######.",  //
    "..##.##..##.....",  //
    ".##...##.##.....",  //
    ".##...##.##.....",  //
    ".##...##.#####..",  //
    ".#######.##.....",  //
    ".##...##.##.....",  //
    ".##...##.##.....",  //
    ".##...##.##.....",  //
    "................",  //
    "................",  //
    "................",  //
    "................",  //
};

constexpr bool Square(const Art& art) {
  for (std::string_view row : art)
    if (row.size() != kSide) return false;
  return true;
}
static_assert(Square(kSettings) && Square(kFarther) && Square(kNearer) && Square(kAutofocus));

imaging::Pixels Draw(const Art& art, imaging::Pixel own) {
  imaging::Pixels p;
  p.Resize(kSide, kSide);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) {
      const char c = art[static_cast<size_t>(y)][static_cast<size_t>(x)];
      p.data[static_cast<size_t>(y * kSide + x)] = c == '#' ? kInk : c == 'o' ? own : 0u;
    }
  return p;
}

}  // namespace

imaging::Pixels ToolPictureOf(ToolPicture which) {
  switch (which) {
    case ToolPicture::Settings:
      return Draw(kSettings, 0xFF2F6FC0u);
    case ToolPicture::Farther:
      return Draw(kFarther, 0xFFE8A020u);
    case ToolPicture::Nearer:
      return Draw(kNearer, 0xFFD04060u);
    case ToolPicture::Autofocus:
      break;
  }
  return Draw(kAutofocus, kInk);
}

}  // namespace eos
