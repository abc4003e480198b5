// The check of a taken picture against the rules for ID portraits, before the host stores
// it: the geometry of the head in the template's crop, the number of faces, and quality
// measures of the face and the background that need no trained model. Pure rules on the
// upright grey plane and the faces that the picture's face search already has
// (PictureSearch), so the check costs a few passes over a plane of well under a
// megapixel.
//
// Each measure gives a value and fails its check when the value is outside its bounds;
// several measures may fail one check (Dark: the face's mean too low, or too much of it
// clipped to black).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "face/face.h"
#include "face/grey.h"

namespace eos::face {

// What an operator is told failed, in the order the answer lists them.
enum class Fault {
  kHeadSize,
  kHeadPosition,
  kRoll,
  kFaces,
  kDark,
  kBright,
  kContrast,
  kUnevenLight,
  kBlurred,
  kBackground
};
inline constexpr int kFaultCount = 10;

// The answer's name of a fault ("HeadSize", ...).
std::string_view FaultName(Fault fault);
// What the operator reads for it, in English: a built-in text to be translated.
std::string_view FaultText(Fault fault);

// One measure: its name in the answer, the fault it raises, and the bounds its value must
// keep (inclusive).
struct MeasureRule {
  std::string_view name;
  Fault fault;
  double min;
  double max;
};

// The measures in the order the answer lists their values; thresholds and where their
// figures come from are in check.cpp and the README.
const std::vector<MeasureRule>& MeasureRules();

struct MeasureValue {
  const MeasureRule* rule = nullptr;
  double value = 0;
  bool passed() const { return value >= rule->min && value <= rule->max; }
};

struct CheckResult {
  std::vector<MeasureValue> values;  // none but the face count when there is no face
  std::vector<Fault> failed;         // each fault once, in Fault's order

  bool passed() const { return failed.empty(); }
};

// Checks the picture whose upright grey plane is `upright`, with the faces found there
// (the largest first), against the ID-photo guide's template (FaceTemplate as it
// stands): its crop is the largest one of its proportions centred in the picture as
// shown. No face fails kFaces alone.
CheckResult CheckPicture(const GreyView& upright, const std::vector<Face>& faces);

// The answer's texts: "OK" or the failed faults' names with commas; and the measures'
// "Name:value" pairs with commas.
std::string CheckVerdict(const CheckResult& result);
std::string CheckValues(const CheckResult& result);

}  // namespace eos::face
