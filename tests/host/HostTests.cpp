// The stand-in host: plug-in loading and its own page.
#include "PageHarness.h"
#include "ModalDriver.h"
#include "RunProgram.h"
#include "host/CartridgeFile.h"
#include "host/CartridgePage.h"
#include "host/SaveViewerFrame.h"
#include "hexedit/HexEditBaseView.h"
#include "host/resource.h"
#include "res/resource.h"

// A module that is no plug-in, is missing, was built for another host or gives no page is refused by
// name and unloaded; two good modules each hand out their own page, made from their own resources.
// The host window refuses a plug-in's message whose values are out of range, before it uses them.
TEST(HostPlugins, LoadsPluginsAndRefusesOtherModules)
{
	const std::string strFolder = BesideThisProgram("");
	struct Case { std::string strName; const char* pszReason; } cases[] = {
		{ "afx.dll", "GetPropertyPage" }, { "absent.cvl", "absent.cvl" }, { "modules\\badversion.cvl", "version 260" },
		{ "modules\\nullpage.cvl", "the module gave no page; it was unloaded." },
	};
	CTempFolder folder;  // a loaded module stays: its copy goes when the next run makes the folder anew
	CPluginModule first, second;
	CString strError;
	for (const Case& c : cases)
	{
		EXPECT_FALSE(first.Load((strFolder + c.strName).c_str(), strError) && first.CreatePage(NULL, strError) != NULL);
		EXPECT_TRUE(std::strstr(strError, c.strName.c_str()) && std::strstr(strError, c.pszReason)) << (LPCTSTR)strError;
	}
	EXPECT_EQ(std::make_pair(HMODULE(), HMODULE()), std::make_pair(::GetModuleHandleA("badversion.cvl"), ::GetModuleHandleA("nullpage.cvl")));
	ASSERT_TRUE(::CopyFileA(ModulePath().c_str(), (folder / "Second.cvl").c_str(), FALSE));
	ASSERT_TRUE(first.Load(ModulePath().c_str(), strError) && second.Load((folder / "Second.cvl").c_str(), strError)) << (LPCTSTR)strError;
	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPropertyPage* apPages[] = { first.CreatePage(&host, strError), second.CreatePage(&host, strError) };
	EXPECT_NE(first.GetModule(), second.GetModule());
	EXPECT_EQ(std::make_pair(first.GetModule(), second.GetModule()), std::make_pair(apPages[0]->m_psp.hInstance, apPages[1]->m_psp.hInstance));
	delete apPages[0];
	delete apPages[1];
	CModalDriver modals;
	std::vector<BYTE> image(SAVE_POSITION_SIZE + 256, 0x5A);
	const LPARAM lWide = sizeof(LPARAM) > 4 ? (LPARAM)((ULONGLONG)1 << 32 | 1) : -2;  // position 1, were it cut to 32 bits
	const std::vector<std::tuple<UINT, WPARAM, LPARAM>> refused = { { HM_QUERYSTATUS, 0, 0 }, { HM_QUERYSTATUS, (WPARAM)image.data(), 1 },
		{ HM_PREPARETRANSFER, 1, 0 }, { HM_PREPARETRANSFER, 0, 1 }, { HM_READSAVE, 0, 1 }, { HM_WRITESAVE, 0, 1 },
		{ HM_READSAVE, (WPARAM)image.data(), 4 }, { HM_READSAVE, (WPARAM)image.data(), -1 }, { HM_WRITESAVE, (WPARAM)image.data(), 0x7FFFFFFF },
		{ HM_WRITESAVE, (WPARAM)image.data(), INT_MIN }, { HM_WRITESAVE, (WPARAM)image.data(), lWide } };
	for (const auto& message : refused)
		EXPECT_EQ(0, ::SendMessage(host.m_hWnd, std::get<0>(message), std::get<1>(message), std::get<2>(message)));
	EXPECT_EQ(std::vector<std::string>(7, "A plug-in asked for a save position that does not exist; nothing was transferred."), modals.MessageTexts());
	const CCartridge demo;
	EXPECT_TRUE(std::count(image.begin(), image.end(), 0x5A) == (int)image.size() &&
		std::equal(demo.GetPosition(0), demo.GetPosition(3) + SAVE_POSITION_SIZE, session.GetCartridge().GetPosition(0)));
	host.DestroyWindow();
}

// The window works on the cartridge as its file holds it now, named by its full path whatever the
// current folder becomes. Every switch of its own page is stored alone and reaches the plug-in's
// page at once. What another program writes shows on the host's page at each status query and when
// it comes up, reaches the window's next transfer, and the window's own writes keep it; a write to
// a cartridge blocked meanwhile is refused. The page restores the backup chosen. A change that
// cannot be stored, a write that does not verify, or a damaged file met in a transfer, is said in
// a warning box; with a damaged file there is no cartridge until the page starts anew.
TEST(HostPages, TheWindowFollowsTheFile)
{
	CModalDriver modals;
	CTempFolder folder;
	const std::string strCart = folder / "test.cart";
	char szFolder[MAX_PATH];
	::GetCurrentDirectoryA(MAX_PATH, szFolder);
	CCartridgeSession session, other;
	CString strError;
	::SetCurrentDirectoryA(folder.m_strPath.c_str());
	ASSERT_TRUE(session.Open("test.cart", TRUE, strError));
	::SetCurrentDirectoryA(szFolder);
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPluginModule plugin;
	ASSERT_TRUE(plugin.Load(ModulePath().c_str(), strError));
	host.AddPlugin(&plugin);
	CCartridgePage cartridgePage(host);
	CPropertyPage* pPluginPage = plugin.CreatePage(&host, strError);
	CPropertySheet sheet(_T("Corvel host"), NULL, 1);  // the plug-in's page is made first
	sheet.AddPage(&cartridgePage);
	sheet.AddPage(pPluginPage);
	ASSERT_TRUE(sheet.Create(&host));
	sheet.SetActivePage(0);
	struct Step { int nSwitch; bool bReadEnabled; } steps[] = {
		{ IDC_CART_PRESENT, false }, { IDC_CART_PRESENT, true }, { IDC_BLOCKED, false }, { IDC_BLOCKED, true },
		{ IDC_MULTI_POSITION, true }, { IDC_LINK_READY, false }, { IDC_LINK_READY, true },
	};
	for (const Step& step : steps)
	{
		host.m_calls.clear();
		::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, step.nSwitch), BM_CLICK, 0, 0);
		EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS }), host.Messages()) << step.nSwitch;
		EXPECT_EQ(step.bReadEnabled, ::IsWindowEnabled(::GetDlgItem(pPluginPage->m_hWnd, IDC_READ_TO_DISK)) != FALSE) << step.nSwitch;
	}
	ASSERT_TRUE(other.Open(strCart.c_str(), FALSE, strError));
	ASSERT_TRUE(other.Change([](CCartridge& cart) { cart.m_bBlocked = TRUE; }, strError));
	::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_TROVESAVE), BM_CLICK, 0, 0);
	EXPECT_EQ(0u, modals.MessageTexts().at(0).find("This cartridge uses Trovesave!"));
	ASSERT_TRUE(other.Refresh(strError));
	EXPECT_EQ(std::vector<BOOL>({ FALSE, TRUE, TRUE }), std::vector<BOOL>({ other.GetCartridge().m_bMultiPosition,
		other.GetCartridge().m_bTrovesave, other.GetCartridge().m_bBlocked }));
	EXPECT_EQ((UINT)BST_CHECKED, cartridgePage.IsDlgButtonChecked(IDC_BLOCKED));

	const std::vector<BYTE> theirs(SAVE_POSITION_SIZE, 0x3C), ours(SAVE_POSITION_SIZE, 0xC3);
	std::vector<BYTE> image(SAVE_POSITION_SIZE + 256);
	CARTSTATUS status;
	auto Transfer = [&](UINT nMsg, int nPosition) {
		::SendMessage(host.m_hWnd, HM_PREPARETRANSFER, 0, 0);
		::SendMessage(host.m_hWnd, HM_QUERYSTATUS, (WPARAM)&status, 0);
		if (status.bCartPresent)
			::SendMessage(host.m_hWnd, nMsg, (WPARAM)image.data(), nPosition);
		return (int)status.bCartPresent;
	};
	Transfer(HM_WRITESAVE, 0);
	EXPECT_EQ(strCart + ": the cartridge is blocked.", modals.MessageTexts().back());
	ASSERT_TRUE(other.Change([](CCartridge& cart) { cart.m_bBlocked = FALSE; }, strError) && other.WritePosition(1, theirs.data(), strError));
	::SendMessage(host.m_hWnd, HM_QUERYSTATUS, (WPARAM)&status, 0);
	EXPECT_EQ((UINT)BST_UNCHECKED, cartridgePage.IsDlgButtonChecked(IDC_BLOCKED));
	Transfer(HM_READSAVE, 1);
	EXPECT_TRUE(std::equal(theirs.begin(), theirs.end(), image.begin()));
	std::copy(ours.begin(), ours.end(), image.begin());
	Transfer(HM_WRITESAVE, 0);
	EXPECT_TRUE(other.Refresh(strError) && std::equal(ours.begin(), ours.end(), other.GetCartridge().GetPosition(0)) &&
		std::equal(theirs.begin(), theirs.end(), other.GetCartridge().GetPosition(1)));
	// Its page lists the backups newest first and restores the one chosen, after asking.
	::ShowWindow(cartridgePage.m_hWnd, SW_HIDE);
	ASSERT_TRUE(other.Change([](CCartridge& cart) { cart.m_bLinkReady = FALSE; }, strError));
	::ShowWindow(cartridgePage.m_hWnd, SW_SHOW);
	EXPECT_EQ((UINT)BST_UNCHECKED, cartridgePage.IsDlgButtonChecked(IDC_LINK_READY));
	ASSERT_TRUE(other.Change([](CCartridge& cart) { cart.m_bLinkReady = TRUE; }, strError));
	char szItem[64] = "";
	::SendDlgItemMessage(cartridgePage.m_hWnd, IDC_BACKUPS, LB_SETCURSEL, 1, 0);
	::SendDlgItemMessage(cartridgePage.m_hWnd, IDC_BACKUPS, LB_GETTEXT, 1, (LPARAM)szItem);
	modals.AnswerMessageBox(IDYES);
	::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_RESTORE), BM_CLICK, 0, 0);
	EXPECT_EQ(std::make_tuple((size_t)31, std::string("Position 2, "), "Restore position 2 to its backup of " + std::string(szItem + 12) + "?\n\n"
		"What the position holds now is backed up first."), std::make_tuple(std::strlen(szItem), std::string(szItem, 12), modals.MessageTexts().back()));
	const CCartridge demo;
	EXPECT_TRUE(std::equal(demo.GetPosition(1), demo.GetPosition(1) + SAVE_POSITION_SIZE, session.GetCartridge().GetPosition(1)));
	// A click that cannot be stored shows the switch as the file still has it.
	CFailingMove("MoveFileExA", 1), ::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_TROVESAVE), BM_CLICK, 0, 0);
	EXPECT_EQ(std::make_pair(strCart + ": cannot be saved (error 5 while replacing it).", (UINT)BST_CHECKED),
		std::make_pair(modals.MessageTexts().back(), cartridgePage.IsDlgButtonChecked(IDC_TROVESAVE)));

	for (bool bReadEnabled : { false, true })  // the link drops, and comes back
		EXPECT_EQ(bReadEnabled, (::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_FAULT_LINKDROP), BM_CLICK, 0, 0),
			::IsWindowEnabled(::GetDlgItem(pPluginPage->m_hWnd, IDC_READ_TO_DISK)) != FALSE));
	::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_FAULT_FLIPBIT), BM_CLICK, 0, 0);  // a write that does not verify
	Transfer(HM_WRITESAVE, 3);
	EXPECT_EQ(std::make_pair((size_t)0, (UINT)MB_ICONEXCLAMATION), std::make_pair(modals.MessageTexts().back().find("Position 4 did not verify"),
		modals.m_records.back().nStyle));
	::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_FAULT_NOCART), BM_CLICK, 0, 0);  // for the next transfer only
	const int nFirstPresent = Transfer(HM_READSAVE, 1);
	EXPECT_EQ(std::make_pair(0, 1), std::make_pair(nFirstPresent, Transfer(HM_READSAVE, 1)));
	const CBytes intact((const char*)session.GetCartridge().GetPosition(1), 3 * SAVE_POSITION_SIZE);  // positions 2 to 4, as just read
	CBytes damaged = ReadBytes(strCart);
	damaged[100] ^= 1;
	WriteBytes(strCart, damaged);
	modals.m_records.clear();
	modals.AnswerMessageBox(IDOK);
	::SendMessage(host.m_hWnd, HM_QUERYSTATUS, (WPARAM)&status, 0);
	EXPECT_TRUE(modals.m_records.empty());  // outside a transfer
	Transfer(HM_WRITESAVE, 0);
	EXPECT_EQ(std::make_pair(0, damaged), std::make_pair((int)status.bCartPresent, ReadBytes(strCart)));
	modals.AnswerMessageBox(IDYES);
	::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_START_ANEW), BM_CLICK, 0, 0);
	const std::string strDamage = strCart + ": the cartridge file is damaged: position 1 is not intact.";
	EXPECT_EQ(std::vector<std::string>({ strDamage, "Move the damaged " + strCart + " aside and start a new cartridge in its place?\n\n"
		"Its backups are kept, and can be restored here.", strDamage + " It was moved to " + strCart + ".damaged, and a new cartridge "
		"was made in its place. Carried over: the switches, position 2, position 3 and position 4. Not carried over: position 1; "
		"its newest backup puts each back (--restore N, or Restore on the Cartridge page). Its backups are kept in " + strCart + ".backups." }), modals.MessageTexts());
	EXPECT_EQ(std::vector<UINT>({ MB_ICONEXCLAMATION, MB_ICONQUESTION | MB_YESNO, MB_ICONINFORMATION }),
		std::vector<UINT>({ modals.m_records[0].nStyle, modals.m_records[1].nStyle, modals.m_records[2].nStyle }));
	Transfer(HM_READSAVE, 0);  // the positions that were intact are carried over
	EXPECT_EQ(std::make_tuple(1, damaged, FALSE, intact), std::make_tuple((int)status.bCartPresent, ReadBytes(strCart + ".damaged"),
		::IsWindowEnabled(::GetDlgItem(cartridgePage.m_hWnd, IDC_START_ANEW)), CBytes((const char*)session.GetCartridge().GetPosition(1), 3 * SAVE_POSITION_SIZE)));
	// From its page another cartridge opens and takes the identity typed once the user is done with it: at Enter,
	// which leaves the sheet open, or on leaving the box. A plug-in that warns at each new identity warns once; the
	// same identity, or one that cannot be stored, changes nothing. A status query meanwhile leaves the typing alone.
	auto Click = [&](int nID, const std::string& strPath) {
		modals.AnswerFileDialog(strPath), ::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, nID), BM_CLICK, 0, 0); };
	Click(IDC_OPEN_CART, folder / "other.cart");
	::SendMessage(::GetDlgItem(cartridgePage.m_hWnd, IDC_TROVESAVE), BM_CLICK, 0, 0);
	const HWND hCartId = ::GetDlgItem(cartridgePage.m_hWnd, IDC_CART_ID);
	auto Pump = []() { for (MSG msg; ::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE);) AfxGetApp()->PumpMessage(); };
	const struct { const char* pszTyped; WPARAM nKey; int nFailingMove; DWORD dwCartId, dwShown; size_t nBoxes; } typing[] = {  // nKey 0: none
		{ "2024", 0, 0, 1, 2024, 0 }, { "2024", VK_RETURN, 0, 2024, 2024, 1 }, { "77", VK_TAB, 0, 77, 77, 1 },
		{ "77", VK_RETURN, 0, 77, 77, 0 }, { "\b", VK_RETURN, 0, 77, 77, 0 }, { "5", VK_RETURN, 1, 77, 77, 1 },
	};
	for (const auto& t : typing)
	{
		CFailingMove failing("MoveFileExA", t.nFailingMove);  // 0: none
		modals.m_records.clear(), host.m_calls.clear();
		::SetFocus(hCartId), ::SendMessage(hCartId, EM_SETSEL, 0, -1);
		for (const char* pch = t.pszTyped; *pch != 0; ++pch)
			::PostMessage(hCartId, WM_CHAR, *pch, 0);
		Pump(), ::SendMessage(host.m_hWnd, HM_QUERYSTATUS, (WPARAM)&status, 0);  // which reads the file again
		::PostMessage(hCartId, WM_KEYDOWN, t.nKey, 0), Pump();
		EXPECT_EQ(std::make_tuple(t.dwCartId, t.dwShown, t.nBoxes, t.nBoxes + 1, cartridgePage.m_hWnd), std::make_tuple(session.GetCartridge().m_dwCartId,
			(DWORD)::GetDlgItemInt(cartridgePage.m_hWnd, IDC_CART_ID, NULL, FALSE), modals.m_records.size(), host.m_calls.size(),
			(HWND)::SendMessage(sheet.m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0))) << t.pszTyped << " " << t.nKey;
	}
	WriteBytes(folder / "x.sav", "0123");
	Click(IDC_VIEW_SAVE, folder / "x.sav");
	HWND hViewer = ::FindWindowA(NULL, (folder / "x.sav - save file viewer").c_str());
	EXPECT_TRUE(hViewer != NULL && ::DestroyWindow(hViewer));
	sheet.DestroyWindow();
	delete pPluginPage;
	host.DestroyWindow();
}

// The blocks this program allocates while a watch lives, and how often this program or the runtime
// frees each. Freed ones stay allocated until the watch restarts or ends: none takes another's address.
struct CHeldBlocks
{
	CHeldBlocks() : m_new(NULL, "libstdc++-6.dll", sizeof(size_t) == 8 ? "_Znwy" : "_Znwj", (FARPROC)New),
		m_delete(NULL, "libstdc++-6.dll", s_pszDelete, (FARPROC)Delete), m_runtimeDelete("afx.dll", "libstdc++-6.dll", s_pszDelete, (FARPROC)Delete)
	{
		s_pfnNew = m_new.m_pfnOriginal, s_pfnDelete = m_delete.m_pfnOriginal;
	}
	~CHeldBlocks() { Restart(); }
	void Restart()
	{
		for (; s_nBlocks > 0; --s_nBlocks)
			s_blocks[s_nBlocks - 1].nFrees > 0 ? Free(s_blocks[s_nBlocks - 1].p, s_blocks[s_nBlocks - 1].n) : (void)0;
	}
	std::pair<int, int> Leaks() const  // the blocks still held, and those freed twice
	{
		std::pair<int, int> leaks;
		for (int i = 0; i < s_nBlocks; ++i)
			leaks.first += s_blocks[i].nFrees == 0, leaks.second += s_blocks[i].nFrees > 1;
		return leaks;
	}
	static void* New(size_t n)
	{
		void* p = ((void* (*)(size_t))s_pfnNew)(n);
		return s_nBlocks < (int)std::size(s_blocks) ? (s_blocks[s_nBlocks++] = { p, n, 0 }).p : p;
	}
	static void Free(void* p, size_t n) { ((void (*)(void*, size_t))s_pfnDelete)(p, n); }
	static void Delete(void* p, size_t n)
	{
		auto* pBlock = std::find_if(s_blocks, s_blocks + s_nBlocks, [p](const auto& block) { return block.p == p; });
		pBlock != s_blocks + s_nBlocks ? (void)++pBlock->nFrees : Free(p, n);
	}
	CImportPatch m_new, m_delete, m_runtimeDelete;
	inline static const char* s_pszDelete = sizeof(size_t) == 8 ? "_ZdlPvy" : "_ZdlPvj";
	inline static FARPROC s_pfnNew, s_pfnDelete;
	inline static struct { void* p; size_t n; int nFrees; } s_blocks[1024];
	inline static int s_nBlocks;
};

// A hook that refuses to create hex controls, or top-level windows, once the runtime's own hook has
// taken them as its objects.
static bool s_bRefuseFrames;
static LRESULT CALLBACK Refuse(int nCode, WPARAM wParam, LPARAM lParam)
{
	char szClass[16] = "";
	::GetClassNameA((HWND)wParam, szClass, sizeof(szClass));
	const LRESULT lNext = ::CallNextHookEx(NULL, nCode, wParam, lParam);
	return nCode == HCBT_CREATEWND && (s_bRefuseFrames ? (((CBT_CREATEWND*)lParam)->lpcs->style & WS_CHILD) == 0
		: std::strcmp(szClass, "CHexEditBase") == 0) ? 1 : lNext;
}

// The viewer is a frame whose view is one control over the whole client area, from the view's
// creation on and after every resize, showing the file read-only. A file that cannot be read, or
// a window that cannot be made, leaves no window behind; the frame is freed once, however it failed.
TEST(HostViewer, TheViewIsOneControlOverItsClientArea)
{
	CTempFolder folder;
	WriteBytes(folder / "x.sav", "0123456789");
	CString strError;
	CHeldBlocks held;
	CSaveViewerFrame* pFrame = CSaveViewerFrame::Open((folder / "x.sav").c_str(), strError);
	ASSERT_NE(nullptr, pFrame);
	CHexEditBaseView* pView = pFrame->GetHexView();
	auto Place = [](HWND hWnd) {
		RECT rc;
		::GetWindowRect(hWnd, &rc);
		return std::vector<LONG>({ rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top });
	};
	for (int cx : { 300, 640 })
	{
		::SetWindowPos(pFrame->m_hWnd, NULL, 0, 0, cx, cx * 3 / 4, SWP_NOMOVE | SWP_NOZORDER);
		RECT rcClient;
		::GetClientRect(pFrame->m_hWnd, &rcClient);
		::ClientToScreen(pFrame->m_hWnd, (POINT*)&rcClient);
		const std::vector<LONG> client = { rcClient.left, rcClient.top, rcClient.right, rcClient.bottom };
		char szClass[16];
		::GetClassNameA(::GetWindow(pView->m_hWnd, GW_CHILD), szClass, sizeof(szClass));
		EXPECT_EQ(std::make_pair(client, client), std::make_pair(Place(pView->m_hWnd), Place(pView->m_wndHexEdit.m_hWnd)));
		EXPECT_EQ(std::make_tuple(std::string("CHexEditBase"), 256, (LONG)(WS_CHILD | WS_VISIBLE | ES_MULTILINE), (HWND)NULL, 0),
			std::make_tuple(std::string(szClass), pView->m_wndHexEdit.GetDlgCtrlID(),
				::GetWindowLong(pView->m_wndHexEdit.m_hWnd, GWL_STYLE) & (LONG)0xFFFF0004,
				::GetWindow(pView->m_wndHexEdit.m_hWnd, GW_HWNDNEXT), ::GetWindowTextLength(pView->m_wndHexEdit.m_hWnd)));
	}
	CClientDC dc(pView);
	EXPECT_TRUE(pView->SendMessage(WM_ERASEBKGND, (WPARAM)dc.m_hDC) && std::strcmp(pView->GetRuntimeClass()->m_lpszClassName, "CHexEditBaseView") == 0);
	pView->SetFocus();
	pView->SendMessage(WM_COMMAND, ID_EDIT_SELECT_ALL);  // neither the command nor the focus goes on to the control
	EXPECT_EQ(std::make_tuple((LRESULT)1, FALSE, pView->m_hWnd), std::make_tuple(pView->m_wndHexEdit.SendMessage(WM_CHAR, '7'), pView->m_wndHexEdit.HasSelection(), ::GetFocus()));
	pFrame->DestroyWindow();
	EXPECT_EQ(std::make_pair(0, 0), held.Leaks());

	std::string strRefused;
	for (bool bFrames : { false, true })
	{
		HHOOK hHook = ::SetWindowsHookEx(WH_CBT, Refuse, NULL, ::GetCurrentThreadId());
		s_bRefuseFrames = bFrames, held.Restart();
		EXPECT_EQ(nullptr, CSaveViewerFrame::Open((folder / "x.sav").c_str(), strError));
		::UnhookWindowsHookEx(hHook);
		EXPECT_EQ(std::make_pair(0, 0), held.Leaks()) << bFrames;  // the frame is freed, once
		strRefused += (LPCTSTR)strError + std::string("|");
	}
	EXPECT_EQ(nullptr, CSaveViewerFrame::Open((folder / "none.sav").c_str(), strError));
	const std::string strNoViewer = "The viewer for " + folder / "x.sav" + " cannot be opened.|";
	EXPECT_EQ(strNoViewer + strNoViewer + folder / "none.sav" + " cannot be opened (error 2).", strRefused + (LPCTSTR)strError);
	EXPECT_EQ(NULL, ::FindWindowA(NULL, (folder / "x.sav - save file viewer").c_str()));
}

// Without a verb the program opens its sheet on the page asked for, the plug-in's among its pages,
// and the demonstration shows the snapshot; closing the sheet ends the program with status 0. On a
// damaged cartridge the window opens all the same, after a box that says how to recover, and its
// Cartridge page offers to start anew. A copy of the program beside two plug-ins and modules that give
// no page names those in one box, shows a tab for each plug-in, and makes its demonstration cartridge.
TEST(HostWindow, WithoutAVerbTheSheetOpens)
{
	CTempFolder folder;
	CString strError;
	ASSERT_TRUE(CCartridgeFile::Save((folder / "test.cart").c_str(), CCartridge(), strError));
	const std::string strCart = " --cart \"" + folder / "test.cart" + "\"", strOwn = folder / "own\\";
	::CreateDirectoryA(strOwn.c_str(), NULL);
	WIN32_FIND_DATAA fd;
	for (HANDLE hFind = ::FindFirstFileA(BesideThisProgram("*.dll").c_str(), &fd); hFind != INVALID_HANDLE_VALUE;
		hFind = ::FindNextFileA(hFind, &fd) ? hFind : (::FindClose(hFind), INVALID_HANDLE_VALUE))
		::CopyFileA(BesideThisProgram(fd.cFileName).c_str(), (strOwn + fd.cFileName).c_str(), FALSE);
	for (const char* pszFile : { "corvel.exe", "Mendle.cvl", "modules\\badversion.cvl", "modules\\nullpage.cvl" })
		::CopyFileA(BesideThisProgram(pszFile).c_str(), (strOwn + (std::strchr(pszFile, '\\') ? std::strchr(pszFile, '\\') + 1 : pszFile)).c_str(), FALSE);
	::CopyFileA(BesideThisProgram("Mendle.cvl").c_str(), (strOwn + "Second.cvl").c_str(), FALSE);  // a second plug-in
	const struct { std::string strCommand; int nItem; UINT nState; std::string strBoxes; } cases[] = {
		{ BesideThisProgram("corvel.exe") + "\"" + strCart + " --page 1 --demo", IDC_SHOW_SNAPSHOT, BST_CHECKED, "" },
		{ BesideThisProgram("corvel.exe") + "\"" + strCart + " --page 0", IDC_START_ANEW, TRUE, folder / "test.cart" + ": not a cartridge "
			"file.\n\nThe window opens without a cartridge. On its Cartridge page, \"Start anew\" moves the damaged file aside and starts "
			"a new cartridge with every part it holds intact; the backups listed there then put back the positions that did not come back.|" },
		{ strOwn + "corvel.exe\" --page 1 --demo", IDC_SHOW_SNAPSHOT, BST_CHECKED, "Some plug-ins were not loaded:\n\n" },
	};
	for (const auto& c : cases)
	{
		WriteBytes(folder / "test.cart", &c == &cases[1] ? "damaged" : ReadBytes(folder / "test.cart"));
		CChildProgram corvel("\"" + c.strCommand);
		HWND hSheet = NULL, hPage = NULL, hBox = NULL;
		char szText[1024];
		std::string strBoxes;
		auto State = [&]() { return c.nItem == IDC_START_ANEW ? (UINT)::IsWindowEnabled(::GetDlgItem(hPage, c.nItem)) : ::IsDlgButtonChecked(hPage, c.nItem); };
		for (int nTry = 0; nTry < 1000 && State() != c.nState; ++nTry, ::Sleep(10))
		{
			hSheet = ::FindWindowA("#32770", "Corvel host");
			if (::GetDlgItemTextA(hSheet, 0xFFFF, szText, sizeof(szText)) > 0 && hSheet != hBox)
				strBoxes += std::string(szText) + "|", hBox = hSheet;
			::PostMessage(hBox, WM_COMMAND, IDOK, 0);
			hPage = (HWND)::SendMessage(hSheet, PSM_GETCURRENTPAGEHWND, 0, 0);
		}
		EXPECT_EQ(std::make_tuple(c.nState, c.strBoxes, &c == &cases[2] ? 3 : 2), std::make_tuple(State(), &c == &cases[2] ?
			strBoxes.substr(0, c.strBoxes.size()) : strBoxes, (int)::SendMessage((HWND)::SendMessage(hSheet, PSM_GETTABCONTROL, 0, 0), TCM_GETITEMCOUNT, 0, 0)));
		::PostMessage(hSheet, WM_CLOSE, 0, 0);
		EXPECT_EQ(0, corvel.Wait());
		EXPECT_TRUE(&c != &cases[2] || (std::count(strBoxes.begin(), strBoxes.end(), '|') == 1 && strBoxes.find(strOwn + "badversion.cvl: built for "
			"host version 260") != std::string::npos && strBoxes.find(strOwn + "nullpage.cvl: the module gave no page") != std::string::npos)) << strBoxes;
	}
	CCartridge demo;
	EXPECT_EQ(CCartridgeFile::loaded, CCartridgeFile::Load((strOwn + "demo.cart").c_str(), demo, strError)) << (LPCTSTR)strError;
}
