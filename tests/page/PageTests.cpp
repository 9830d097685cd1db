// Status refresh, enabling, fallback, Trovesave and the position transfers.
#include "PageTest.h"

// Kept first: the module remembers the last warned cartridge for the whole process.
TEST_F(PageTest, TrovesaveWarningOncePerNewCartridge)
{
	struct Step { bool bTrovesave; DWORD dwCartId; bool bWarning; };
	const Step steps[] = {
		{ true, 0, false },  // the remembered identity starts at 0
		{ true, 7, true }, { true, 7, false }, { true, 8, true }, { true, 7, true },
		{ false, 9, false }, // a cartridge without Trovesave leaves the remembered identity alone
		{ true, 7, false },
	};
	m_page.m_host.m_bOverrideMagic = true;
	for (const Step& step : steps)
	{
		m_modals.m_records.clear();
		m_page.m_host.m_dwMagic = step.bTrovesave ? TROVESAVE_MAGIC : 0;
		m_page.m_cartridge.m_dwCartId = step.dwCartId;
		m_page.StatusChanged();
		SCOPED_TRACE(testing::Message() << "cartridge " << step.dwCartId);
		EXPECT_EQ(step.bTrovesave, m_page.IsVisible(IDC_WARNING_ICON));
		EXPECT_EQ(step.bTrovesave, m_page.IsVisible(IDC_TROVESAVE_NOTE));
		if (step.bWarning)
		{
			ASSERT_EQ(1u, m_modals.m_records.size());
			EXPECT_EQ(kTrovesaveWarning, m_modals.m_records[0].strText);
			EXPECT_EQ((UINT)MB_ICONEXCLAMATION, m_modals.m_records[0].nIcon);
			EXPECT_EQ((UINT)MB_OK, m_modals.m_records[0].nButtons);
		}
		else
		{
			EXPECT_TRUE(m_modals.m_records.empty());
		}
	}

	// The magic bytes in reverse order are no Trovesave cartridge.
	m_modals.m_records.clear();
	m_page.m_host.m_dwMagic = 0x42473135;
	m_page.m_cartridge.m_dwCartId = 11;
	m_page.StatusChanged();
	EXPECT_FALSE(m_page.IsVisible(IDC_WARNING_ICON));
	EXPECT_FALSE(m_page.IsVisible(IDC_TROVESAVE_NOTE));
	EXPECT_TRUE(m_modals.m_records.empty());
}

TEST_F(PageTest, FreshPageShowsPositionOneAndEmptySnapshot)
{
	ExpectPosition(0);
	EXPECT_FALSE(m_page.IsChecked(IDC_SHOW_SNAPSHOT));
	EXPECT_FALSE(m_page.IsVisible(IDC_WARNING_ICON));
	EXPECT_FALSE(m_page.IsVisible(IDC_TROVESAVE_NOTE));
	EXPECT_EQ(0, ::GetWindowTextLength(m_page.Item(IDC_SNAPSHOT)));
	EXPECT_TRUE(m_modals.m_records.empty());
}

TEST_F(PageTest, StatusRefreshSendsOneQueryAndSetsEnabling)
{
	struct Case { BOOL bLink, bPresent, bMulti, bBlocked; bool bEnable, bMore; };
	const Case cases[] = {
		{ 1, 1, 0, 0, true, false }, { 1, 1, 1, 0, true, true }, { 0, 1, 1, 0, false, false },
		{ 1, 0, 1, 0, false, false }, { 1, 1, 1, 1, false, false }, { 0, 0, 0, 0, false, false },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(testing::Message() << "link " << c.bLink << " present " << c.bPresent << " multi "
			<< c.bMulti << " blocked " << c.bBlocked);
		SetStatus(c.bLink, c.bPresent, c.bMulti, c.bBlocked);
		m_page.m_host.m_calls.clear();
		EXPECT_EQ(1, m_page.m_plugin.ReceiveMessage(HM_STATUSCHANGED, 12, 34));
		EXPECT_EQ(Messages({ HM_QUERYSTATUS }), m_page.m_host.Messages());
		EXPECT_NE(0u, m_page.m_host.m_calls[0].wParam);
		EXPECT_EQ(0, m_page.m_host.m_calls[0].lParam);
		ExpectEnabling(c.bEnable, c.bMore);
		ExpectPosition(0);
	}
}

TEST_F(PageTest, HostEventsOtherThanStatusChangedDoNothing)
{
	for (UINT nMsg : { 0x8001u, 0x8002u, 0x811Du })
		EXPECT_EQ(1, m_page.m_plugin.ReceiveMessage(nMsg, 1, 2));
	for (UINT nMsg : { 0x0010u, 0x8000u, 0x811Eu, 0xC000u })
		EXPECT_EQ(1, m_page.m_plugin.ReceiveMessage(nMsg, 1, 2));
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_EQ(1, m_page.m_plugin.ReceiveMessage(HM_STATUSCHANGED, 0, 0));
	EXPECT_EQ(Messages({ HM_QUERYSTATUS }), m_page.m_host.Messages());
}

TEST_F(PageTest, PositionsReadTheSnapshotOnlyWhileItIsShown)
{
	m_page.Click(IDC_POSITION3);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());

	// Checking the box shows the image at once, then reads the selected position.
	m_page.Click(IDC_SHOW_SNAPSHOT);
	EXPECT_EQ(Transfer(HM_READSAVE), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 2 }), TransferPositions());

	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_POSITION4);
	m_page.Click(IDC_POSITION2);
	EXPECT_EQ(Concat({ Transfer(HM_READSAVE), Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 3, 1 }), TransferPositions());
	ExpectPosition(1);

	// Unchecked, the snapshot keeps what it showed and nothing is read.
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION1);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_TRUE(m_modals.m_records.empty());
}

TEST_F(PageTest, TransfersShowTheWaitCursorAndRestoreIt)
{
	HCURSOR hArrow = ::LoadCursor(NULL, IDC_ARROW);
	::SetCursor(hArrow);
	m_page.Click(IDC_SHOW_SNAPSHOT);
	ASSERT_EQ(3u, m_page.m_host.m_calls.size());
	for (const CHostCall& call : m_page.m_host.m_calls)
		EXPECT_TRUE(call.bWaitCursor);
	EXPECT_EQ(hArrow, ::GetCursor());
	// The image travels by address; read and write use the same buffer.
	EXPECT_NE(0u, m_page.m_host.m_calls[2].wParam);
}

TEST_F(PageTest, SelectionFallsBackToPositionOneWithoutSeveralPositions)
{
	m_page.Click(IDC_POSITION3);
	SetStatus(TRUE, FALSE, FALSE, FALSE);
	m_page.StatusChanged();
	ExpectPosition(0);
	EXPECT_EQ(Messages({ HM_QUERYSTATUS }), m_page.m_host.Messages());
	ExpectEnabling(false, false);

	// With the snapshot shown, the fallback reads position 1, even with no cartridge.
	SetStatus(TRUE, TRUE, TRUE, FALSE);
	m_page.StatusChanged();
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION3);
	m_page.m_host.m_calls.clear();
	SetStatus(TRUE, FALSE, FALSE, FALSE);
	m_page.StatusChanged();
	EXPECT_EQ(Messages({ HM_QUERYSTATUS, HM_PREPARETRANSFER, HM_QUERYSTATUS }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<std::string>({ kNoCartridge }), m_modals.MessageTexts());
	ExpectPosition(0);

	// With the cartridge present the fallback's read goes through.
	SetStatus(TRUE, TRUE, TRUE, FALSE);
	m_page.StatusChanged();
	m_page.Click(IDC_POSITION4);
	m_page.m_host.m_calls.clear();
	SetStatus(TRUE, TRUE, FALSE, FALSE);
	m_page.StatusChanged();
	EXPECT_EQ(Concat({ { HM_QUERYSTATUS }, Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 0 }), TransferPositions());
	ExpectEnabling(true, false);

	// Later transfers use Position 1 too.
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(std::vector<LPARAM>({ 0, 0 }), TransferPositions());
}

TEST_F(PageTest, BlockedOrUnreadyCartridgeKeepsTheSelection)
{
	m_page.Click(IDC_POSITION3);
	SetStatus(TRUE, TRUE, FALSE, TRUE);
	m_page.StatusChanged();
	ExpectPosition(2);
	ExpectEnabling(false, false);
	SetStatus(FALSE, TRUE, FALSE, FALSE);
	m_page.StatusChanged();
	ExpectPosition(2);
	EXPECT_EQ(Messages({ HM_QUERYSTATUS, HM_QUERYSTATUS }), m_page.m_host.Messages());
}

// The whole image is cleared, the 256 bytes past the position included.
TEST_F(PageTest, FormatSelectedClearsThatPositionOnly)
{
	m_page.m_host.m_bTailFill = 0xEE;
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION2);
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(Concat({ Transfer(HM_WRITESAVE), Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<BYTE>(256, 0), m_page.m_host.m_calls[2].tail);
	EXPECT_EQ(std::vector<LPARAM>({ 1, 1 }), TransferPositions());
	const BYTE* pCleared = m_page.m_cartridge.GetPosition(1);
	EXPECT_EQ(std::vector<BYTE>(SAVE_POSITION_SIZE, 0), std::vector<BYTE>(pCleared, pCleared + SAVE_POSITION_SIZE));
	EXPECT_NE(0, m_page.m_cartridge.GetPosition(0)[0]);
	EXPECT_TRUE(m_modals.m_records.empty());
}

TEST_F(PageTest, FormatAllAsksAndWritesAllFourPositions)
{
	std::vector<BYTE> abBefore(m_page.m_cartridge.GetPosition(3), m_page.m_cartridge.GetPosition(3) + 16);
	m_modals.AnswerMessageBox(IDNO);
	m_page.Click(IDC_FORMAT_ALL);
	ASSERT_EQ(1u, m_modals.m_records.size());
	EXPECT_EQ("Are you sure to format all save positions?", m_modals.m_records[0].strText);
	EXPECT_EQ((UINT)MB_ICONQUESTION, m_modals.m_records[0].nIcon);
	EXPECT_EQ((UINT)MB_YESNO, m_modals.m_records[0].nButtons);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_EQ(abBefore, std::vector<BYTE>(m_page.m_cartridge.GetPosition(3), m_page.m_cartridge.GetPosition(3) + 16));

	// All four are written whatever the cartridge says about several positions.
	SetStatus(TRUE, TRUE, FALSE, FALSE);
	m_page.StatusChanged();
	m_page.m_host.m_calls.clear();
	m_modals.AnswerMessageBox(IDYES);
	m_page.Click(IDC_FORMAT_ALL);
	Messages four = Concat({ Transfer(HM_WRITESAVE), Transfer(HM_WRITESAVE), Transfer(HM_WRITESAVE),
		Transfer(HM_WRITESAVE) });
	EXPECT_EQ(four, m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 0, 1, 2, 3 }), TransferPositions());
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
	{
		const BYTE* p = m_page.m_cartridge.GetPosition(nPosition);
		EXPECT_EQ(std::vector<BYTE>(SAVE_POSITION_SIZE, 0), std::vector<BYTE>(p, p + SAVE_POSITION_SIZE));
	}
	EXPECT_EQ(0u, m_modals.UnusedAnswers());
}

TEST_F(PageTest, TransfersWithoutCartridgeWarnAndSendNoTransfer)
{
	// The host took the cartridge out without telling the page.
	m_page.m_cartridge.m_bPresent = FALSE;
	m_modals.AnswerMessageBox(IDYES);
	m_page.Click(IDC_FORMAT_ALL);
	Messages prepared = { HM_PREPARETRANSFER, HM_QUERYSTATUS };
	EXPECT_EQ(Concat({ prepared, prepared, prepared, prepared }), m_page.m_host.Messages());
	std::vector<std::string> expected = { "Are you sure to format all save positions?", kNoCartridge,
		kNoCartridge, kNoCartridge, kNoCartridge };
	EXPECT_EQ(expected, m_modals.MessageTexts());
	EXPECT_EQ((UINT)MB_ICONEXCLAMATION, m_modals.m_records[1].nIcon);
	EXPECT_EQ((UINT)MB_OK, m_modals.m_records[1].nButtons);

	m_modals.m_records.clear();
	m_page.m_host.m_calls.clear();
	m_page.Click(IDC_FORMAT_SELECTED);
	EXPECT_EQ(prepared, m_page.m_host.Messages());
	EXPECT_EQ(std::vector<std::string>({ kNoCartridge }), m_modals.MessageTexts());
}
