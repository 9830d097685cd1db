// The hex control's model: data, selection, settings, fonts, window classes and notification.
#include "HexEditTest.h"

TEST_F(HexEditTest, ConstructionSetsDefaultsAndRegistersClasses)
{
	CHexEditProbe control;
	EXPECT_EQ(NULL, control.m_pData);
	EXPECT_TRUE(control.m_bFreeData);
	EXPECT_EQ(::GetSysColor(COLOR_HIGHLIGHT), control.m_crSelBkFocus);
	EXPECT_EQ(::RegisterClipboardFormat(_T("BinaryData")), control.m_cfBinaryData);

	for (LPCTSTR lpszClass : { _T("CHexEditBase"), _T("CHexEditBase_SC") })
	{
		WNDCLASS wndcls;
		ASSERT_TRUE(::GetClassInfo(AfxGetInstanceHandle(), lpszClass, &wndcls)) << lpszClass;
		EXPECT_EQ((UINT)(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS), wndcls.style);
		EXPECT_EQ(::LoadCursor(NULL, IDC_IBEAM), wndcls.hCursor);
		EXPECT_EQ(NULL, wndcls.hbrBackground);
	}
	EXPECT_TRUE(RUNTIME_CLASS(CHexEditBase)->IsDerivedFrom(RUNTIME_CLASS(CWnd)));
	CObject* pCreated = RUNTIME_CLASS(CHexEditBase)->CreateObject();
	EXPECT_TRUE(pCreated->IsKindOf(RUNTIME_CLASS(CHexEditBase)));
	delete pCreated;
}

TEST_F(HexEditTest, SetDataKeepsItsOwnCopy)
{
	CHexEditProbe control;
	std::vector<BYTE> source = { 1, 2, 3, 4, 5 };
	control.m_nSelStart = 1;
	control.m_nSelEnd = 2;
	control.m_nSelAnchor = 1;
	control.m_nEditPos = 3;
	control.m_bHighNibble = false;
	control.SetData(source.data(), 5, TRUE);
	ASSERT_NE(source.data(), control.m_pData);
	source[0] = 99;
	EXPECT_EQ(1, control.m_pData[0]);
	EXPECT_EQ(5u, control.m_nLength);
	EXPECT_TRUE(control.m_bFreeData);
	EXPECT_EQ(NONE, control.m_nSelStart);
	EXPECT_EQ(NONE, control.m_nSelEnd);
	EXPECT_EQ(NONE, control.m_nSelAnchor);
	EXPECT_EQ(0u, control.m_nEditPos);
	EXPECT_TRUE(control.m_bHighNibble);

	// The same buffer again: copied again, the caller's buffer untouched.
	control.SetData(source.data(), 5, FALSE);
	EXPECT_EQ(99, control.m_pData[0]);
	EXPECT_EQ(99, source[0]);

	control.SetData(NULL, 5, TRUE);
	EXPECT_EQ(NULL, control.m_pData);
	EXPECT_EQ(0u, control.m_nLength);
	EXPECT_FALSE(control.m_bFreeData);

	control.SetData(source.data(), 0, TRUE);
	EXPECT_NE((BYTE*)NULL, control.m_pData);
	EXPECT_EQ(0u, control.m_nLength);
	EXPECT_TRUE(control.m_bFreeData);
}

TEST_F(HexEditTest, SetSelectionClampsEachEnd)
{
	CHexEditProbe control;
	std::vector<BYTE> data(100);
	control.SetData(data.data(), 100, FALSE);
	control.SetSelection(5, 500, FALSE, FALSE);
	EXPECT_EQ(5u, control.m_nSelStart);
	EXPECT_EQ(99u, control.m_nSelEnd);
	EXPECT_TRUE(control.HasSelection());
	control.SetSelection(200, 300, FALSE, FALSE);
	EXPECT_EQ(99u, control.m_nSelStart);
	EXPECT_EQ(99u, control.m_nSelEnd);
	control.SetSelection(NONE, NONE, FALSE, FALSE);
	EXPECT_FALSE(control.HasSelection());
	control.SetSelection(NONE, 4, FALSE, FALSE);
	EXPECT_FALSE(control.HasSelection());

	control.SetData(NULL, 0, FALSE);
	control.SetSelection(0, 3, FALSE, FALSE);
	EXPECT_EQ(NONE, control.m_nSelStart);
	EXPECT_EQ(NONE, control.m_nSelEnd);
}

TEST_F(HexEditTest, SetSelectionRepaintsOnlyWhenItChanges)
{
	CHexEditProbe control;
	CreateControl(control);
	std::vector<BYTE> data(100);
	control.SetData(data.data(), 100, FALSE);
	control.SetSelection(5, 9, FALSE, FALSE);
	::ValidateRect(control.m_hWnd, NULL);
	control.SetSelection(5, 9, FALSE, TRUE);
	EXPECT_FALSE(IsInvalid(control.m_hWnd));
	control.SetSelection(5, 10, FALSE, TRUE);
	EXPECT_TRUE(IsInvalid(control.m_hWnd));
}

TEST_F(HexEditTest, SettingsMarkTheLayoutDirtyOnlyWhenTheyChange)
{
	CHexEditProbe control;
	CreateControl(control);
	struct Case { const char* pszName; void (*pfnApply)(CHexEditProbe&); bool bDirty; bool bRepaint; };
	const Case cases[] = {
		{ "same bytes per row", [](CHexEditProbe& c) { c.SetBytesPerRow(16, FALSE, TRUE); }, false, false },
		{ "auto-fit", [](CHexEditProbe& c) { c.SetBytesPerRow(16, TRUE, TRUE); }, true, true },
		{ "other bytes per row", [](CHexEditProbe& c) { c.SetBytesPerRow(8, TRUE, FALSE); }, true, false },
		{ "address shown", [](CHexEditProbe& c) { c.SetShowAddress(TRUE, TRUE); }, true, true },
		{ "address still shown", [](CHexEditProbe& c) { c.SetShowAddress(TRUE, TRUE); }, false, false },
		{ "ascii shown", [](CHexEditProbe& c) { c.SetShowAscii(TRUE, FALSE); }, true, false },
		{ "ascii by low byte", [](CHexEditProbe& c) { c.SetShowAscii(0x100, FALSE); }, true, false },
		{ "same address size", [](CHexEditProbe& c) { c.SetAddressSize(8, TRUE); }, true, true },
		{ "read-only", [](CHexEditProbe& c) { c.SetReadOnly(TRUE, TRUE); }, false, true },
	};
	for (const Case& c : cases)
	{
		control.m_bLayoutDirty = false;
		::ValidateRect(control.m_hWnd, NULL);
		c.pfnApply(control);
		EXPECT_EQ(c.bDirty, control.m_bLayoutDirty) << c.pszName;
		EXPECT_EQ(c.bRepaint, IsInvalid(control.m_hWnd)) << c.pszName;
	}
	EXPECT_TRUE(control.m_bAutoBytesPerRow);
	EXPECT_EQ(8u, control.m_nRequestedBytesPerRow);
	EXPECT_TRUE(control.m_bShowAddress);
	EXPECT_FALSE(control.m_bShowAscii);
	EXPECT_TRUE(control.m_bReadOnly);
}

TEST_F(HexEditTest, FontMessagesTakeOnlyFixedPitchFonts)
{
	CHexEditProbe control;
	CreateControl(control);
	HFONT hStock = (HFONT)::GetStockObject(OEM_FIXED_FONT);
	EXPECT_EQ((LRESULT)hStock, control.SendMessage(WM_GETFONT));

	HFONT hProportional = ::CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0,
		VARIABLE_PITCH | FF_SWISS, _T("Arial"));
	control.m_bLayoutDirty = false;
	control.SendMessage(WM_SETFONT, (WPARAM)hProportional, FALSE);
	EXPECT_EQ((LRESULT)hStock, control.SendMessage(WM_GETFONT));
	EXPECT_TRUE(control.m_bLayoutDirty);
	control.SendMessage(WM_SETFONT, (WPARAM)::GetStockObject(WHITE_BRUSH), FALSE);
	EXPECT_EQ((LRESULT)hStock, control.SendMessage(WM_GETFONT));
	::DeleteObject(hProportional);

	// A fixed-pitch font is copied, so the sender may delete its own at once.
	HFONT hFixed = ::CreateFont(-13, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN,
		_T("Courier New"));
	::ValidateRect(control.m_hWnd, NULL);
	control.SendMessage(WM_SETFONT, (WPARAM)hFixed, TRUE);
	EXPECT_TRUE(IsInvalid(control.m_hWnd));
	::DeleteObject(hFixed);
	HFONT hCopy = (HFONT)control.SendMessage(WM_GETFONT);
	EXPECT_NE(hFixed, hCopy);
	EXPECT_NE(hStock, hCopy);
	LOGFONT lf = {};
	ASSERT_EQ((int)sizeof(lf), ::GetObject(hCopy, sizeof(lf), &lf));
	EXPECT_EQ(-13, lf.lfHeight);
	EXPECT_EQ(FW_BOLD, lf.lfWeight);
	EXPECT_STREQ("Courier New", lf.lfFaceName);
}

TEST_F(HexEditTest, WindowsComeFromCreateOrSubclassing)
{
	CHexEditProbe created;
	CreateControl(created, 256);
	char szClass[64] = "";
	::GetClassNameA(created.m_hWnd, szClass, sizeof(szClass));
	EXPECT_STREQ("CHexEditBase", szClass);
	EXPECT_EQ(256, created.GetDlgCtrlID());
	EXPECT_EQ(&created, CWnd::FromHandlePermanent(created.m_hWnd));

	// Subclassed, the edit window keeps answering what the control does not handle.
	HWND hEdit = ::CreateWindowEx(0, _T("Edit"), _T("kept"), WS_CHILD | ES_MULTILINE, 0, 0, 50, 20,
		m_parent.m_hWnd, (HMENU)5, NULL, NULL);
	{
		CHexEditProbe subclassed;
		ASSERT_TRUE(subclassed.SubclassWindow(hEdit));
		EXPECT_FALSE(subclassed.SubclassWindow(hEdit));
		char szText[16] = "";
		::GetWindowTextA(hEdit, szText, sizeof(szText));
		EXPECT_STREQ("kept", szText);
	}
	// The control's destructor took its window with it.
	EXPECT_FALSE(::IsWindow(hEdit));
}

TEST_F(HexEditTest, SelfCreatingWindowsOwnTheirObjects)
{
	HWND ahWnd[2];
	CHexEditBase* apControl[2];
	for (int i = 0; i < 2; ++i)
	{
		ahWnd[i] = ::CreateWindowEx(0, _T("CHexEditBase_SC"), _T("not stored"), WS_CHILD | WS_VISIBLE, 0, 0, 100, 50,
			m_parent.m_hWnd, (HMENU)(INT_PTR)(10 + i), AfxGetInstanceHandle(), NULL);
		ASSERT_NE((HWND)NULL, ahWnd[i]);
		apControl[i] = DYNAMIC_DOWNCAST(CHexEditBase, CWnd::FromHandlePermanent(ahWnd[i]));
		ASSERT_NE(nullptr, apControl[i]);
		EXPECT_TRUE(static_cast<CHexEditProbe*>(apControl[i])->m_bAutoDelete);
		EXPECT_EQ(0, ::GetWindowTextLength(ahWnd[i]));
	}
	EXPECT_NE(apControl[0], apControl[1]);
	for (HWND hWnd : ahWnd)
	{
		::DestroyWindow(hWnd);
		EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hWnd));
	}
}

TEST_F(HexEditTest, ChangesReachTheParentAsEditNotifications)
{
	CHexEditProbe control;
	CreateControl(control, 1023);
	control.NotifyParent(EN_CHANGE);
	ASSERT_EQ(1u, m_parent.m_commands.size());
	EXPECT_EQ(MAKEWPARAM(1023, EN_CHANGE), m_parent.m_commands[0].first);
	EXPECT_EQ((LPARAM)control.m_hWnd, m_parent.m_commands[0].second);

	// Without a parent nothing is sent.
	CHexEditProbe orphan;
	ASSERT_TRUE(orphan.CreateEx(0, _T("CHexEditBase"), NULL, WS_POPUP, 0, 0, 10, 10, NULL, NULL));
	orphan.NotifyParent(EN_CHANGE);
	EXPECT_EQ(1u, m_parent.m_commands.size());
}
