#include "afximpl.h"

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNCREATE(CFont, CGdiObject)

CGdiObject::CGdiObject() : m_hObject(NULL) {}

CGdiObject::~CGdiObject()
{
	DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject)
{
	if (hObject == NULL)
		return FALSE;
	m_hObject = hObject;
	return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
	HGDIOBJ hObject = m_hObject;
	m_hObject = NULL;
	return hObject;
}

BOOL CGdiObject::DeleteObject()
{
	if (m_hObject == NULL)
		return FALSE;
	return ::DeleteObject(Detach());
}

BOOL CGdiObject::CreateStockObject(int nIndex)
{
	return Attach(::GetStockObject(nIndex));
}

IMPLEMENT_DYNCREATE(CBitmap, CGdiObject)
IMPLEMENT_DYNCREATE(CBrush, CGdiObject)
IMPLEMENT_DYNCREATE(CRgn, CGdiObject)
IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)

CGdiObject* PASCAL CGdiObject::FromHandle(HGDIOBJ hObject)
{
	return AfxTemporaryObject(AfxGetThreadState()->m_temporaryGdiMap, hObject);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
	return Attach(::CreateCompatibleBitmap(AfxHandleOf(pDC, &CDC::m_hDC), nWidth, nHeight));
}

CBrush::CBrush(COLORREF crColor)
{
	if (!CreateSolidBrush(crColor))
		AfxThrowResourceException();
}

CDC::CDC() : m_hDC(NULL) {}

CDC::~CDC()
{
	DeleteDC();
}

CDC* PASCAL CDC::FromHandle(HDC hDC)
{
	return AfxTemporaryObject(AfxGetThreadState()->m_temporaryDCMap, hDC);
}

BOOL CDC::Attach(HDC hDC)
{
	if (hDC == NULL)
		return FALSE;
	m_hDC = hDC;
	return TRUE;
}

HDC CDC::Detach()
{
	HDC hDC = m_hDC;
	m_hDC = NULL;
	return hDC;
}

BOOL CDC::DeleteDC()
{
	if (m_hDC == NULL)
		return FALSE;
	return ::DeleteDC(Detach());
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr)
{
	::SetBkColor(m_hDC, clr);
	::ExtTextOut(m_hDC, 0, 0, ETO_OPAQUE, lpRect, NULL, 0, NULL);
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const
{
	SIZE size = {};
	::GetTextExtentPoint32(m_hDC, lpszString, nCount, &size);
	return size;
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps(), m_hWnd(pWnd->m_hWnd)
{
	if (!Attach(::BeginPaint(m_hWnd, &m_ps)))
		AfxThrowResourceException();
}

CPaintDC::~CPaintDC()
{
	::EndPaint(m_hWnd, &m_ps);
	Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(AfxHandleOf(pWnd, &CWnd::m_hWnd))
{
	if (!Attach(::GetDC(m_hWnd)))
		AfxThrowResourceException();
}

CClientDC::~CClientDC()
{
	::ReleaseDC(m_hWnd, Detach());
}
