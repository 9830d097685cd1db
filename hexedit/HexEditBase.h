// A hexadecimal viewer and editor control: address, hex and ASCII columns over its own copy of
// a block of bytes.
#pragma once

#include <afxwin.h>
#include <afxole.h>
#include <string>

// Posted to itself after each layout, so that the scroll bars follow once painting is over.
#define WM_HEXEDIT_UPDATESCROLLBARS 0x5400

class CHexEditBase : public CWnd
{
	DECLARE_DYNCREATE(CHexEditBase)
public:
	CHexEditBase();
	virtual ~CHexEditBase();

	BOOL Create(LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID,
		CCreateContext* pContext = NULL);
	BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
		CWnd* pParentWnd, UINT nID, CCreateContext* pContext = NULL) override;
	BOOL PreCreateWindow(CREATESTRUCT& cs) override;
	BOOL PreTranslateMessage(MSG* pMsg) override;

	virtual void SetReadOnly(BOOL bReadOnly, BOOL bRedraw);
	virtual void OnExtendContextMenu(CMenu* pMenu);

	void SetData(const BYTE* pData, UINT nLength, BOOL bRedraw);
	BOOL HasSelection() const;
	void SetBytesPerRow(UINT nBytesPerRow, BOOL bAutoFit, BOOL bRedraw);
	void SetShowAddress(BOOL bShow, BOOL bRedraw);
	void SetShowAscii(BOOL bShow, BOOL bRedraw);
	void SetSelection(UINT nBegin, UINT nEnd, BOOL bMakeVisible, BOOL bRedraw);
	void SetAddressSize(BYTE nDigits, BOOL bRedraw);

	static void RegisterWindowClasses();
	static LRESULT CALLBACK SelfCreatingWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);

protected:
	void PostNcDestroy() override;

	// Layout and painting
	void CalcLayout(CDC* pDC);
	BOOL EnsureLayout();
	void UpdateScrollBars();
	void UpdateScrollBar(int nBar);
	void PaintAddresses(CDC* pDC);
	void PaintHexData(CDC* pDC);
	void PaintAsciiData(CDC* pDC);
	UINT LastPaintedByte() const;
	template <class Fn> void ForEachPaintedRow(UINT nFirstColumn, UINT nEndColumn, Fn fn) const;
	void VisibleColumns(UINT nLeft, UINT nCells, UINT* pFirst, UINT* pEnd) const;
	CRect RowRect(LONG nLeft, LONG nRight, UINT nRow) const;
	BOOL IsMultiLine() const { return (GetStyle() & ES_MULTILINE) != 0; }
	BOOL HasData() const { return m_pData != NULL && m_nLength != 0; }

	// Caret, scrolling and selection
	void SetEditPosition(UINT nPos, BOOL bHighNibble);
	void MoveEditPosition(int nDelta, BOOL bHighNibble);
	void PositionFromPoint(CPoint pt, UINT* pPos, BOOL* pHighNibble);
	UINT SetEditPositionFromPoint(CPoint pt);
	void EnsureVisible(UINT nBegin, UINT nEnd, BOOL bRedraw);
	void SetTopRow(UINT nRow, BOOL bRedraw);
	void SetHScrollPos(UINT nPos, BOOL bRedraw);
	void ScrollRows(int nDelta, BOOL bRedraw);
	void ScrollPixels(int nDelta, BOOL bRedraw);
	void SelectFromAnchor(CPoint pt);
	void StartAutoScroll(CPoint pt, int nDir, WORD nDelay);
	void StopAutoScroll();
	void CreateEditCaret(int nHeight, int nWidth);
	void DestroyEditCaret();

	BOOL EnterHexDigit(UINT nChar);
	std::string SelectionAsText() const;
	void NotifyParent(WORD nCode);
	void OnSettingChanged(BOOL bRedraw);
	void Repaint();

	afx_msg LRESULT OnUpdateScrollBars(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnChar(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
	afx_msg void OnDestroy();
	afx_msg void OnTimer(UINT_PTR nIDEvent);
	afx_msg void OnKillFocus(CWnd* pNewWnd);
	afx_msg void OnPaint();
	afx_msg void OnSetFocus(CWnd* pOldWnd);
	afx_msg void OnSize(UINT nType, int cx, int cy);
	afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
	afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
	afx_msg UINT OnGetDlgCode();
	afx_msg BOOL OnEraseBkgnd(CDC* pDC);
	afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
	afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
	afx_msg void OnMouseMove(UINT nFlags, CPoint point);
	afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
	afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
	afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
	afx_msg void OnContextMenu(CWnd* pWnd, CPoint point);
	afx_msg void OnEditCopy();
	afx_msg void OnEditPaste();
	afx_msg void OnEditSelectAll();

	bool m_bAutoDelete;
	bool m_bFreeData;
	UINT m_nFullRows;
	UINT m_nLastRowHeight;
	UINT m_nVisibleRows;
	UINT m_nLineHeight;
	UINT m_nCharWidth;
	UINT m_nBytesPerRow;
	UINT m_nHexLeft;
	UINT m_nHexWidth;
	UINT m_nAsciiLeft;
	UINT m_nAsciiWidth;
	UINT m_nAddressLeft;
	UINT m_nAddressWidth;
	CRect m_rcText;
	BYTE* m_pData;
	UINT m_nRequestedBytesPerRow;
	UINT m_nAddressDigits;
	UINT m_nSelStart;
	UINT m_nSelEnd;
	UINT m_nEditPos;
	int m_nCaretHeight;
	UINT m_nLength;
	UINT m_nTopRow;
	UINT m_nMaxTopRow;
	UINT m_nHScrollPos;
	UINT m_nMaxHScrollPos;
	int m_nCaretWidth;
	UINT m_nSelAnchor;
	UINT m_cfBinaryData;
	bool m_bLayoutDirty;
	bool m_bCaretCreated;
	bool m_bHighNibble;
	bool m_bAutoBytesPerRow;
	bool m_bShowAddress;
	bool m_bShowAscii;
	bool m_bReadOnly;
	COLORREF m_crAddressBk;
	COLORREF m_crAddressText;
	COLORREF m_crAsciiBk;
	COLORREF m_crAsciiText;
	COLORREF m_crHexText;
	COLORREF m_crHexBk;
	COLORREF m_crBackground;
	COLORREF m_crSelTextNoFocus;
	COLORREF m_crSelBkNoFocus;
	COLORREF m_crSelTextFocus;
	COLORREF m_crSelBkFocus;
	CString m_strCopy;
	CString m_strPaste;
	CFont m_font;
	CRect m_rcDragThreshold;
	CPoint m_ptAutoScroll;
	int m_nAutoScrollDir;
	WORD m_wAutoScrollDelay;
	WORD m_wAutoScrollCountdown;
	bool m_bAutoScrolling;

	DECLARE_MESSAGE_MAP()
};
