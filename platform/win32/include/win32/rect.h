// Rectangle arithmetic. A rectangle is empty when its right edge is not beyond its left or its
// bottom not below its top; the right and bottom edges are outside it.
#pragma once

#include <win32/types.h>

// The common part of a and b; FALSE (and an all-zero out) when they do not overlap.
BOOL IntersectRect(LPRECT out, const RECT* a, const RECT* b);
BOOL EqualRect(const RECT* a, const RECT* b);
BOOL IsRectEmpty(const RECT* rect);
BOOL PtInRect(const RECT* rect, POINT point);
BOOL OffsetRect(LPRECT rect, int dx, int dy);
