// Status refresh, enabling, fallback, Trovesave, the snapshot and the transfers of positions.
#include "PageTest.h"
#include <cctype>

// The module remembers the last warned cartridge for the whole process, so no other test may show
// a Trovesave one. The identity is remembered before the box shows: a refresh while it is up must
// not warn again. Host events run in the host's module state, so that box bears the host's name.
TEST_F(PageTest, StatusRefreshSetsEnablingAndTrovesaveWarningOncePerNewCartridgeAndSelectionFallsBack)
{
	EXPECT_EQ(CBytes(), Snapshot());
	const DWORD T = 0x35314742;  // the magic of a Trovesave cartridge
	struct Case { BOOL bLink, bPresent, bMulti, bBlocked; bool bWide; DWORD dwMagic, dwCartId; bool bEnable, bMore, bWarning; } cases[] = {
		{ 1, 1, 0, 0, false, 0, 0, true, false, false }, { 1, 1, 1, 0, false, 0, 0, true, true, false }, { 0, 1, 1, 0, false, 0, 0, false, false, false },
		{ 1, 0, 1, 0, false, 0, 0, false, false, false }, { 1, 1, 1, 1, false, 0, 0, false, false, false }, { 0, 0, 0, 0, false, 0, 0, false, false, false },
		{ 1, 1, 1, 0, true, 0, 0, true, true, false }, { 1, 1, 1, 1, true, 0, 0, false, false, false }, { 1, 1, 1, 0, false, T, 0, true, true, false },
		{ 1, 1, 1, 0, false, T, 7, true, true, true }, { 1, 1, 1, 0, false, T, 7, true, true, false }, { 1, 1, 1, 0, false, T, 0x107, true, true, true },
		{ 1, 1, 1, 0, false, T, 7, true, true, true }, { 1, 1, 1, 0, false, 0, 9, true, true, false }, { 1, 1, 1, 0, false, T, 7, true, true, false },
		{ 1, 1, 1, 0, false, 0x42473135, 11, true, true, false },
	};
	m_modals.m_onMessageBox = [this]() {
		if (m_modals.m_records.size() == 1)
			m_page.m_host.NotifyStatusChanged();
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(testing::Message() << c.bLink << c.bPresent << c.bMulti << c.bBlocked << (c.bWide ? " as 2 and 0x10000" : "") << ", cartridge " << c.dwCartId);
		m_page.m_host.m_calls.clear();
		m_modals.m_records.clear();
		m_page.m_host.m_bWideFlags = c.bWide;
		m_page.m_host.m_dwMagic = c.dwMagic;
		m_page.m_cartridge.m_dwCartId = c.dwCartId;
		SetStatus(c.bLink, c.bPresent, c.bMulti, c.bBlocked);
		EXPECT_EQ(std::make_tuple(Messages(c.bWarning ? 2 : 1, HM_QUERYSTATUS), c.dwMagic == T, c.dwMagic == T),
			std::make_tuple(m_page.m_host.Messages(), m_page.IsVisible(IDC_WARNING_ICON), m_page.IsVisible(IDC_TROVESAVE_NOTE)));
		Expect(c.bEnable, c.bMore, 0);
		ASSERT_EQ(c.bWarning ? 1u : 0u, m_modals.m_records.size());
		for (const CModalRecord& record : m_modals.m_records)
			EXPECT_EQ(std::make_tuple(std::string("This cartridge uses Trovesave!\n\nIt is strongly recommended to not make any "
				"changes to the cartridge's save RAM area with this tool if using Trovesave!"), std::string("Mendle tests"),
				(UINT)(MB_ICONEXCLAMATION | MB_OK)), std::make_tuple(record.strText, record.strTitle, record.nStyle));
	}
	m_page.m_host.m_calls.clear();
	for (UINT nMsg : { 0x8001u, 0x8002u, 0x8004u, 0x811Du, 0x0010u, 0x8000u, 0x811Eu, 0xC000u })
		EXPECT_EQ(1, m_page.m_plugin.ReceiveMessage(nMsg, 1, 2));
	m_page.m_pPage->ShowWindow(SW_HIDE);
	m_page.m_pPage->ShowWindow(SW_SHOW);
	EXPECT_EQ(std::make_pair(Messages({ HM_QUERYSTATUS, HM_QUERYSTATUS, HM_QUERYSTATUS }), true), std::make_pair(m_page.m_host.Messages(), m_modals.m_records.empty()));
	m_modals.m_onMessageBox = nullptr;
	m_page.Click(IDC_POSITION2);
	SetStatus(TRUE, TRUE, FALSE, TRUE);
	SetStatus(FALSE, TRUE, FALSE, FALSE);
	Expect(false, false, 1);
	SetStatus(TRUE, FALSE, FALSE, FALSE);
	Expect(false, false, 0);

	SetStatus(TRUE, TRUE, TRUE, FALSE);
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION3);
	m_page.m_host.m_calls.clear();
	SetStatus(TRUE, FALSE, FALSE, FALSE);
	ASSERT_EQ(std::make_pair(Transfers({ { 0, 0 } }, { { HM_QUERYSTATUS, 0 } }), Texts({ kNoCartridge })), std::make_pair(HostCalls(), m_modals.MessageTexts()));
	EXPECT_EQ((UINT)(MB_ICONEXCLAMATION | MB_OK), m_modals.m_records[0].nStyle);
	Expect(false, false, 0);

	SetStatus(TRUE, TRUE, TRUE, FALSE);
	m_page.Click(IDC_POSITION4);
	m_page.m_host.m_calls.clear();
	SetStatus(TRUE, TRUE, FALSE, FALSE);
	m_page.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(Transfers({ { HM_READSAVE, 0 }, { HM_WRITESAVE, 0 }, { HM_READSAVE, 0 } }, { { HM_QUERYSTATUS, 0 } }), HostCalls());
	Expect(true, false, 0);
}

// The box's own state counts, however it was set. The second row shows the next bytes of the
// position read last: each read is painted. Formatting clears the 256 bytes past the position too.
TEST_F(PageTest, SnapshotShowsPositionsReadOnlyWhileShownAndFormatSelectedClearsOne)
{
	m_page.m_host.m_bTailFill = 0xEE;
	HCURSOR hCross = ::LoadCursor(NULL, IDC_CROSS);
	::SetCursor(hCross);
	m_page.Click(IDC_POSITION3);
	m_page.Click(IDC_SHOW_SNAPSHOT);
	EXPECT_EQ(std::make_pair(Position(2), hCross), std::make_pair(Snapshot(), ::GetCursor()));
	m_page.Click(IDC_POSITION4);
	m_page.Click(IDC_POSITION1);
	PumpMessages();
	m_page.Click(IDC_POSITION2);
	PumpMessages();
	HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
	CRect rc;
	::GetClientRect(hSnapshot, &rc);
	const CSize cell = StockFontCell();
	const int nBytes = (rc.Width() - 10 - 4 * cell.cx - 10 + cell.cx) / (4 * cell.cx), xAscii = 10 + (3 * nBytes + 3) * cell.cx + 5;
	ASSERT_GE(nBytes, 8);
	std::string strAscii = Position(1).substr(nBytes, nBytes);
	for (char& ch : strAscii)
		ch = std::isprint((BYTE)ch) ? ch : '.';
	EXPECT_TRUE(ShowsText(hSnapshot, CRect(5, 5, 5 + 4 * cell.cx, 5 + cell.cy), RGB(255, 0, 0), "0000"));
	EXPECT_TRUE(ShowsText(hSnapshot, CRect(xAscii, 5 + cell.cy, rc.right, 5 + 2 * cell.cy), RGB(0, 255, 0), strAscii.c_str())) << strAscii;
	EXPECT_EQ(Transfers({ { HM_READSAVE, 2 }, { HM_READSAVE, 3 }, { HM_READSAVE, 0 }, { HM_READSAVE, 1 } }), HostCalls());
	for (const CHostCall& call : m_page.m_host.m_calls)
		EXPECT_TRUE(call.bWaitCursor);
	EXPECT_EQ(Position(1), Snapshot());
	Expect(true, true, 1);

	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION1);
	EXPECT_EQ(std::make_pair(Calls(), Position(1)), std::make_pair(HostCalls(), Snapshot()));
	::SendMessage(m_page.Item(IDC_SHOW_SNAPSHOT), BM_SETCHECK, BST_CHECKED, 0);
	m_page.Click(IDC_POSITION3);
	EXPECT_EQ(Calls({ { 0x811B, 0 }, { 0x8105, 0 }, { 0x8115, 2 } }), HostCalls());  // prepare, query, read
	const CBytes second = Position(1);
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(Transfers({ { HM_WRITESAVE, 2 }, { HM_READSAVE, 2 } }), HostCalls());
	EXPECT_EQ(std::vector<BYTE>(256, 0), m_page.m_host.m_calls[2].tail);
	EXPECT_EQ(std::make_tuple(CBytes(SAVE_POSITION_SIZE, 0), CBytes(SAVE_POSITION_SIZE, 0), second),
		std::make_tuple(Position(2), Snapshot(), Position(1)));
	EXPECT_TRUE(m_modals.m_records.empty());
	Expect(true, true, 2);
}

// Format all writes all four whatever the cartridge says about several positions. Clicks run in
// the module's state: the boxes bear its name.
TEST_F(PageTest, FormatAllAsksAndWritesAllFourPositions)
{
	const CBytes fourth = Position(3);
	const std::string strAsk = "Are you sure to format all save positions?";
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.m_host.m_calls.clear();
	m_modals.AnswerMessageBox(IDNO);
	m_page.Click(IDC_FORMAT_ALL);
	ASSERT_EQ(std::make_tuple(Texts({ strAsk }), Calls(), fourth), std::make_tuple(m_modals.MessageTexts(), HostCalls(), Position(3)));
	EXPECT_EQ(std::make_pair((UINT)(MB_ICONQUESTION | MB_YESNO), std::string("Mendle")),
		std::make_pair(m_modals.m_records[0].nStyle, m_modals.m_records[0].strTitle));
	m_page.m_cartridge.m_bPresent = FALSE;
	m_page.Click(IDC_POSITION1);  // nothing read: the snapshot shows the image
	EXPECT_EQ(Position(0), Snapshot());
	m_modals.AnswerMessageBox(IDYES);
	m_page.Click(IDC_FORMAT_ALL);  // four writes, then the snapshot's read
	EXPECT_EQ(Texts({ strAsk, kNoCartridge, strAsk, kNoCartridge, kNoCartridge, kNoCartridge, kNoCartridge, kNoCartridge }),
		m_modals.MessageTexts());

	SetStatus(TRUE, TRUE, FALSE, FALSE);
	m_page.m_host.m_calls.clear();
	m_modals.AnswerMessageBox(IDYES);
	m_page.Click(IDC_FORMAT_ALL);
	EXPECT_EQ(Transfers({ { HM_WRITESAVE, 0 }, { HM_WRITESAVE, 1 }, { HM_WRITESAVE, 2 }, { HM_WRITESAVE, 3 }, { HM_READSAVE, 0 } }), HostCalls());
	EXPECT_EQ(CBytes(4 * SAVE_POSITION_SIZE, 0), CBytes((const char*)m_page.m_cartridge.GetPosition(0), 4 * SAVE_POSITION_SIZE));
	EXPECT_EQ(CBytes(SAVE_POSITION_SIZE, 0), Snapshot());
}
