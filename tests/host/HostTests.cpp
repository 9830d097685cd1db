// The stand-in host's cartridge, host window and plug-in loading.
#include "PageHarness.h"
#include <gtest/gtest.h>
#include <cstring>
#include <set>

TEST(HostCartridge, StatusRecordCarriesEveryField)
{
	CCartridge cart;
	CARTSTATUS status;
	std::memset(&status, 0xCC, sizeof(status));
	cart.m_bLinkReady = TRUE;
	cart.m_bPresent = FALSE;
	cart.m_bMultiPosition = TRUE;
	cart.m_bBlocked = TRUE;
	cart.m_bTrovesave = TRUE;
	cart.m_dwCartId = 0x12345678;
	cart.FillStatus(status);
	const BYTE* pRaw = reinterpret_cast<const BYTE*>(&status);
	EXPECT_EQ(1, pRaw[2]);
	EXPECT_EQ(0, pRaw[3]);
	EXPECT_EQ(1u, *reinterpret_cast<const DWORD*>(pRaw + 264));
	EXPECT_EQ(1u, *reinterpret_cast<const DWORD*>(pRaw + 536));
	EXPECT_EQ(0x12345678u, *reinterpret_cast<const DWORD*>(pRaw + 560));
	EXPECT_EQ(0, std::memcmp(pRaw + 568, "BG15", 4));
	cart.m_bTrovesave = FALSE;
	cart.FillStatus(status);
	EXPECT_EQ(0u, status.dwTrovesaveMagic);
}

TEST(HostCartridge, PositionsHoldDistinctContentsAndRefuseBadAccess)
{
	CCartridge cart;
	std::set<std::vector<BYTE>> contents;
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		contents.insert(std::vector<BYTE>(cart.GetPosition(nPosition), cart.GetPosition(nPosition) + SAVE_POSITION_SIZE));
	EXPECT_EQ(4u, contents.size());

	std::vector<BYTE> buffer(SAVE_POSITION_SIZE, 0x77);
	EXPECT_TRUE(cart.WritePosition(2, buffer.data()));
	std::vector<BYTE> back(SAVE_POSITION_SIZE);
	EXPECT_TRUE(cart.ReadPosition(2, back.data()));
	EXPECT_EQ(buffer, back);
	EXPECT_FALSE(cart.ReadPosition(4, back.data()));
	EXPECT_FALSE(cart.WritePosition(-1, buffer.data()));
	cart.m_bPresent = FALSE;
	EXPECT_FALSE(cart.WritePosition(0, buffer.data()));
}

TEST(HostWindow, AnswersTheCartridgeMessages)
{
	CCartridgeSession session;
	CCartridge& cart = session.GetCartridge();
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CARTSTATUS status = {};
	host.SendMessage(HM_QUERYSTATUS, (WPARAM)&status);
	EXPECT_EQ(1, status.bCartPresent);
	std::vector<BYTE> image(SAVE_POSITION_SIZE + 256, 0);
	host.SendMessage(HM_READSAVE, (WPARAM)image.data(), 3);
	EXPECT_EQ(0, std::memcmp(image.data(), cart.GetPosition(3), SAVE_POSITION_SIZE));
	std::fill(image.begin(), image.end(), 0x42);
	host.SendMessage(HM_WRITESAVE, (WPARAM)image.data(), 1);
	EXPECT_EQ(0x42, cart.GetPosition(1)[SAVE_POSITION_SIZE - 1]);
	EXPECT_EQ(std::vector<UINT>({ HM_QUERYSTATUS, HM_READSAVE, HM_WRITESAVE }), host.Messages());
	host.DestroyWindow();
}

TEST(HostPlugins, RefusesModulesThatAreNotPlugins)
{
	CPluginModule plugin;
	CString strError;
	std::string strFolder = ModulePath().substr(0, ModulePath().rfind('\\') + 1);
	EXPECT_FALSE(plugin.Load((strFolder + "afx.dll").c_str(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "afx.dll"));
	EXPECT_NE(nullptr, std::strstr(strError, "GetPropertyPage"));
	EXPECT_FALSE(plugin.Load((strFolder + "absent.cvl").c_str(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "absent.cvl"));
	EXPECT_FALSE(plugin.Load((strFolder + "modules\\badversion.cvl").c_str(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "badversion.cvl"));
	EXPECT_NE(nullptr, std::strstr(strError, "version 260")) << (LPCTSTR)strError;
	EXPECT_TRUE(plugin.Load(ModulePath().c_str(), strError));
	EXPECT_EQ(261u, plugin.GetCompileVersion());
}

TEST(HostPlugins, TwoGoodModulesEachHandOutTheirOwnPage)
{
	char szTemp[MAX_PATH];
	::GetTempPathA(MAX_PATH, szTemp);
	std::string strSecond = std::string(szTemp) + "Second.cvl";
	ASSERT_TRUE(::CopyFileA(ModulePath().c_str(), strSecond.c_str(), FALSE));
	CPluginModule first, second;
	CString strError;
	ASSERT_TRUE(first.Load(ModulePath().c_str(), strError)) << (LPCTSTR)strError;
	ASSERT_TRUE(second.Load(strSecond.c_str(), strError)) << (LPCTSTR)strError;
	EXPECT_NE(first.GetModule(), second.GetModule());

	CCartridgeSession session;
	CRecordingHostWnd host(session);
	ASSERT_TRUE(host.Create());
	CPropertyPage* pFirst = first.GetPropertyPage(&host);
	CPropertyPage* pSecond = second.GetPropertyPage(&host);
	EXPECT_NE(pFirst, pSecond);
	EXPECT_EQ(first.GetModule(), pFirst->m_psp.hInstance);
	EXPECT_EQ(second.GetModule(), pSecond->m_psp.hInstance);
	delete pFirst;
	delete pSecond;
	host.DestroyWindow();
}
