// CHexEditBase: construction, window classes, settings, the data model and notifications.
#include "HexEditShared.h"
#include <algorithm>
#include <memory>
#include <new>

static const TCHAR s_szClassName[] = _T("CHexEditBase");
static const TCHAR s_szSelfCreatingClassName[] = _T("CHexEditBase_SC");

IMPLEMENT_DYNCREATE(CHexEditBase, CWnd)

BEGIN_MESSAGE_MAP(CHexEditBase, CWnd)
	ON_MESSAGE(WM_HEXEDIT_UPDATESCROLLBARS, &CHexEditBase::OnUpdateScrollBars)
	ON_MESSAGE(WM_CHAR, &CHexEditBase::OnChar)
	ON_MESSAGE(WM_SETFONT, &CHexEditBase::OnSetFont)
	ON_MESSAGE(WM_GETFONT, &CHexEditBase::OnGetFont)
	ON_WM_DESTROY()
	ON_WM_TIMER()
	ON_WM_KILLFOCUS()
	ON_WM_PAINT()
	ON_WM_SETFOCUS()
	ON_WM_SIZE()
	ON_WM_VSCROLL()
	ON_WM_HSCROLL()
	ON_WM_GETDLGCODE()
	ON_WM_ERASEBKGND()
	ON_WM_LBUTTONDOWN()
	ON_WM_LBUTTONDBLCLK()
	ON_WM_MOUSEMOVE()
	ON_WM_LBUTTONUP()
	ON_WM_KEYDOWN()
	ON_WM_MOUSEWHEEL()
	ON_WM_CONTEXTMENU()
	ON_COMMAND(ID_EDIT_COPY, &CHexEditBase::OnEditCopy)
	ON_COMMAND(ID_EDIT_PASTE, &CHexEditBase::OnEditPaste)
	ON_COMMAND(ID_EDIT_SELECT_ALL, &CHexEditBase::OnEditSelectAll)
END_MESSAGE_MAP()

CHexEditBase::CHexEditBase()
	: m_bAutoDelete(false), m_bFreeData(true), m_nFullRows(0), m_nLastRowHeight(0), m_nVisibleRows(0),
	  m_nLineHeight(0), m_nCharWidth(0), m_nBytesPerRow(0), m_nHexLeft(0), m_nHexWidth(0),
	  m_nAsciiLeft(0), m_nAsciiWidth(0), m_nAddressLeft(0), m_nAddressWidth(0), m_rcText(),
	  m_pData(NULL), m_nRequestedBytesPerRow(16), m_nAddressDigits(8), m_nSelStart(NONE),
	  m_nSelEnd(NONE), m_nEditPos(0), m_nCaretHeight(0), m_nLength(0), m_nTopRow(0), m_nMaxTopRow(0),
	  m_nHScrollPos(0), m_nMaxHScrollPos(0), m_nCaretWidth(0), m_nSelAnchor(NONE), m_cfBinaryData(0),
	  m_bLayoutDirty(true), m_bCaretCreated(false), m_bHighNibble(true), m_bAutoBytesPerRow(false),
	  m_bShowAddress(false), m_bShowAscii(false), m_bReadOnly(false),
	  m_crAddressBk(RGB(90, 0, 0)), m_crAddressText(RGB(255, 0, 0)), m_crAsciiBk(RGB(0, 20, 0)),
	  m_crAsciiText(RGB(0, 255, 0)), m_crHexText(RGB(0, 0, 255)), m_crHexBk(RGB(180, 210, 190)),
	  m_crBackground(RGB(210, 210, 210)), m_crSelTextNoFocus(0), m_crSelBkNoFocus(0),
	  m_crSelTextFocus(0), m_crSelBkFocus(0), m_strCopy(_T("Copy")), m_strPaste(_T("Paste")),
	  m_rcDragThreshold(), m_ptAutoScroll(), m_nAutoScrollDir(0), m_wAutoScrollDelay(0),
	  m_wAutoScrollCountdown(0), m_bAutoScrolling(false)
{
	m_crSelTextNoFocus = ::GetSysColor(COLOR_WINDOWTEXT);
	m_crSelBkNoFocus = ::GetSysColor(COLOR_BTNFACE);
	m_crSelTextFocus = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
	m_crSelBkFocus = ::GetSysColor(COLOR_HIGHLIGHT);
	if (!m_font.CreateStockObject(OEM_FIXED_FONT))
		AfxThrowResourceException();
	m_cfBinaryData = ::RegisterClipboardFormat(_T("BinaryData"));
	RegisterWindowClasses();
}

CHexEditBase::~CHexEditBase()
{
	if (m_bFreeData)
		delete[] m_pData;
	m_font.DeleteObject();
	// Destroying the window from here must not delete this object a second time.
	m_bAutoDelete = false;
	if (m_hWnd != NULL && ::IsWindow(m_hWnd))
		DestroyWindow();
}

void CHexEditBase::RegisterWindowClasses()
{
	static const LPCTSTR s_apszNames[] = { s_szClassName, s_szSelfCreatingClassName };
	static const WNDPROC s_apfnProcs[] = { ::DefWindowProc, SelfCreatingWndProc };
	HINSTANCE hInstance = AfxGetInstanceHandle();
	for (int i = 0; i < 2; ++i)
	{
		WNDCLASS wndcls;
		if (::GetClassInfo(hInstance, s_apszNames[i], &wndcls))
			continue;
		wndcls = WNDCLASS();
		wndcls.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
		wndcls.lpfnWndProc = s_apfnProcs[i];
		wndcls.hInstance = hInstance;
		wndcls.hCursor = ::LoadCursor(NULL, IDC_IBEAM);
		wndcls.lpszClassName = s_apszNames[i];
		if (!AfxRegisterClass(&wndcls))
			AfxThrowResourceException();
	}
}

// Windows of "CHexEditBase_SC" make their own object, which deletes itself with the window.
LRESULT CALLBACK CHexEditBase::SelfCreatingWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
	if (nMsg != WM_NCCREATE)
		return ::DefWindowProc(hWnd, nMsg, wParam, lParam);
	try
	{
		// Held until the window has it: a subclassing that fails or throws deletes it here.
		std::unique_ptr<CHexEditBase> pControl(new CHexEditBase);
		pControl->m_bAutoDelete = true;
		if (!pControl->SubclassWindow(hWnd))
			return FALSE;
		pControl.release();
		return TRUE;
	}
	catch (CException* e)
	{
		e->Delete();
	}
	catch (...)
	{
	}
	return FALSE;
}

BOOL CHexEditBase::Create(LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
	UINT nID, CCreateContext* pContext)
{
	return CWnd::Create(s_szClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

BOOL CHexEditBase::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
	CWnd* pParentWnd, UINT nID, CCreateContext* pContext)
{
	return CWnd::Create(lpszClassName, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext) ? TRUE : FALSE;
}

BOOL CHexEditBase::PreCreateWindow(CREATESTRUCT& cs)
{
	return CWnd::PreCreateWindow(cs);
}

void CHexEditBase::PostNcDestroy()
{
	if (m_bAutoDelete)
	{
		m_bAutoDelete = false;
		delete this;
	}
}

void CHexEditBase::OnDestroy()
{
	CWnd::OnDestroy();
}

void CHexEditBase::Repaint()
{
	if (::IsWindow(m_hWnd))
		InvalidateRect(NULL, TRUE);
}

// A setting that changes the layout: recalculated lazily, caret re-placed, repainted on request.
void CHexEditBase::OnSettingChanged(BOOL bRedraw)
{
	m_bLayoutDirty = true;
	if (!::IsWindow(m_hWnd))
		return;
	SetEditPosition(m_nEditPos, m_bHighNibble);
	if (bRedraw)
		InvalidateRect(NULL, TRUE);
}

void CHexEditBase::SetData(const BYTE* pData, UINT nLength, BOOL bRedraw)
{
	m_nSelAnchor = m_nSelStart = m_nSelEnd = NONE;
	if (m_bFreeData)
		delete[] m_pData;
	// Empty first, so that a failed allocation leaves a consistent control without data.
	m_pData = NULL;
	m_nLength = 0;
	m_bFreeData = pData != NULL;
	BYTE* pCopy = pData != NULL ? new (std::nothrow) BYTE[nLength] : NULL;
	if (pCopy != NULL)
	{
		std::copy(pData, pData + nLength, pCopy);
		m_pData = pCopy;
		m_nLength = nLength;
	}
	// Without its copy the control has no data, and shows none, whatever the caller asked.
	const bool bFailed = pData != NULL && pCopy == NULL;
	m_bLayoutDirty = true;
	if (bRedraw || bFailed)
		Repaint();
	SetEditPosition(0, TRUE);
	if (bFailed)
		AfxThrowMemoryException();
}

BOOL CHexEditBase::HasSelection() const
{
	return m_nSelStart != NONE && m_nSelEnd != NONE;
}

void CHexEditBase::SetBytesPerRow(UINT nBytesPerRow, BOOL bAutoFit, BOOL bRedraw)
{
	if (LowByte(bAutoFit) == m_bAutoBytesPerRow && nBytesPerRow == m_nRequestedBytesPerRow)
		return;
	m_bAutoBytesPerRow = LowByte(bAutoFit);
	m_nRequestedBytesPerRow = nBytesPerRow;
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetShowAddress(BOOL bShow, BOOL bRedraw)
{
	if (LowByte(bShow) == m_bShowAddress)
		return;
	m_bShowAddress = LowByte(bShow);
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetShowAscii(BOOL bShow, BOOL bRedraw)
{
	if (LowByte(bShow) == m_bShowAscii)
		return;
	m_bShowAscii = LowByte(bShow);
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetAddressSize(BYTE nDigits, BOOL bRedraw)
{
	m_nAddressDigits = nDigits;
	OnSettingChanged(bRedraw);
}

void CHexEditBase::SetReadOnly(BOOL bReadOnly, BOOL bRedraw)
{
	m_bReadOnly = LowByte(bReadOnly);
	if (bRedraw)
		Repaint();
}

// Each end separately: past the data means the last byte; -1 stays "none".
void CHexEditBase::SetSelection(UINT nBegin, UINT nEnd, BOOL bMakeVisible, BOOL bRedraw)
{
	if (m_nSelEnd == nEnd && m_nSelStart == nBegin)
		return;
	if (nBegin != NONE && nBegin >= m_nLength)
		nBegin = m_nLength - 1;
	if (nEnd != NONE && nEnd >= m_nLength)
		nEnd = m_nLength - 1;
	m_nSelEnd = nEnd;
	m_nSelStart = nBegin;
	if (LowByte(bMakeVisible) && nBegin != NONE && nEnd != NONE)
		EnsureVisible(nBegin, nEnd, FALSE);
	if (bRedraw)
		Repaint();
}

void CHexEditBase::NotifyParent(WORD nCode)
{
	CWnd* pParent = CWnd::FromHandle(::GetParent(m_hWnd));
	if (pParent != NULL)
		pParent->SendMessage(WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), nCode), (LPARAM)m_hWnd);
}

// Only fixed-pitch fonts are taken, as a copy of our own; otherwise the current font stays.
LRESULT CHexEditBase::OnSetFont(WPARAM wParam, LPARAM lParam)
{
	HFONT hFont = (HFONT)wParam;
	if (hFont != NULL && ::GetObjectType(hFont) == OBJ_FONT)
	{
		LOGFONT lf = {};
		if (::GetObject(hFont, sizeof(lf), &lf) != 0 && (lf.lfPitchAndFamily & 3) == FIXED_PITCH)
		{
			m_font.DeleteObject();
			m_font.CreateFontIndirect(&lf);
		}
	}
	if (m_font.m_hObject == NULL)
		m_font.CreateStockObject(SYSTEM_FIXED_FONT);
	m_bLayoutDirty = true;
	if (lParam != 0)
		Repaint();
	return 0;
}

LRESULT CHexEditBase::OnGetFont(WPARAM, LPARAM)
{
	return (LRESULT)m_font.m_hObject;
}
