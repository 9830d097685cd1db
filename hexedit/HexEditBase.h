// A hexadecimal viewer and editor control: address, hex and ASCII columns over its own copy of
// a block of bytes.
#pragma once

#include <afxwin.h>

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

	virtual void SetReadOnly(BOOL bReadOnly, BOOL bRedraw);

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

	void SetEditPosition(UINT nPos, BOOL bHighNibble);
	void NotifyParent(WORD nCode);
	void OnSettingChanged(BOOL bRedraw);
	void Repaint();

	afx_msg LRESULT OnSetFont(WPARAM wParam, LPARAM lParam);
	afx_msg LRESULT OnGetFont(WPARAM wParam, LPARAM lParam);
	afx_msg void OnDestroy();

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
	RECT m_rcText;
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
	RECT m_rcDragThreshold;
	POINT m_ptAutoScroll;
	int m_nAutoScrollDir;
	WORD m_wAutoScrollDelay;
	WORD m_wAutoScrollCountdown;
	bool m_bAutoScrolling;

	DECLARE_MESSAGE_MAP()
};
