// The skin's pure logic: which part of the skin an item is (by its line), where an item
// goes when the skin turns by a quarter and how far a skin turns for the view's angle,
// the colour classes of the mask and the runs of a mask row that make the window's
// region, the skin's file name and its field texts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/rect.h"
#include "base/text.h"

namespace eos {

enum class SkinPart {
  Mask,
  View,
  TakePicture,
  TakePictureDown,
  TakePictureOver,
  Settings,
  SettingsDown,
  SettingsOver,
  Cancel,
  CancelDown,
  CancelOver,
  DragArea,
};

// The first rule whose text occurs in the lower-cased item line: the mask ("datbgb_"
// after a TAB), the photo place, then the button pictures by their file names; any
// other item is a drag area.
SkinPart ClassifySkinItem(TextView line);

// The turn from the skin's angle to the new one: 0, 90, 180 or 270 clockwise.
int SkinTurn(int angle, int skin_angle);

// The angle a skin turns to (clockwise, 0 to 270) for the view at `view_angle`. A skin
// turns with the view. One drawn for a camera on its side says so on its page line with
// "upr" and the view's angle at which it stands as drawn ("upr90"): it still turns with
// the view, so that its photo place keeps the view's sides, but of the two turns that do
// so it takes the one that keeps it upright, never standing on its head. A value that is
// no quarter turn counts as none.
int SkinAngle(int view_angle, TextView page_line);

// Whether the photo place's line asks for the ID-photo template ("tpl1"): the face
// guide's crop and head oval over the view, drawn whether or not the guide runs, as the
// skin's only head mark.
bool ShowsIdTemplate(TextView view_line);

// Where an item of a skin area `area_width` x `area_height` goes when the whole area
// turns clockwise by `delta` (90, 180 or 270; anything else leaves it).
Rect TurnSkinRect(int delta, int area_width, int area_height, const Rect& r);

enum class MaskClass { White, Red, Blue, Green, Other };
MaskClass ClassifyMaskPixel(uint8_t r, uint8_t g, uint8_t b);

// One row piece of the window's region: pixels [x0, x1) of row y.
struct MaskRun {
  int y = 0, x0 = 0, x1 = 0;
  bool operator==(const MaskRun&) const = default;
};

// The runs of neighbouring pixels of one class that are not white, row by row, of the
// mask (0xAARRGGBB pixels, `width` x `height`; transparency counts as white) stretched
// to `out_width` x `out_height`. Nothing when the sizes do not fit the pixels.
std::optional<std::vector<MaskRun>> MaskRuns(std::span<const uint32_t> pixels, int width, int height, int out_width,
                                             int out_height);

// A skin is named by its file name without extension, a bare name of at most 100
// characters: no folder, drive or parent steps, no leading or trailing dot, no trailing
// blank (Windows drops it), no control or wildcard characters. The settings text keeps
// only such a name, and only such a name is loaded.
bool IsSkinName(TextView name);

// The text that lists the camera SDK's modules: per line of `sdk_versions` its
// "ModuleName", ": " and its "Version" with "," as "." and no blanks; a line without a
// module name counts as written. Lines joined by ", ".
Text SkinModuleList(TextView sdk_versions);

}  // namespace eos

namespace eos {

// The live view in the skin's photo place shows the whole frame at its proportions: the
// frame (`frame_w` x `frame_h`, as turned) scaled to fit inside the place and centred
// on it, with bars where the sides differ. Left and top are relative to the place.
Rect FitRect(int place_w, int place_h, int frame_w, int frame_h);

}  // namespace eos
