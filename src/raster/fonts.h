// The arithmetic behind font sizes, shared by the font table and its tests.
#pragma once

namespace drape::raster::detail {

// a * b / c rounded to the nearest integer, halves away from zero, as the desktop's MulDiv
// rounds point sizes to pixels; -1 when c is 0 or the result does not fit in an int.
int mulDiv(int a, int b, int c);

}  // namespace drape::raster::detail
