// Windows part of the MFC-compatible runtime: module state, message maps, windows, dialogs, GDI.
#pragma once

#include "afx.h"
#include "afxres.h"
#include "afxtypes.h"
#include <commctrl.h>

class CCmdTarget;
class CWnd;
class CDC;
class CScrollBar;
class CWinApp;
class CDataExchange;

// RunModalLoop's flags
#define MLF_NOIDLEMSG   0x0001  // no WM_ENTERIDLE to the parent
#define MLF_NOKICKIDLE  0x0002  // no WM_KICKIDLE to the window
#define MLF_SHOWONIDLE  0x0004  // show the window when the loop first runs out of messages
struct CCreateContext;

// The handle of a wrapper object that may be NULL, NULL for none: what MFC's GetSafeHwnd and
// GetSafeHdc answer, without calling a member through a null pointer.
template <class TObject, class TWrapper, class THandle>
inline THandle AfxHandleOf(const TObject* pObject, THandle TWrapper::*pHandle)
{
	return pObject != NULL ? pObject->*pHandle : NULL;
}

// ---------------------------------------------------------------------------------------------
// Module state: each module (program or regular library) has its own

class AFX_MODULE_STATE
{
public:
	AFX_MODULE_STATE(BOOL bDLL, WNDPROC pfnAfxWndProc);
	~AFX_MODULE_STATE();

	CWinApp* m_pCurrentWinApp;
	HINSTANCE m_hCurrentInstanceHandle;
	HINSTANCE m_hCurrentResourceHandle;
	LPCTSTR m_lpszCurrentAppName;
	BYTE m_bDLL;
	WNDPROC m_pfnAfxWndProc;
	CString m_strUnregisterList;   // window classes to unregister when a library unloads
	AFX_MODULE_STATE* m_pNextModule; // the resource chain
};

AFX_MODULE_STATE* AFXAPI AfxGetModuleState();
AFX_MODULE_STATE* AFXAPI AfxSetModuleState(AFX_MODULE_STATE* pNewState);
AFX_MODULE_STATE* AFXAPI AfxGetAppModuleState();
// Defined by the static start-up code linked into each regular library.
AFX_MODULE_STATE* AFXAPI AfxGetStaticModuleState();

struct AFX_MAINTAIN_STATE2
{
	explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE* pModuleState);
	~AFX_MAINTAIN_STATE2();
	AFX_MODULE_STATE* m_pPrevModuleState;
};
#define AFX_MANAGE_STATE(p) AFX_MAINTAIN_STATE2 _ctlState(p);

HINSTANCE AFXAPI AfxGetInstanceHandle();
HINSTANCE AFXAPI AfxGetResourceHandle();
HINSTANCE AFXAPI AfxFindResourceHandle(LPCTSTR lpszName, LPCTSTR lpszType);
CWinApp* AFXAPI AfxGetApp();
CWnd* AFXAPI AfxGetMainWnd();
LPCTSTR AFXAPI AfxGetAppName();
BOOL AFXAPI AfxWinInit(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
void AFXAPI AfxWinTerm();
int AFXAPI AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPTSTR lpCmdLine, int nCmdShow);
void AFXAPI AfxLinkModule(AFX_MODULE_STATE* pModuleState);
void AFXAPI AfxUnlinkModule(AFX_MODULE_STATE* pModuleState);

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK AfxWndProcBase(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
void AFXAPI AfxHookWindowCreate(CWnd* pWnd);
BOOL AFXAPI AfxUnhookWindowCreate();
BOOL AFXAPI AfxRegisterClass(WNDCLASS* lpWndClass);
LPCTSTR AFXAPI AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = NULL, HBRUSH hbrBackground = NULL,
	HICON hIcon = NULL);
void AFXAPI AfxUnlockTempMaps();

int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// ---------------------------------------------------------------------------------------------
// Message maps

typedef void (AFX_MSG_CALL CCmdTarget::*AFX_PMSG)(void);
typedef void (AFX_MSG_CALL CWnd::*AFX_PMSGW)(void);

struct AFX_MSGMAP_ENTRY
{
	UINT nMessage;
	UINT nCode;
	UINT nID;
	UINT nLastID;
	UINT_PTR nSig;
	AFX_PMSG pfn;
};

struct AFX_MSGMAP
{
	const AFX_MSGMAP* (PASCAL* pfnGetBaseMap)();
	const AFX_MSGMAP_ENTRY* lpEntries;
};

enum AfxSig
{
	AfxSig_end = 0,
	AfxSigCmd_v,    // void ()            commands and control notifications
	AfxSig_vv,      // void ()
	AfxSig_lwl,     // LRESULT (WPARAM, LPARAM)
	AfxSig_vbw,     // void (BOOL, UINT)
	AfxSig_bD,      // BOOL (CDC*)
	AfxSig_vw,      // void (UINT_PTR)
	AfxSig_vW,      // void (CWnd*)
	AfxSig_vwii,    // void (UINT, int, int)
	AfxSig_vwwSB,   // void (UINT, UINT, CScrollBar*)
	AfxSig_wv,      // UINT ()
	AfxSig_vwp,     // void (UINT, CPoint)
	AfxSig_vwww,    // void (UINT, UINT, UINT)
	AfxSig_bwsp,    // BOOL (UINT, short, CPoint)
	AfxSig_is,      // int (LPCREATESTRUCT)
	AfxSig_vWp,     // void (CWnd*, CPoint)
};

#define CN_COMMAND 0

#define DECLARE_MESSAGE_MAP() \
protected: \
	static const AFX_MSGMAP* PASCAL GetThisMessageMap(); \
	virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass) \
	const AFX_MSGMAP* theClass::GetMessageMap() const \
		{ return GetThisMessageMap(); } \
	const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap() \
	{ \
		typedef theClass ThisClass; \
		typedef baseClass TheBaseClass; \
		(void)sizeof(ThisClass); \
		static const AFX_MSGMAP_ENTRY _messageEntries[] = \
		{

#define END_MESSAGE_MAP() \
			{ 0, 0, 0, 0, AfxSig_end, (AFX_PMSG)0 } \
		}; \
		static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, &_messageEntries[0] }; \
		return &messageMap; \
	}

#define ON_COMMAND(id, memberFxn) \
	{ WM_COMMAND, CN_COMMAND, (WORD)id, (WORD)id, AfxSigCmd_v, static_cast<AFX_PMSG>(memberFxn) },
#define ON_CONTROL(wNotifyCode, id, memberFxn) \
	{ WM_COMMAND, (WORD)wNotifyCode, (WORD)id, (WORD)id, AfxSigCmd_v, static_cast<AFX_PMSG>(memberFxn) },
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_MESSAGE(message, memberFxn) \
	{ message, 0, 0, 0, AfxSig_lwl, \
		(AFX_PMSG)(AFX_PMSGW)(static_cast<LRESULT (AFX_MSG_CALL CWnd::*)(WPARAM, LPARAM)>(memberFxn)) },
#define AFX_WM_ENTRY(message, sig, type, handler) \
	{ message, 0, 0, 0, sig, (AFX_PMSG)(AFX_PMSGW)(static_cast<type>(&ThisClass::handler)) },
#define ON_WM_SHOWWINDOW() AFX_WM_ENTRY(WM_SHOWWINDOW, AfxSig_vbw, void (AFX_MSG_CALL CWnd::*)(BOOL, UINT), OnShowWindow)
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, AfxSig_vv, void (AFX_MSG_CALL CWnd::*)(void), OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM_ENTRY(WM_NCDESTROY, AfxSig_vv, void (AFX_MSG_CALL CWnd::*)(void), OnNcDestroy)
#define ON_WM_CREATE() AFX_WM_ENTRY(WM_CREATE, AfxSig_is, int (AFX_MSG_CALL CWnd::*)(LPCREATESTRUCT), OnCreate)
#define ON_WM_CONTEXTMENU() \
	AFX_WM_ENTRY(WM_CONTEXTMENU, AfxSig_vWp, void (AFX_MSG_CALL CWnd::*)(CWnd*, CPoint), OnContextMenu)
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, AfxSig_vv, void (AFX_MSG_CALL CWnd::*)(void), OnPaint)
#define ON_WM_ERASEBKGND() AFX_WM_ENTRY(WM_ERASEBKGND, AfxSig_bD, BOOL (AFX_MSG_CALL CWnd::*)(CDC*), OnEraseBkgnd)
#define ON_WM_TIMER() AFX_WM_ENTRY(WM_TIMER, AfxSig_vw, void (AFX_MSG_CALL CWnd::*)(UINT_PTR), OnTimer)
#define ON_WM_SETFOCUS() AFX_WM_ENTRY(WM_SETFOCUS, AfxSig_vW, void (AFX_MSG_CALL CWnd::*)(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM_ENTRY(WM_KILLFOCUS, AfxSig_vW, void (AFX_MSG_CALL CWnd::*)(CWnd*), OnKillFocus)
#define ON_WM_SIZE() AFX_WM_ENTRY(WM_SIZE, AfxSig_vwii, void (AFX_MSG_CALL CWnd::*)(UINT, int, int), OnSize)
#define ON_WM_VSCROLL() \
	AFX_WM_ENTRY(WM_VSCROLL, AfxSig_vwwSB, void (AFX_MSG_CALL CWnd::*)(UINT, UINT, CScrollBar*), OnVScroll)
#define ON_WM_HSCROLL() \
	AFX_WM_ENTRY(WM_HSCROLL, AfxSig_vwwSB, void (AFX_MSG_CALL CWnd::*)(UINT, UINT, CScrollBar*), OnHScroll)
#define ON_WM_GETDLGCODE() AFX_WM_ENTRY(WM_GETDLGCODE, AfxSig_wv, UINT (AFX_MSG_CALL CWnd::*)(void), OnGetDlgCode)
#define ON_WM_LBUTTONDOWN() \
	AFX_WM_ENTRY(WM_LBUTTONDOWN, AfxSig_vwp, void (AFX_MSG_CALL CWnd::*)(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONDBLCLK() \
	AFX_WM_ENTRY(WM_LBUTTONDBLCLK, AfxSig_vwp, void (AFX_MSG_CALL CWnd::*)(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_LBUTTONUP() \
	AFX_WM_ENTRY(WM_LBUTTONUP, AfxSig_vwp, void (AFX_MSG_CALL CWnd::*)(UINT, CPoint), OnLButtonUp)
#define ON_WM_MOUSEMOVE() \
	AFX_WM_ENTRY(WM_MOUSEMOVE, AfxSig_vwp, void (AFX_MSG_CALL CWnd::*)(UINT, CPoint), OnMouseMove)
#define ON_WM_KEYDOWN() \
	AFX_WM_ENTRY(WM_KEYDOWN, AfxSig_vwww, void (AFX_MSG_CALL CWnd::*)(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_MOUSEWHEEL() \
	AFX_WM_ENTRY(WM_MOUSEWHEEL, AfxSig_bwsp, BOOL (AFX_MSG_CALL CWnd::*)(UINT, short, CPoint), OnMouseWheel)

// ---------------------------------------------------------------------------------------------
// Command targets, windows and the application

class CCmdTarget : public CObject
{
	DECLARE_DYNAMIC(CCmdTarget)
public:
	CCmdTarget();

	virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo);

	AFX_MODULE_STATE* m_pModuleState; // the module whose state this object's code runs in

	DECLARE_MESSAGE_MAP()
};

class CWnd : public CCmdTarget
{
	DECLARE_DYNCREATE(CWnd)
public:
	CWnd();
	virtual ~CWnd();

	HWND m_hWnd;

	static CWnd* PASCAL FromHandle(HWND hWnd);
	static CWnd* PASCAL FromHandlePermanent(HWND hWnd);
	BOOL Attach(HWND hWndNew);
	HWND Detach();
	BOOL SubclassWindow(HWND hWnd);

	virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
		const RECT& rect, CWnd* pParentWnd, UINT nID, CCreateContext* pContext = NULL);
	virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
		DWORD dwStyle, int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
		LPVOID lpParam = NULL);
	virtual BOOL DestroyWindow();
	virtual BOOL PreCreateWindow(CREATESTRUCT& cs);

	// Window state and relations
	DWORD GetStyle() const { return (DWORD)::GetWindowLong(m_hWnd, GWL_STYLE); }
	int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
	CWnd* GetParent() const { return CWnd::FromHandle(::GetParent(m_hWnd)); }
	CWnd* GetDlgItem(int nID) const { return CWnd::FromHandle(::GetDlgItem(m_hWnd, nID)); }
	void GetDlgItem(int nID, HWND* phWnd) const { *phWnd = ::GetDlgItem(m_hWnd, nID); }
	BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
	BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
	BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
	void CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
	UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
	void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
	void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE)
		{ ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
	void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
	void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, NULL, bErase); }
	void UpdateWindow() { ::UpdateWindow(m_hWnd); }
	CWnd* SetFocus() { return CWnd::FromHandle(::SetFocus(m_hWnd)); }
	LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
		{ return ::SendMessage(m_hWnd, message, wParam, lParam); }
	BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
		{ return ::PostMessage(m_hWnd, message, wParam, lParam); }
	void ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
	void ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
	CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const
		{ return CWnd::FromHandle(::GetNextDlgTabItem(m_hWnd, AfxHandleOf(pWndCtl, &CWnd::m_hWnd), bPrevious)); }

	// Scroll bars
	int SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE)
		{ return ::SetScrollInfo(m_hWnd, nBar, lpScrollInfo, bRedraw); }
	BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL);
	int SetScrollPos(int nBar, int nPos, BOOL bRedraw = TRUE) { return ::SetScrollPos(m_hWnd, nBar, nPos, bRedraw); }
	void ShowScrollBar(UINT nBar, BOOL bShow = TRUE) { ::ShowScrollBar(m_hWnd, (int)nBar, bShow); }
	BOOL EnableScrollBar(int nSBFlags, UINT nArrowFlags = ESB_ENABLE_BOTH)
		{ return ::EnableScrollBar(m_hWnd, (UINT)nSBFlags, nArrowFlags); }

	// Carets, timers and the mouse
	void CreateSolidCaret(int nWidth, int nHeight) { ::CreateCaret(m_hWnd, NULL, nWidth, nHeight); }
	static void PASCAL SetCaretPos(POINT point) { ::SetCaretPos(point.x, point.y); }
	void ShowCaret() { ::ShowCaret(m_hWnd); }
	void HideCaret() { ::HideCaret(m_hWnd); }
	UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, void (CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD))
		{ return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer); }
	BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
	CWnd* SetCapture() { return CWnd::FromHandle(::SetCapture(m_hWnd)); }

	// Dialog data
	BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

	// Modal loops
	virtual int RunModalLoop(DWORD dwFlags = 0);
	virtual BOOL ContinueModal();
	virtual void EndModalLoop(int nResult);

	// Message handling
	virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
	virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
	virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
	virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
	virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
	virtual BOOL PreTranslateMessage(MSG* pMsg);
	static BOOL PASCAL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
	static HWND PASCAL GetSafeOwner_(HWND hParent, HWND* pWndTop);
	LRESULT Default();

	afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
	afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
	afx_msg void OnKillFocus(CWnd* pNewWnd);
	afx_msg void OnSize(UINT nType, int cx, int cy);
	afx_msg void OnDestroy();
	afx_msg void OnNcDestroy();

protected:
	virtual void DoDataExchange(CDataExchange* pDX);
	virtual void PreSubclassWindow();
	virtual void PostNcDestroy();
	virtual WNDPROC* GetSuperWndProcAddr();

	WNDPROC m_pfnSuper;  // the window procedure MFC routes unhandled messages to
	int m_nModalResult;
	BOOL m_bContinueModal;

	friend LRESULT CALLBACK _AfxCbtFilterHook(int, WPARAM, LPARAM);

	DECLARE_MESSAGE_MAP()
};

class CWinThread : public CCmdTarget
{
	DECLARE_DYNAMIC(CWinThread)
public:
	CWinThread();

	CWnd* m_pMainWnd;

	virtual BOOL InitInstance();
	virtual int Run();
	virtual BOOL PreTranslateMessage(MSG* pMsg);
	virtual BOOL OnIdle(LONG lCount);
	virtual int ExitInstance();
	virtual BOOL PumpMessage();
	virtual BOOL IsIdleMessage(MSG* pMsg);
	virtual LRESULT ProcessWndProcException(CException* e, const MSG* pMsg);

	MSG m_msgCur;

protected:
	MSG m_msgLastMouseMove;
};

class CWinApp : public CWinThread
{
	DECLARE_DYNAMIC(CWinApp)
public:
	explicit CWinApp(LPCTSTR lpszAppName = NULL);
	virtual ~CWinApp();

	LPCTSTR m_pszAppName;
	HINSTANCE m_hInstance;

	virtual BOOL InitApplication();
	BOOL InitInstance() override;
	int ExitInstance() override;
	int Run() override;
	virtual int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt);
	BOOL OnIdle(LONG lCount) override;
	LRESULT ProcessWndProcException(CException* e, const MSG* pMsg) override;

	void SetCurrentHandles();

protected:
	DECLARE_MESSAGE_MAP()
};

// ---------------------------------------------------------------------------------------------
// Dialogs and controls

class CDataExchange
{
public:
	CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

	CWnd* m_pDlgWnd;
};

void AFXAPI DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd
{
	DECLARE_DYNAMIC(CDialog)
public:
	CDialog();
	explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);

	virtual BOOL OnInitDialog();
	void EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

protected:
	virtual void OnOK();
	virtual void OnCancel();

	LPCTSTR m_lpszTemplateName;
	CWnd* m_pParentWnd;

	DECLARE_MESSAGE_MAP()
};

class CButton : public CWnd
{
	DECLARE_DYNAMIC(CButton)
public:
	int GetCheck() const { return (int)::SendMessage(m_hWnd, BM_GETCHECK, 0, 0); }
};

class CScrollBar : public CWnd
{
	DECLARE_DYNAMIC(CScrollBar)
};

class CStatic : public CWnd
{
	DECLARE_DYNAMIC(CStatic)
};

// ---------------------------------------------------------------------------------------------
// Menus

class CMenu : public CObject
{
	DECLARE_DYNCREATE(CMenu)
public:
	CMenu();
	virtual ~CMenu();

	HMENU m_hMenu;

	BOOL Attach(HMENU hMenu);
	HMENU Detach();
	BOOL DestroyMenu();
	BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCTSTR lpszNewItem = NULL)
		{ return ::AppendMenu(m_hMenu, nFlags, nIDNewItem, lpszNewItem); }
	UINT GetMenuItemCount() const { return (UINT)::GetMenuItemCount(m_hMenu); }
	UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
	UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
	BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = NULL)
		{ return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, AfxHandleOf(pWnd, &CWnd::m_hWnd), lpRect); }
};

// ---------------------------------------------------------------------------------------------
// Views

struct CCreateContext
{
	CRuntimeClass* m_pNewViewClass;
};

// A view deletes itself when its window is destroyed, as views made by the framework do.
class CView : public CWnd
{
	DECLARE_DYNAMIC(CView)
public:
	BOOL PreCreateWindow(CREATESTRUCT& cs) override;

	virtual void OnDraw(CDC* pDC) = 0;

protected:
	void PostNcDestroy() override;

	afx_msg void OnPaint();

	DECLARE_MESSAGE_MAP()
};

#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)

// A top-level window whose client area is one view, made from the creation context's class.
// It deletes itself when its window is destroyed.
class CFrameWnd : public CWnd
{
	DECLARE_DYNCREATE(CFrameWnd)
public:
	CFrameWnd();

	static const CRect rectDefault;

	BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
		const RECT& rect = rectDefault, CWnd* pParentWnd = NULL, LPCTSTR lpszMenuName = NULL, DWORD dwExStyle = 0,
		CCreateContext* pContext = NULL);
	BOOL PreCreateWindow(CREATESTRUCT& cs) override;
	CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
	CView* GetActiveView() const { return m_pViewActive; }
	virtual void RecalcLayout(BOOL bNotify = TRUE);

protected:
	void PostNcDestroy() override;

	afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
	afx_msg void OnSize(UINT nType, int cx, int cy);

	CView* m_pViewActive;

	DECLARE_MESSAGE_MAP()
};

// ---------------------------------------------------------------------------------------------
// GDI objects

class CGdiObject : public CObject
{
	DECLARE_DYNCREATE(CGdiObject)
public:
	CGdiObject();
	virtual ~CGdiObject();

	HGDIOBJ m_hObject;
	static CGdiObject* PASCAL FromHandle(HGDIOBJ hObject);

	BOOL Attach(HGDIOBJ hObject);
	HGDIOBJ Detach();
	BOOL DeleteObject();
	BOOL CreateStockObject(int nIndex);
};

class CFont : public CGdiObject
{
	DECLARE_DYNCREATE(CFont)
public:
	BOOL CreateFontIndirect(const LOGFONT* lpLogFont)
		{ return Attach(::CreateFontIndirect(lpLogFont)); }
};

class CBitmap : public CGdiObject
{
	DECLARE_DYNCREATE(CBitmap)
public:
	BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
};

class CBrush : public CGdiObject
{
	DECLARE_DYNCREATE(CBrush)
public:
	CBrush() = default;
	explicit CBrush(COLORREF crColor);
	BOOL CreateSolidBrush(COLORREF crColor) { return Attach(::CreateSolidBrush(crColor)); }
};

class CRgn : public CGdiObject
{
	DECLARE_DYNCREATE(CRgn)
public:
	BOOL CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }
};

// ---------------------------------------------------------------------------------------------
// Device contexts

class CDC : public CObject
{
	DECLARE_DYNCREATE(CDC)
public:
	CDC();
	virtual ~CDC();

	HDC m_hDC;
	static CDC* PASCAL FromHandle(HDC hDC);

	BOOL Attach(HDC hDC);
	HDC Detach();
	BOOL CreateCompatibleDC(CDC* pDC) { return Attach(::CreateCompatibleDC(AfxHandleOf(pDC, &CDC::m_hDC))); }
	BOOL DeleteDC();

	HGDIOBJ SelectObject(HGDIOBJ hObject) { return ::SelectObject(m_hDC, hObject); }
	CBitmap* SelectObject(CBitmap* pBitmap)
		{ return (CBitmap*)CGdiObject::FromHandle(SelectObject(AfxHandleOf(pBitmap, &CGdiObject::m_hObject))); }
	int SelectClipRgn(CRgn* pRgn) { return ::SelectClipRgn(m_hDC, (HRGN)AfxHandleOf(pRgn, &CGdiObject::m_hObject)); }

	COLORREF SetTextColor(COLORREF crColor) { return ::SetTextColor(m_hDC, crColor); }
	COLORREF SetBkColor(COLORREF crColor) { return ::SetBkColor(m_hDC, crColor); }
	int SetBkMode(int nBkMode) { return ::SetBkMode(m_hDC, nBkMode); }
	void FillRect(LPCRECT lpRect, CBrush* pBrush)
		{ ::FillRect(m_hDC, lpRect, (HBRUSH)AfxHandleOf(pBrush, &CGdiObject::m_hObject)); }
	void FillSolidRect(LPCRECT lpRect, COLORREF clr);
	int DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat)
		{ return ::DrawText(m_hDC, lpszString, nCount, lpRect, nFormat); }
	BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop)
		{ return ::BitBlt(m_hDC, x, y, nWidth, nHeight, AfxHandleOf(pSrcDC, &CDC::m_hDC), xSrc, ySrc, dwRop); }
	BOOL GetCharWidth(UINT nFirstChar, UINT nLastChar, LPINT lpBuffer) const
		{ return ::GetCharWidth(m_hDC, nFirstChar, nLastChar, lpBuffer); }
	CSize GetTextExtent(LPCTSTR lpszString, int nCount) const;
};

class CPaintDC : public CDC
{
	DECLARE_DYNAMIC(CPaintDC)
public:
	explicit CPaintDC(CWnd* pWnd);
	virtual ~CPaintDC();

	PAINTSTRUCT m_ps;

protected:
	HWND m_hWnd;
};

class CClientDC : public CDC
{
	DECLARE_DYNAMIC(CClientDC)
public:
	explicit CClientDC(CWnd* pWnd);
	virtual ~CClientDC();

protected:
	HWND m_hWnd;
};
