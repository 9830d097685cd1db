#include "PageTest.h"

void PageTest::SetUp()
{
	m_page.m_host.m_calls.clear();
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	m_strDir = std::string(szTemp) + "mendle-" + testing::UnitTest::GetInstance()->current_test_info()->name();
	::CreateDirectoryA(m_strDir.c_str(), NULL);
}

void PageTest::TearDown()
{
	for (const std::string& strPath : m_created)
	{
		::SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
		::DeleteFileA(strPath.c_str());
	}
	::RemoveDirectoryA(m_strDir.c_str());
}

void PageTest::SetStatus(BOOL bLinkReady, BOOL bPresent, BOOL bMulti, BOOL bBlocked)
{
	CCartridge& cart = m_page.m_cartridge;
	cart.m_bLinkReady = bLinkReady;
	cart.m_bPresent = bPresent;
	cart.m_bMultiPosition = bMulti;
	cart.m_bBlocked = bBlocked;
	m_page.StatusChanged();
}

void PageTest::ExpectEnabling(bool bEnable, bool bMore)
{
	for (int nID : { IDC_READ_TO_DISK, IDC_WRITE_FROM_DISK, IDC_SHOW_SNAPSHOT, IDC_FORMAT_ALL, IDC_FORMAT_SELECTED, IDC_POSITION1,
		IDC_POSITION2, IDC_POSITION3, IDC_POSITION4 })
		EXPECT_EQ(nID >= IDC_POSITION2 && nID <= IDC_POSITION4 ? bMore : bEnable, m_page.IsEnabled(nID)) << "control " << nID;
}

void PageTest::ExpectPosition(int nChecked)
{
	for (int i = 0; i < 4; ++i)
		EXPECT_EQ(i == nChecked, m_page.IsChecked(IDC_POSITION1 + i)) << "Position " << i + 1;
}

void PageTest::ClickWithFile(int nID, const std::string& strPath, const std::vector<int>& answers)
{
	m_modals.m_records.clear();
	m_page.m_host.m_calls.clear();
	m_modals.AnswerFileDialog(strPath);
	for (int nAnswer : answers)
		m_modals.AnswerMessageBox(nAnswer);
	m_page.Click(nID);
	EXPECT_EQ(0u, m_modals.UnusedAnswers());
}

std::string PageTest::Path(const char* pszName, const std::string& strBytes)
{
	m_created.push_back(m_strDir + "\\" + pszName);
	if (!strBytes.empty())
		WriteBytes(m_created.back(), strBytes);
	return m_created.back();
}

Messages PageTest::Concat(std::initializer_list<Messages> parts)
{
	Messages all;
	for (const Messages& part : parts)
		all.insert(all.end(), part.begin(), part.end());
	return all;
}

Positions PageTest::TransferPositions() const
{
	Positions positions;
	for (const CHostCall& call : m_page.m_host.m_calls)
		if (call.nMsg == HM_READSAVE || call.nMsg == HM_WRITESAVE)
			positions.push_back(call.lParam);
	return positions;
}

CBytes PageTest::Snapshot()
{
	HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
	PutBlock(CF_TEXT, "-");
	::SendMessage(hSnapshot, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
	::SendMessage(hSnapshot, WM_COMMAND, ID_EDIT_COPY, 0);
	CBytes block = ClipboardBlock(::RegisterClipboardFormat(_T("BinaryData")));
	return block.size() > 4 ? block.substr(4) : CBytes();
}
