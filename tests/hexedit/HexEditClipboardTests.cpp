// Copy, paste, select all, the context menu and the view that fills a window with the control.
#include "HexEditTest.h"
#include "RunProgram.h"
#include "KeyState.h"
#include "hexedit/HexEditBaseView.h"
#include <afxres.h>
#include <cstring>
#include <string>

static const UINT kBinaryData = ::RegisterClipboardFormat(_T("BinaryData"));

// The bytes of one clipboard format, read through the system clipboard.
static std::vector<BYTE> ClipboardBlock(UINT nFormat)
{
	std::vector<BYTE> bytes;
	if (!::OpenClipboard(NULL))
		return bytes;
	HGLOBAL hBlock = ::GetClipboardData(nFormat);
	if (hBlock != NULL)
	{
		const BYTE* p = (const BYTE*)::GlobalLock(hBlock);
		bytes.assign(p, p + ::GlobalSize(hBlock));
		::GlobalUnlock(hBlock);
	}
	::CloseClipboard();
	return bytes;
}

static std::string ClipboardText()
{
	std::vector<BYTE> bytes = ClipboardBlock(CF_TEXT);
	return std::string(bytes.begin(), bytes.end());
}

// Puts a "BinaryData" block on the clipboard as another program would.
static void PutBinaryData(DWORD nStoredCount, const std::vector<BYTE>& bytes, bool bText = false)
{
	::OleSetClipboard(NULL);
	ASSERT_TRUE(::OpenClipboard(NULL));
	::EmptyClipboard();
	HGLOBAL hBlock = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 4);
	BYTE* p = (BYTE*)::GlobalLock(hBlock);
	std::memcpy(p, &nStoredCount, 4);
	std::memcpy(p + 4, bytes.data(), bytes.size());
	::GlobalUnlock(hBlock);
	::SetClipboardData(bText ? CF_TEXT : kBinaryData, hBlock);
	::CloseClipboard();
}

// Runs a helper program from beside this one to its end; what it printed comes back.
static std::string RunHelper(const char* pszName)
{
	std::string strOut;
	EXPECT_EQ(0, RunProgram("\"" + ProgramBesideThisOne(pszName) + "\"", &strOut));
	return strOut;
}

class HexEditClipboardTest : public HexEditTest
{
protected:
	void SetUp() override
	{
		HexEditTest::SetUp();
		CreateControl(m_control, 1023, 800, 200);
		m_data.resize(100);
		for (size_t i = 0; i < m_data.size(); ++i)
			m_data[i] = (BYTE)i;
		m_control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
		m_control.SetBytesPerRow(16, FALSE, FALSE);
		m_control.Layout();
	}

	std::string CopyText(UINT nStart, UINT nEnd)
	{
		m_control.SetSelection(nStart, nEnd, FALSE, FALSE);
		m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
		std::string strText = ClipboardText();
		return strText.substr(0, strText.find('\0'));
	}

	static std::string Pairs(UINT nFirst, UINT nLast)
	{
		std::string str;
		char sz[4];
		for (UINT i = nFirst; i <= nLast; ++i)
		{
			std::snprintf(sz, sizeof(sz), "%02X", i);
			str += (i == nFirst ? "" : " ") + std::string(sz);
		}
		return str;
	}

	CHexEditProbe m_control;
	std::vector<BYTE> m_data;
};

TEST_F(HexEditClipboardTest, CopiedTextBreaksWhereTheRowsBreak)
{
	EXPECT_EQ(Pairs(3, 10) + "\n", CopyText(3, 10));                             // shorter than a row
	EXPECT_EQ(Pairs(16, 31) + "\n", CopyText(16, 31));                           // exactly a row
	EXPECT_EQ(Pairs(14, 29) + "\n" + Pairs(30, 30) + "\n", CopyText(14, 30));     // one more: no indent
	EXPECT_EQ(std::string(42, ' ') + Pairs(14, 15) + "\n" + Pairs(16, 31) + "\n" + Pairs(32, 33) + "\n",
		CopyText(14, 33));
	EXPECT_EQ(std::string(15, ' ') + Pairs(5, 15) + "\n" + Pairs(16, 22) + "\n", CopyText(5, 22));  // two more

	// Selection, edit position and data stay as they were.
	EXPECT_EQ(5u, m_control.m_nSelStart);
	EXPECT_EQ(22u, m_control.m_nSelEnd);
	EXPECT_TRUE(m_parent.m_commands.empty());
}

TEST_F(HexEditClipboardTest, CopyPutsBothFormatsForAnyProgram)
{
	m_data.assign(4, 0);
	m_data[1] = 0x0A;
	m_control.SetData(m_data.data(), 4, FALSE);
	m_control.SetSelection(1, 1, FALSE, FALSE);
	m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	EXPECT_EQ(std::vector<BYTE>({ '0', 'A', '\n', 0 }), ClipboardBlock(CF_TEXT));
	EXPECT_EQ(std::vector<BYTE>({ 1, 0, 0, 0, 0x0A }), ClipboardBlock(kBinaryData));

	// Zero bytes survive the round trip; another process reads both blocks.
	m_control.SetSelection(0, 2, FALSE, FALSE);
	m_control.SendMessage(WM_COMMAND, ID_EDIT_COPY);
	::OleFlushClipboard();
	EXPECT_EQ("binary 03 00 00 00 00 0A 00\r\ntext 30 30 20 30 41 20 30 30 0A 00\r\n", RunHelper("clipboard_reader.exe"));
}

// The copy outlives the program that made it: OLE's end renders it into the clipboard.
TEST_F(HexEditClipboardTest, CopiedBytesOutliveTheProgramThatCopiedThem)
{
	EXPECT_EQ("", RunHelper("clipboard_writer.exe"));
	EXPECT_EQ("binary 04 00 00 00 00 41 FF 00\r\ntext 30 30 20 34 31 20 46 46 20 30 30 0A 00\r\n",
		RunHelper("clipboard_reader.exe"));
}

TEST_F(HexEditClipboardTest, PasteOverwritesFromTheSelectionOrTheCaret)
{
	m_control.SetFocus();
	struct Case { const char* pszName; UINT nSelStart, nSelEnd, nEdit; DWORD nStored; size_t nBytes;
		UINT nFirst; UINT nPasted; } cases[] = {
		{ "at the start", NONE, NONE, 0, 10, 10, 0, 10 },
		{ "mid-data", NONE, NONE, 40, 10, 10, 40, 10 },
		{ "past the end", NONE, NONE, 96, 10, 10, 96, 4 },
		{ "shorter selection", 20, 21, 0, 8, 8, 20, 8 },
		{ "longer selection", 20, 60, 0, 8, 8, 20, 8 },
		{ "count beyond the block", NONE, NONE, 50, 1000, 6, 50, 6 },
		{ "count that overflows", NONE, NONE, 50, 0xFFFFFFF0, 6, 50, 6 },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.pszName);
		m_control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
		m_control.SetSelection(c.nSelStart, c.nSelEnd, FALSE, FALSE);
		m_control.m_nEditPos = c.nEdit;
		m_parent.m_commands.clear();
		PutBinaryData(c.nStored, std::vector<BYTE>(c.nBytes, 0xEE));
		m_control.SendMessage(WM_COMMAND, ID_EDIT_PASTE);
		for (UINT i = 0; i < 100; ++i)
		{
			bool bPasted = i >= c.nFirst && i < c.nFirst + c.nPasted;
			ASSERT_EQ(bPasted ? 0xEE : i, m_control.m_pData[i]) << "byte " << i;
		}
		EXPECT_EQ(c.nFirst, m_control.m_nSelStart);
		EXPECT_EQ(c.nFirst + c.nPasted - 1, m_control.m_nSelEnd);
		EXPECT_EQ(c.nFirst + c.nPasted - 1, m_control.m_nEditPos);
		EXPECT_FALSE(m_control.m_bHighNibble);
		EXPECT_EQ(1u, m_parent.m_commands.size());
		EXPECT_EQ(100u, m_control.m_nLength);
	}
}

TEST_F(HexEditClipboardTest, PasteRefusesWhatItCannotUse)
{
	struct Case { const char* pszName; DWORD nStored; bool bText; bool bReadOnly; } cases[] = {
		{ "count of 0", 0, false, false }, { "text only", 4, true, false }, { "read-only", 4, false, true },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.pszName);
		m_control.SetData(m_data.data(), (UINT)m_data.size(), FALSE);
		m_control.SetReadOnly(c.bReadOnly, FALSE);
		m_control.m_nEditPos = 7;
		m_parent.m_commands.clear();
		PutBinaryData(c.nStored, { 1, 2, 3, 4 }, c.bText);
		m_control.SendMessage(WM_COMMAND, ID_EDIT_PASTE);
		EXPECT_EQ(m_data, std::vector<BYTE>(m_control.m_pData, m_control.m_pData + 100));
		EXPECT_EQ(7u, m_control.m_nEditPos);
		EXPECT_FALSE(m_control.HasSelection());
		EXPECT_TRUE(m_parent.m_commands.empty());
	}
	m_control.SetData(NULL, 0, FALSE);
	PutBinaryData(4, { 1, 2, 3, 4 });
	m_control.SendMessage(WM_COMMAND, ID_EDIT_PASTE);
	EXPECT_EQ(0u, m_control.m_nLength);
}

TEST_F(HexEditClipboardTest, ShortcutsSelectCopyAndPaste)
{
	SetKeyDown(VK_CONTROL, true);
	MSG msg = { m_control.m_hWnd, WM_KEYDOWN, 'A', 0, 0, {} };
	EXPECT_TRUE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	EXPECT_EQ(0u, m_control.m_nSelStart);
	EXPECT_EQ(99u, m_control.m_nSelEnd);
	EXPECT_EQ(0u, m_control.m_nTopRow);
	msg.wParam = 'C';
	EXPECT_TRUE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	EXPECT_EQ(104u, ClipboardBlock(kBinaryData).size());
	m_control.SetSelection(90, 90, FALSE, FALSE);
	msg.wParam = 'V';
	EXPECT_TRUE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	EXPECT_EQ(0, m_control.m_pData[90]);
	msg.wParam = 'B';
	EXPECT_FALSE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));
	SetKeyDown(VK_CONTROL, false);
	msg.wParam = 'A';
	EXPECT_FALSE(CWnd::WalkPreTranslateTree(m_parent.m_hWnd, &msg));

	m_control.SetData(NULL, 0, FALSE);
	m_control.SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);
	EXPECT_FALSE(m_control.HasSelection());
}

// The context menu, inspected just before it shows, then closed from a timer inside its loop.
class CMenuProbe : public CHexEditProbe
{
public:
	struct Item { UINT nID; std::string strText; bool bEnabled; };
	std::vector<Item> m_items;
	static CRect s_rcMenu;
	static bool s_bChooseFirst;

protected:
	void OnExtendContextMenu(CMenu* pMenu) override
	{
		m_items.clear();
		for (UINT i = 0; i < pMenu->GetMenuItemCount(); ++i)
		{
			char szText[32] = "";
			::GetMenuStringA(pMenu->m_hMenu, i, szText, sizeof(szText), MF_BYPOSITION);
			UINT nState = pMenu->GetMenuState(i, MF_BYPOSITION);
			m_items.push_back({ pMenu->GetMenuItemID(i), szText, (nState & (MF_GRAYED | MF_DISABLED)) == 0 });
		}
		::SetTimer(NULL, 0, 50, CloseMenu);
	}

	static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR nIDEvent, DWORD)
	{
		::KillTimer(NULL, nIDEvent);
		HWND hMenu = ::FindWindow(_T("#32768"), NULL);
		if (hMenu != NULL)
			::GetWindowRect(hMenu, &s_rcMenu);
		if (s_bChooseFirst && hMenu != NULL)
		{
			::PostMessage(hMenu, WM_KEYDOWN, VK_DOWN, 0);
			::PostMessage(hMenu, WM_KEYDOWN, VK_RETURN, 0);
		}
		else
			::EndMenu();
	}
};

CRect CMenuProbe::s_rcMenu;
bool CMenuProbe::s_bChooseFirst = false;

TEST_F(HexEditClipboardTest, ContextMenuOffersCopyAndPasteByState)
{
	CMenuProbe control;
	CreateControl(control, 5, 600, 200);
	::SetWindowPos(control.m_hWnd, NULL, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
	control.SetData(m_data.data(), 100, FALSE);
	control.SetBytesPerRow(16, FALSE, FALSE);
	control.Layout();
	auto ScreenPointOf = [&](UINT nByte) {
		CPoint pt(5 + (int)control.m_nHexLeft + 3 * (int)(nByte % 16) * (int)control.m_nCharWidth,
			5 + (int)(nByte / 16) * (int)control.m_nLineHeight + 2);
		control.ClientToScreen(&pt);
		return pt;
	};

	// Inside the selection: kept, Copy enabled; text on the clipboard does not enable Paste.
	PutBinaryData(2, { 1, 2 }, true);
	control.SetSelection(20, 30, FALSE, FALSE);
	control.m_nEditPos = 25;
	CPoint pt = ScreenPointOf(30);
	control.SendMessage(WM_CONTEXTMENU, (WPARAM)control.m_hWnd, MAKELPARAM(pt.x, pt.y));
	ASSERT_EQ(2u, control.m_items.size());
	EXPECT_EQ((UINT)ID_EDIT_COPY, control.m_items[0].nID);
	EXPECT_EQ("Copy", control.m_items[0].strText);
	EXPECT_TRUE(control.m_items[0].bEnabled);
	EXPECT_EQ((UINT)ID_EDIT_PASTE, control.m_items[1].nID);
	EXPECT_EQ("Paste", control.m_items[1].strText);
	EXPECT_FALSE(control.m_items[1].bEnabled);
	EXPECT_EQ(pt, CMenuProbe::s_rcMenu.TopLeft());
	EXPECT_EQ(20u, control.m_nSelStart);
	EXPECT_EQ(25u, control.m_nEditPos);

	// Outside it: the selection goes, the caret moves to the byte's high digit; Paste follows the clipboard.
	PutBinaryData(2, { 1, 2 });
	pt = ScreenPointOf(50);
	control.SendMessage(WM_CONTEXTMENU, (WPARAM)control.m_hWnd, MAKELPARAM(pt.x, pt.y));
	EXPECT_FALSE(control.HasSelection());
	EXPECT_EQ(50u, control.m_nEditPos);
	EXPECT_TRUE(control.m_bHighNibble);
	EXPECT_FALSE(control.m_items[0].bEnabled);
	EXPECT_TRUE(control.m_items[1].bEnabled);

	control.SetReadOnly(TRUE, FALSE);
	control.SendMessage(WM_CONTEXTMENU, (WPARAM)control.m_hWnd, MAKELPARAM(-1, -1));
	EXPECT_FALSE(control.m_items[1].bEnabled);
	CPoint ptCorner(5, 5);
	control.ClientToScreen(&ptCorner);
	EXPECT_EQ(ptCorner, CMenuProbe::s_rcMenu.TopLeft());
	EXPECT_EQ(50u, control.m_nEditPos);

	// Choosing Copy from the menu copies the selection.
	control.SetSelection(1, 2, FALSE, FALSE);
	CMenuProbe::s_bChooseFirst = true;
	control.SendMessage(WM_CONTEXTMENU, (WPARAM)control.m_hWnd, MAKELPARAM(-1, -1));
	CMenuProbe::s_bChooseFirst = false;
	Pump();
	EXPECT_EQ(std::vector<BYTE>({ 2, 0, 0, 0, 1, 2 }), ClipboardBlock(kBinaryData));
}

TEST_F(HexEditClipboardTest, ViewFillsItsWindowWithTheControl)
{
	CObject* pObject = RUNTIME_CLASS(CHexEditBaseView)->CreateObject();
	CHexEditBaseView* pView = DYNAMIC_DOWNCAST(CHexEditBaseView, pObject);
	ASSERT_NE(nullptr, pView);
	CRect rc(0, 0, 300, 200);
	ASSERT_TRUE(pView->Create(NULL, NULL, WS_CHILD | WS_VISIBLE, rc, &m_parent, AFX_IDW_PANE_FIRST));
	HWND hChild = ::GetWindow(pView->m_hWnd, GW_CHILD);
	ASSERT_EQ(pView->m_wndHexEdit.m_hWnd, hChild);
	EXPECT_EQ(NULL, ::GetWindow(hChild, GW_HWNDNEXT));
	char szClass[32];
	::GetClassNameA(hChild, szClass, sizeof(szClass));
	EXPECT_STREQ("CHexEditBase", szClass);
	EXPECT_EQ(256, ::GetDlgCtrlID(hChild));
	EXPECT_EQ(0x50000004u, (DWORD)::GetWindowLong(hChild, GWL_STYLE) & ~(WS_VSCROLL | WS_HSCROLL));
	CRect rcChild;
	::GetWindowRect(hChild, &rcChild);
	::MapWindowPoints(NULL, pView->m_hWnd, (LPPOINT)&rcChild, 2);
	EXPECT_EQ(CRect(0, 0, 300, 200), rcChild);

	pView->MoveWindow(0, 0, 640, 480);
	CRect rcClient;
	pView->GetClientRect(&rcClient);
	::GetWindowRect(hChild, &rcChild);
	::MapWindowPoints(NULL, pView->m_hWnd, (LPPOINT)&rcChild, 2);
	EXPECT_EQ(rcClient, rcChild);

	// The view deletes itself with its window.
	HWND hView = pView->m_hWnd;
	::DestroyWindow(hView);
	EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hView));
	EXPECT_FALSE(::IsWindow(hChild));
}

TEST_F(HexEditClipboardTest, ViewFailsWhenItsControlCannotBeCreated)
{
	CObject* pObject = RUNTIME_CLASS(CHexEditBaseView)->CreateObject();
	CHexEditBaseView* pView = DYNAMIC_DOWNCAST(CHexEditBaseView, pObject);
	ASSERT_NE(nullptr, pView);
	// Without its window class the control cannot be made; the next control registers it again.
	m_control.DestroyWindow();
	ASSERT_TRUE(::UnregisterClass(_T("CHexEditBase"), AfxGetInstanceHandle()));
	CRect rc(0, 0, 300, 200);
	EXPECT_FALSE(pView->Create(NULL, NULL, WS_CHILD | WS_VISIBLE, rc, &m_parent, AFX_IDW_PANE_FIRST));
	EXPECT_EQ(NULL, ::GetWindow(m_parent.m_hWnd, GW_CHILD));
	CHexEditBase::RegisterWindowClasses();
}
