// The item model: what one line of a layout asks for, in pixels, before any control
// exists. The page line ("csz") sizes the container; "ftx" and "dtx" are text labels,
// "fim" images, "shp" shapes and "pho" photo places. Barcodes ("bar", "bam"), rich
// text ("rtf") and kinds this engine does not know are skipped.
#pragma once

#include <cstdint>
#include <optional>

#include "base/rect.h"
#include "base/text.h"

namespace eos::layout {

enum class ItemKind { Page, Label, DataLabel, Image, Shape, Photo, Skipped };

// Tags the items carry, by which the data pass tells them apart.
inline constexpr int kTagLabel = 101;
inline constexpr int kTagPhoto = 105;
inline constexpr int kTagShape = 106;
inline constexpr int kTagSerial = 9991;
// Components of a container with this tag are not the layout's: a reload keeps them.
inline constexpr int kTagKeep = 999;

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };
enum class ShapeKind { Rectangle, Ellipse, HorizontalLine, VerticalLine, DiagonalDown, DiagonalUp };

// Colours as Windows writes them: 0x00BBGGRR.
using Colour = uint32_t;

struct LabelStyle {
  int angle = 0;  // 0, 90, 180 or 270, counter-clockwise as text turns
  HAlign align = HAlign::Left;
  VAlign valign = VAlign::Top;
  Colour colour = 0;
  Text font_name;
  int font_height = 0;  // character height in pixels; 0: the container's font
  bool bold = false, italic = false;
  int extra_spacing = 0;
  int opacity = 100;
  bool word_wrap = false;
};

struct LayoutItem {
  ItemKind kind = ItemKind::Skipped;
  Text line;  // the whole item line, the control's hint
  Text type;  // the "typ" value, lower case
  Rect bounds;
  int tag = 0;
  // False for a label whose making stopped at its font style: it is one of the layout's
  // items, found by its line like the others, but it is never shown or clicked and the
  // data pass leaves it alone.
  bool placed = true;
  // Labels: the text shown when created.
  Text text;
  LabelStyle label;
  // Images: the picture's file name; turned clockwise by `angle`.
  Text image_name;
  int angle = 0;
  bool transparent = false;
  // Shapes: no brush or pen when empty.
  std::optional<Colour> brush, pen;
  int pen_width = 1;
  ShapeKind shape = ShapeKind::Rectangle;
  int opacity = 100;
};

struct LayoutPage {
  int width = 0, height = 0;  // pixels
  Text background;
  Text line;  // the page line itself, for keys its user reads (a skin's)
};

// The page of a page line; nothing with `error` when the line is not one, or its width
// or height is negative or no length that can be drawn. A size of 0 is an empty page.
std::optional<LayoutPage> ParseLayoutPage(TextView line, Text& error);

// The item of an item line. Nothing with `error` when the line cannot make its item:
// bounds that are no numbers or cannot be drawn. A label whose font style ("fst") is no
// number gives a label that is not placed, with `error` saying why: its angle, bounds,
// alignment, colour and font are read, its tag is 0 and it has no text. Kinds this
// engine does not draw give an item of kind Skipped.
std::optional<LayoutItem> ParseLayoutItem(TextView line, Text& error);

// The quarter turn a text says ("90", "180", "270"); 0 for anything else.
int QuarterTurn(TextView text);

}  // namespace eos::layout
