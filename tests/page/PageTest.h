// The page against a recording host, answered by a modal driver, with a folder for its files.
#pragma once

#include "PageHarness.h"
#include "ModalDriver.h"
#include "Harness.h"
#include "res/resource.h"
#include <afxres.h>

using Messages = std::vector<UINT>;
using Texts = std::vector<std::string>;
using Positions = std::vector<LPARAM>;

inline const char kNoCartridge[] = "No cartridge detected!";

class PageTest : public testing::Test
{
protected:
	void SetUp() override
	{
		m_page.m_host.m_calls.clear();
		char szTemp[MAX_PATH];
		::GetTempPathA(MAX_PATH, szTemp);
		m_strDir = std::string(szTemp) + "mendle-" + testing::UnitTest::GetInstance()->current_test_info()->name();
		::CreateDirectoryA(m_strDir.c_str(), NULL);
	}

	void TearDown() override
	{
		for (const std::string& strPath : m_created)
		{
			::SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
			::DeleteFileA(strPath.c_str());
		}
		::RemoveDirectoryA(m_strDir.c_str());
	}

	void SetStatus(BOOL bLinkReady, BOOL bPresent, BOOL bMulti, BOOL bBlocked)
	{
		CCartridge& cart = m_page.m_cartridge;
		cart.m_bLinkReady = bLinkReady;
		cart.m_bPresent = bPresent;
		cart.m_bMultiPosition = bMulti;
		cart.m_bBlocked = bBlocked;
		m_page.StatusChanged();
	}

	// Read, write, snapshot, both formats and Position 1 enabled as bEnable, Positions 2 to 4 as bMore.
	void ExpectEnabling(bool bEnable, bool bMore)
	{
		for (int nID : { IDC_READ_TO_DISK, IDC_WRITE_FROM_DISK, IDC_SHOW_SNAPSHOT, IDC_FORMAT_ALL, IDC_FORMAT_SELECTED,
			IDC_POSITION1, IDC_POSITION2, IDC_POSITION3, IDC_POSITION4 })
			EXPECT_EQ(nID >= IDC_POSITION2 && nID <= IDC_POSITION4 ? bMore : bEnable, m_page.IsEnabled(nID)) << "control " << nID;
	}

	void ExpectPosition(int nChecked)
	{
		for (int i = 0; i < 4; ++i)
			EXPECT_EQ(i == nChecked, m_page.IsChecked(IDC_POSITION1 + i)) << "Position " << i + 1;
	}

	// Clicks the button, the file dialog and then the message boxes answered as given.
	void ClickWithFile(int nID, const std::string& strPath, const std::vector<int>& answers = { IDOK })
	{
		m_modals.m_records.clear();
		m_page.m_host.m_calls.clear();
		m_modals.AnswerFileDialog(strPath);
		for (int nAnswer : answers)
			m_modals.AnswerMessageBox(nAnswer);
		m_page.Click(nID);
		EXPECT_EQ(0u, m_modals.UnusedAnswers());
	}

	// A file in the test's folder, written when bytes are given.
	std::string Path(const char* pszName, const std::string& strBytes = std::string())
	{
		m_created.push_back(m_strDir + "\\" + pszName);
		if (!strBytes.empty())
			WriteBytes(m_created.back(), strBytes);
		return m_created.back();
	}

	// The transfer of one position as the page performs it.
	static Messages Transfer(UINT nMsg) { return { HM_PREPARETRANSFER, HM_QUERYSTATUS, nMsg }; }

	static Messages Concat(std::initializer_list<Messages> parts)
	{
		Messages all;
		for (const Messages& part : parts)
			all.insert(all.end(), part.begin(), part.end());
		return all;
	}

	Positions TransferPositions() const
	{
		Positions positions;
		for (const CHostCall& call : m_page.m_host.m_calls)
			if (call.nMsg == HM_READSAVE || call.nMsg == HM_WRITESAVE)
				positions.push_back(call.lParam);
		return positions;
	}

	CBytes Position(int nPosition) const { return CBytes((const char*)m_page.m_cartridge.GetPosition(nPosition), SAVE_POSITION_SIZE); }

	// The bytes the snapshot holds, copied out of it as a user would.
	CBytes Snapshot()
	{
		HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
		PutBlock(CF_TEXT, "-");
		::SendMessage(hSnapshot, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
		::SendMessage(hSnapshot, WM_COMMAND, ID_EDIT_COPY, 0);
		CBytes block = ClipboardBlock(::RegisterClipboardFormat(_T("BinaryData")));
		return block.size() > 4 ? block.substr(4) : CBytes();
	}

	CModalDriver m_modals;
	CPageHarness m_page;
	std::string m_strDir;
	std::vector<std::string> m_created;
};
