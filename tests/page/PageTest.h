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
	void SetUp() override;
	void TearDown() override;

	void SetStatus(BOOL bLinkReady, BOOL bPresent, BOOL bMulti, BOOL bBlocked);
	// Read, write, snapshot, both formats and Position 1 enabled as bEnable, Positions 2 to 4 as bMore.
	void ExpectEnabling(bool bEnable, bool bMore);
	void ExpectPosition(int nChecked);
	// Clicks the button, the file dialog and then the message boxes answered as given.
	void ClickWithFile(int nID, const std::string& strPath, const std::vector<int>& answers = { IDOK });
	// A file in the test's folder, written when bytes are given.
	std::string Path(const char* pszName, const std::string& strBytes = std::string());

	// The transfer of one position as the page performs it.
	static Messages Transfer(UINT nMsg) { return { HM_PREPARETRANSFER, HM_QUERYSTATUS, nMsg }; }
	static Messages Concat(std::initializer_list<Messages> parts);
	Positions TransferPositions() const;
	CBytes Position(int nPosition) const { return CBytes((const char*)m_page.m_cartridge.GetPosition(nPosition), SAVE_POSITION_SIZE); }
	// The bytes the snapshot holds, copied out of it as a user would.
	CBytes Snapshot();

	CModalDriver m_modals;
	CPageHarness m_page;
	std::string m_strDir;
	std::vector<std::string> m_created;
};
