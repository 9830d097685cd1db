// The page against a recording host, answered by a modal driver, with a folder for its files.
#pragma once

#include "PageHarness.h"
#include "ModalDriver.h"
#include "res/resource.h"
#include <afxres.h>

using Messages = std::vector<UINT>;
using Texts = std::vector<std::string>;
using Calls = std::vector<std::pair<UINT, LPARAM>>;

inline const char kNoCartridge[] = "No cartridge detected!";

class PageTest : public testing::Test
{
protected:
	// Opening the page and showing it each refresh the status once.
	void SetUp() override
	{
		ASSERT_EQ(std::vector<UINT>({ HM_QUERYSTATUS, HM_QUERYSTATUS }), m_page.m_host.Messages());
		m_page.m_host.m_calls.clear();
	}

	void SetStatus(BOOL bLinkReady, BOOL bPresent, BOOL bMulti, BOOL bBlocked)
	{
		CCartridge& cart = m_page.m_cartridge;
		cart.m_bLinkReady = bLinkReady;
		cart.m_bPresent = bPresent;
		cart.m_bMultiPosition = bMulti;
		cart.m_bBlocked = bBlocked;
		m_page.m_host.NotifyStatusChanged();
	}

	// The buttons and Position 1 enabled as bEnable, Positions 2 to 4 as bMore, one position checked.
	void Expect(bool bEnable, bool bMore, int nChecked)
	{
		EXPECT_TRUE(m_page.IsEnabled(IDC_SNAPSHOT));
		for (int nID = IDC_POSITION1; nID <= IDC_POSITION4; ++nID)
			EXPECT_EQ(std::make_pair(nID == IDC_POSITION1 ? bEnable : bMore, nID - IDC_POSITION1 == nChecked),
				std::make_pair(m_page.IsEnabled(nID), m_page.IsChecked(nID))) << "Position " << nID - IDC_POSITION1 + 1;
		for (int nID : { IDC_READ_TO_DISK, IDC_WRITE_FROM_DISK, IDC_SHOW_SNAPSHOT, IDC_FORMAT_ALL, IDC_FORMAT_SELECTED })
			EXPECT_EQ(bEnable, m_page.IsEnabled(nID)) << "control " << nID;
	}

	// Clicks the button, then answers the file dialog and the message boxes as given.
	void ClickWithFile(int nID, const std::string& strPath, const std::vector<int>& answers = { IDOK })
	{
		m_modals.m_records.clear();
		m_page.m_host.m_calls.clear();
		m_modals.AnswerFileDialog(strPath);
		for (int nAnswer : answers)
			m_modals.AnswerMessageBox(nAnswer);
		m_page.Click(nID);
		EXPECT_EQ(0u, m_modals.UnusedAnswers());
		EXPECT_TRUE(m_page.m_host.IsWindowEnabled() && m_page.m_sheet.IsWindowEnabled());  // after the boxes that disabled them
	}

	// The host messages of the transfers given, after those given; a transfer of 0 finds no cartridge.
	static Calls Transfers(std::initializer_list<std::pair<UINT, LPARAM>> transfers, Calls all = {})
	{
		for (const auto& transfer : transfers)
		{
			all.insert(all.end(), { { HM_PREPARETRANSFER, 0 }, { HM_QUERYSTATUS, 0 } });
			if (transfer.first != 0)
				all.push_back(transfer);
		}
		return all;
	}

	// The host messages received, with each one's lParam (a transfer's position) and a prepare's wParam.
	Calls HostCalls() const
	{
		Calls calls;
		for (const CHostCall& call : m_page.m_host.m_calls)
			calls.emplace_back(call.nMsg, call.lParam | (call.nMsg == HM_PREPARETRANSFER ? (LPARAM)call.wParam : 0));
		return calls;
	}

	CBytes Position(int nPosition) const { return CBytes((const char*)m_page.m_cartridge.GetPosition(nPosition), SAVE_POSITION_SIZE); }

	// The bytes the snapshot holds, copied out of it as a user would.
	CBytes Snapshot()
	{
		HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
		PutBlock(CF_TEXT, "-");
		::SendMessage(hSnapshot, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
		::SendMessage(hSnapshot, WM_COMMAND, ID_EDIT_COPY, 0);
		CBytes block = ClipboardBlock(kBinaryData);
		return block.size() > 4 ? block.substr(4) : CBytes();
	}

	CModalDriver m_modals;
	CPageHarness m_page;
	CTempFolder m_folder;
};
