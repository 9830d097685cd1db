#include "PageHarness.h"

CPageHarness::CPageHarness()
	: m_cartridge(m_session.GetCartridge()), m_host(m_session), m_pPage(NULL), m_sheet(_T("Corvel host"))
{
	CString strError;
	EXPECT_TRUE(m_plugin.Load(ModulePath().c_str(), strError)) << (LPCTSTR)strError;
	EXPECT_TRUE(m_host.Create());
	m_host.AddPlugin(&m_plugin);
	m_pPage = m_plugin.GetPropertyPage(&m_host);
	m_sheet.AddPage(m_pPage);
	EXPECT_TRUE(m_sheet.Create(&m_host));
}

CPageHarness::~CPageHarness()
{
	m_sheet.DestroyWindow();
	delete m_pPage;
	m_host.DestroyWindow();
}

// A click as the user makes it; a disabled button cannot be clicked.
void CPageHarness::Click(int nID)
{
	ASSERT_TRUE(IsEnabled(nID)) << "control " << nID << " is disabled";
	::SendMessage(Item(nID), BM_CLICK, 0, 0);
}
