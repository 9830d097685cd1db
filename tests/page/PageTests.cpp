// Status refresh, enabling, fallback, Trovesave, the snapshot and the transfers of positions.
#include "PageTest.h"
#include <cctype>

// Kept first: the module remembers the last warned cartridge for the whole process.
TEST_F(PageTest, TrovesaveWarningOncePerNewCartridge)
{
	struct Step { DWORD dwMagic; DWORD dwCartId; bool bWarning; };
	const Step steps[] = {
		{ TROVESAVE_MAGIC, 0, false },  // the remembered identity starts at 0
		{ TROVESAVE_MAGIC, 7, true }, { TROVESAVE_MAGIC, 7, false }, { TROVESAVE_MAGIC, 8, true }, { TROVESAVE_MAGIC, 7, true },
		{ 0, 9, false },  // a cartridge without Trovesave leaves the remembered identity alone
		{ TROVESAVE_MAGIC, 7, false }, { 0x42473135, 11, false },  // the magic bytes reversed are no Trovesave
	};
	// A refresh while the warning is up must not warn again: the identity is remembered first.
	bool bInside = false;
	m_modals.m_onMessageBox = [&]() {
		if (!bInside)
		{
			bInside = true;
			m_page.StatusChanged();
		}
	};
	m_page.m_host.m_bOverrideMagic = true;
	for (const Step& step : steps)
	{
		SCOPED_TRACE(testing::Message() << "cartridge " << step.dwCartId);
		m_modals.m_records.clear();
		bInside = false;
		m_page.m_host.m_dwMagic = step.dwMagic;
		m_page.m_cartridge.m_dwCartId = step.dwCartId;
		m_page.StatusChanged();
		EXPECT_EQ(step.dwMagic == TROVESAVE_MAGIC, m_page.IsVisible(IDC_WARNING_ICON));
		EXPECT_EQ(step.dwMagic == TROVESAVE_MAGIC, m_page.IsVisible(IDC_TROVESAVE_NOTE));
		ASSERT_EQ(step.bWarning ? 1u : 0u, m_modals.m_records.size());
		if (step.bWarning)
		{
			EXPECT_EQ("This cartridge uses Trovesave!\n\nIt is strongly recommended to not make any changes to the "
				"cartridge's save RAM area with this tool if using Trovesave!", m_modals.m_records[0].strText);
			EXPECT_EQ((UINT)(MB_ICONEXCLAMATION | MB_OK), m_modals.m_records[0].nStyle);
			// Host events run in the host's module state: the box bears the host's name.
			EXPECT_EQ("Mendle tests", m_modals.m_records[0].strTitle);
		}
	}
}

TEST_F(PageTest, StatusRefreshSendsOneQueryAndSetsEnabling)
{
	ExpectPosition(0);
	EXPECT_FALSE(m_page.IsChecked(IDC_SHOW_SNAPSHOT));
	EXPECT_FALSE(m_page.IsVisible(IDC_WARNING_ICON));
	EXPECT_EQ(CBytes(), Snapshot());
	struct Case { BOOL bLink, bPresent, bMulti, bBlocked; bool bEnable, bMore; };
	const Case cases[] = {
		{ 1, 1, 0, 0, true, false }, { 1, 1, 1, 0, true, true }, { 0, 1, 1, 0, false, false },
		{ 1, 0, 1, 0, false, false }, { 1, 1, 1, 1, false, false }, { 0, 0, 0, 0, false, false },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.bLink << c.bPresent << c.bMulti << c.bBlocked);
		m_page.m_host.m_calls.clear();
		SetStatus(c.bLink, c.bPresent, c.bMulti, c.bBlocked);
		EXPECT_EQ(Messages({ HM_QUERYSTATUS }), m_page.m_host.Messages());
		EXPECT_NE(0u, m_page.m_host.m_calls[0].wParam);
		ExpectEnabling(c.bEnable, c.bMore);
		ExpectPosition(0);
	}

	// Other host events, in the page's range or not, are answered and change nothing.
	m_page.m_host.m_calls.clear();
	for (UINT nMsg : { 0x8001u, 0x8002u, 0x811Du, 0x0010u, 0x8000u, 0x811Eu, 0xC000u })
		EXPECT_EQ(1, m_page.m_plugin.ReceiveMessage(nMsg, 1, 2));
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_TRUE(m_modals.m_records.empty());
}

// Hidden (another page chosen) and shown again, the page asks for the status each time.
TEST_F(PageTest, ShowingAndHidingRefreshTheStatus)
{
	for (int nShow : { SW_HIDE, SW_SHOW })
	{
		m_page.m_host.m_calls.clear();
		m_page.m_pPage->ShowWindow(nShow);
		EXPECT_EQ(Messages({ HM_QUERYSTATUS }), m_page.m_host.Messages()) << nShow;
	}
}

// Four address digits, the ASCII column and as many bytes a row as the width holds.
TEST_F(PageTest, SnapshotShowsAddressHexAndAsciiFittedToItsWidth)
{
	m_page.Click(IDC_SHOW_SNAPSHOT);
	HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
	MSG msg;
	while (::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE))
		::DispatchMessage(&msg);
	CRect rc;
	::GetClientRect(hSnapshot, &rc);
	HDC hDC = ::GetDC(hSnapshot);
	HGDIOBJ hOld = ::SelectObject(hDC, ::GetStockObject(OEM_FIXED_FONT));
	CSize cell;
	::GetTextExtentPoint32A(hDC, "0", 1, &cell);
	::SelectObject(hDC, hOld);
	::ReleaseDC(hSnapshot, hDC);
	const int nBytes = (rc.Width() - 10 - 4 * cell.cx - 10 + cell.cx) / (4 * cell.cx);
	ASSERT_GE(nBytes, 8);
	const std::string strPosition = Position(0);
	std::string strHex, strAscii;
	char sz[4];
	for (int i = 0; i < nBytes; ++i)
	{
		std::snprintf(sz, sizeof(sz), i ? " %02X" : "%02X", (BYTE)strPosition[i]);
		strHex += sz;
		strAscii += std::isprint((BYTE)strPosition[i]) ? strPosition[i] : '.';
	}
	const int xHex = 5 + 4 * cell.cx + 5, xAscii = xHex + (3 * nBytes - 1) * cell.cx + 5;
	EXPECT_TRUE(ShowsText(hSnapshot, CRect(5, 5, 5 + 4 * cell.cx, 5 + cell.cy), RGB(255, 0, 0), "0000"));
	EXPECT_TRUE(ShowsText(hSnapshot, CRect(xHex, 5, xAscii - 5, 5 + cell.cy), RGB(0, 0, 255), strHex.c_str())) << strHex;
	EXPECT_TRUE(ShowsText(hSnapshot, CRect(xAscii, 5, rc.right, 5 + cell.cy), RGB(0, 255, 0), strAscii.c_str())) << strAscii;
}

TEST_F(PageTest, PositionsReadTheSnapshotOnlyWhileItIsShown)
{
	m_page.Click(IDC_POSITION3);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_EQ(CBytes(), Snapshot());

	m_page.Click(IDC_SHOW_SNAPSHOT);
	EXPECT_EQ(Transfer(HM_READSAVE), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 2 }), TransferPositions());
	EXPECT_EQ(Position(2), Snapshot());

	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_POSITION4);
	m_page.Click(IDC_POSITION2);
	EXPECT_EQ(Concat({ Transfer(HM_READSAVE), Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 3, 1 }), TransferPositions());
	EXPECT_EQ(Position(1), Snapshot());
	ExpectPosition(1);

	// Unchecked, the snapshot keeps what it showed and nothing is read.
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION1);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_EQ(Position(1), Snapshot());

	// The box's own state counts, however it was set.
	::SendMessage(m_page.Item(IDC_SHOW_SNAPSHOT), BM_SETCHECK, BST_CHECKED, 0);
	m_page.Click(IDC_POSITION3);
	EXPECT_EQ(std::vector<LPARAM>({ 2 }), TransferPositions());
	EXPECT_TRUE(m_modals.m_records.empty());
}

// The wait cursor shows while the host works, and the cursor from before comes back.
TEST_F(PageTest, TransfersShowTheWaitCursorAndRestoreIt)
{
	HCURSOR hCross = ::LoadCursor(NULL, IDC_CROSS);
	::SetCursor(hCross);
	m_page.Click(IDC_SHOW_SNAPSHOT);
	ASSERT_EQ(3u, m_page.m_host.m_calls.size());
	for (const CHostCall& call : m_page.m_host.m_calls)
		EXPECT_TRUE(call.bWaitCursor);
	EXPECT_EQ(hCross, ::GetCursor());
}

TEST_F(PageTest, SelectionFallsBackToPositionOneWithoutSeveralPositions)
{
	// A blocked or unready cartridge keeps the selection.
	m_page.Click(IDC_POSITION3);
	SetStatus(TRUE, TRUE, FALSE, TRUE);
	SetStatus(FALSE, TRUE, FALSE, FALSE);
	ExpectPosition(2);
	SetStatus(TRUE, FALSE, FALSE, FALSE);
	ExpectPosition(0);
	EXPECT_EQ(Messages({ HM_QUERYSTATUS, HM_QUERYSTATUS, HM_QUERYSTATUS }), m_page.m_host.Messages());
	ExpectEnabling(false, false);

	// With the snapshot shown, the fallback reads position 1, even with no cartridge.
	SetStatus(TRUE, TRUE, TRUE, FALSE);
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION3);
	m_page.m_host.m_calls.clear();
	SetStatus(TRUE, FALSE, FALSE, FALSE);
	EXPECT_EQ(Messages({ HM_QUERYSTATUS, HM_PREPARETRANSFER, HM_QUERYSTATUS }), m_page.m_host.Messages());
	EXPECT_EQ(Texts({ kNoCartridge }), m_modals.MessageTexts());
	ExpectPosition(0);

	SetStatus(TRUE, TRUE, TRUE, FALSE);
	m_page.Click(IDC_POSITION4);
	m_page.m_host.m_calls.clear();
	SetStatus(TRUE, TRUE, FALSE, FALSE);
	EXPECT_EQ(Concat({ { HM_QUERYSTATUS }, Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 0 }), TransferPositions());
	EXPECT_EQ(Position(0), Snapshot());
	ExpectEnabling(true, false);

	// Later transfers use Position 1 too.
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(std::vector<LPARAM>({ 0, 0 }), TransferPositions());
}

// The whole image is cleared, the 256 bytes past the position included, and shown.
TEST_F(PageTest, FormatSelectedClearsThatPositionOnly)
{
	m_page.m_host.m_bTailFill = 0xEE;
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION2);
	const CBytes strFirst = Position(0);
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(Concat({ Transfer(HM_WRITESAVE), Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<BYTE>(256, 0), m_page.m_host.m_calls[2].tail);
	EXPECT_EQ(std::vector<LPARAM>({ 1, 1 }), TransferPositions());
	EXPECT_EQ(CBytes(SAVE_POSITION_SIZE, 0), Position(1));
	EXPECT_EQ(CBytes(SAVE_POSITION_SIZE, 0), Snapshot());
	EXPECT_EQ(strFirst, Position(0));
	EXPECT_TRUE(m_modals.m_records.empty());
}

TEST_F(PageTest, FormatAllAsksAndWritesAllFourPositions)
{
	const CBytes strFourth = Position(3);
	m_modals.AnswerMessageBox(IDNO);
	m_page.Click(IDC_FORMAT_ALL);
	ASSERT_EQ(1u, m_modals.m_records.size());
	EXPECT_EQ("Are you sure to format all save positions?", m_modals.m_records[0].strText);
	EXPECT_EQ((UINT)(MB_ICONQUESTION | MB_YESNO), m_modals.m_records[0].nStyle);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_EQ(strFourth, Position(3));

	// All four are written whatever the cartridge says about several positions; the snapshot follows.
	m_page.Click(IDC_SHOW_SNAPSHOT);
	SetStatus(TRUE, TRUE, FALSE, FALSE);
	m_page.m_host.m_calls.clear();
	m_modals.AnswerMessageBox(IDYES);
	m_page.Click(IDC_FORMAT_ALL);
	EXPECT_EQ(Concat({ Transfer(HM_WRITESAVE), Transfer(HM_WRITESAVE), Transfer(HM_WRITESAVE), Transfer(HM_WRITESAVE),
		Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 0, 1, 2, 3, 0 }), TransferPositions());
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		EXPECT_EQ(CBytes(SAVE_POSITION_SIZE, 0), Position(nPosition)) << nPosition;
	EXPECT_EQ(CBytes(SAVE_POSITION_SIZE, 0), Snapshot());
	EXPECT_EQ(0u, m_modals.UnusedAnswers());
}

TEST_F(PageTest, TransfersWithoutCartridgeWarnAndSendNoTransfer)
{
	// The host took the cartridge out without telling the page.
	m_page.m_cartridge.m_bPresent = FALSE;
	m_modals.AnswerMessageBox(IDYES);
	m_page.Click(IDC_FORMAT_ALL);
	const Messages prepared = { HM_PREPARETRANSFER, HM_QUERYSTATUS };
	EXPECT_EQ(Concat({ prepared, prepared, prepared, prepared }), m_page.m_host.Messages());
	EXPECT_EQ(Texts({ "Are you sure to format all save positions?", kNoCartridge, kNoCartridge, kNoCartridge,
		kNoCartridge }), m_modals.MessageTexts());
	EXPECT_EQ((UINT)(MB_ICONEXCLAMATION | MB_OK), m_modals.m_records[1].nStyle);
	// Clicks run in the module's state: the box bears the module's name.
	EXPECT_EQ("Mendle", m_modals.m_records[1].strTitle);
}
