// The page against a recording host, answered by a modal driver.
#pragma once

#include "PageHarness.h"
#include "ModalDriver.h"
#include "res/resource.h"
#include <gtest/gtest.h>

using Messages = std::vector<UINT>;

inline const char kNoCartridge[] = "No cartridge detected!";
inline const char kTrovesaveWarning[] = "This cartridge uses Trovesave!\n\nIt is strongly recommended to not make "
	"any changes to the cartridge's save RAM area with this tool if using Trovesave!";

inline const int kFiveButtons[] = { IDC_READ_TO_DISK, IDC_WRITE_FROM_DISK, IDC_SHOW_SNAPSHOT, IDC_FORMAT_ALL,
	IDC_FORMAT_SELECTED, IDC_POSITION1 };
inline const int kMorePositions[] = { IDC_POSITION2, IDC_POSITION3, IDC_POSITION4 };

class PageTest : public testing::Test
{
protected:
	void SetUp() override
	{
		m_page.m_host.m_calls.clear();
	}

	void SetStatus(BOOL bLinkReady, BOOL bPresent, BOOL bMulti, BOOL bBlocked)
	{
		CCartridge& cart = m_page.m_cartridge;
		cart.m_bLinkReady = bLinkReady;
		cart.m_bPresent = bPresent;
		cart.m_bMultiPosition = bMulti;
		cart.m_bBlocked = bBlocked;
	}

	void ExpectEnabling(bool bEnable, bool bMore)
	{
		for (int nID : kFiveButtons)
			EXPECT_EQ(bEnable, m_page.IsEnabled(nID)) << "control " << nID;
		for (int nID : kMorePositions)
			EXPECT_EQ(bMore, m_page.IsEnabled(nID)) << "control " << nID;
		EXPECT_TRUE(m_page.IsEnabled(IDC_SNAPSHOT));
	}

	void ExpectPosition(int nChecked)
	{
		for (int i = 0; i < 4; ++i)
			EXPECT_EQ(i == nChecked, m_page.IsChecked(IDC_POSITION1 + i)) << "Position " << i + 1;
	}

	// The transfer of one position as the page performs it.
	static Messages Transfer(UINT nMsg)
	{
		return { HM_PREPARETRANSFER, HM_QUERYSTATUS, nMsg };
	}

	static Messages Concat(std::initializer_list<Messages> parts)
	{
		Messages all;
		for (const Messages& part : parts)
			all.insert(all.end(), part.begin(), part.end());
		return all;
	}

	// Positions of the transfer messages recorded, in order.
	std::vector<LPARAM> TransferPositions() const
	{
		std::vector<LPARAM> positions;
		for (const CHostCall& call : m_page.m_host.m_calls)
			if (call.nMsg == HM_READSAVE || call.nMsg == HM_WRITESAVE)
				positions.push_back(call.lParam);
		return positions;
	}

	CModalDriver m_modals;
	CPageHarness m_page;
};
