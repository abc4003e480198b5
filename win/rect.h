// The project's rectangle (corner and size) and Windows' RECT (edges), one into the other.
#pragma once

#include <windows.h>

#include "base/rect.h"

namespace eos::win {

inline RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right(), r.bottom()}; }
inline Rect FromRECT(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace eos::win
