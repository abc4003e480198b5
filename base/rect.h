// A rectangle by its top-left corner and its size, in pixels: the designed bounds of a
// form's components, a layout item's place, the picture frame, a skin item as it turns.
#pragma once

namespace eos {

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const Rect&) const = default;
};

}  // namespace eos
