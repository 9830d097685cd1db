// Simple value types of the MFC-compatible runtime: points, sizes and rectangles.
#pragma once

#include <windows.h>

class CPoint : public tagPOINT
{
public:
	CPoint() { x = 0; y = 0; }
	CPoint(int initX, int initY) { x = initX; y = initY; }
	explicit CPoint(LPARAM dwPoint) { x = (short)LOWORD(dwPoint); y = (short)HIWORD(dwPoint); }
	bool operator==(POINT point) const { return x == point.x && y == point.y; }
};

class CSize : public tagSIZE
{
public:
	CSize() { cx = 0; cy = 0; }
	CSize(int initCX, int initCY) { cx = initCX; cy = initCY; }
	CSize(SIZE initSize) { cx = initSize.cx; cy = initSize.cy; }
};

class CRect : public tagRECT
{
public:
	CRect() { left = top = right = bottom = 0; }
	CRect(int l, int t, int r, int b) { left = l; top = t; right = r; bottom = b; }

	int Width() const { return right - left; }
	int Height() const { return bottom - top; }
	BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
	BOOL PtInRect(POINT point) const { return ::PtInRect(this, point); }
	void SetRect(int x1, int y1, int x2, int y2) { ::SetRect(this, x1, y1, x2, y2); }
	void DeflateRect(int x, int y) { ::InflateRect(this, -x, -y); }
	CPoint TopLeft() const { return CPoint(left, top); }
};
