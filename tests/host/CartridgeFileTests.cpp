// Cartridge files, backups, verification and the command line, on real files.
#include "FileBytes.h"
#include "RunProgram.h"
#include "PageHarness.h"
#include "host/CartridgeFile.h"
#include "host/CartridgeSession.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>

class CartridgeFileTest : public testing::Test
{
protected:
	void SetUp() override
	{
		char szTemp[MAX_PATH];
		::GetTempPathA(MAX_PATH, szTemp);
		m_strDir = std::string(szTemp) + "cart-" + testing::UnitTest::GetInstance()->current_test_info()->name();
		Clean();
		::CreateDirectoryA(m_strDir.c_str(), NULL);
		m_strCart = m_strDir + "\\test.cart";
	}

	void TearDown() override
	{
		Clean();
	}

	// Removes the folder, backups included.
	void Clean()
	{
		for (const char* pszPattern : { "\\test.cart.backups\\*", "\\*" })
		{
			std::string strFolder = m_strDir + std::string(pszPattern).substr(0, std::string(pszPattern).size() - 2);
			WIN32_FIND_DATAA fd;
			HANDLE hFind = ::FindFirstFileA((m_strDir + pszPattern).c_str(), &fd);
			if (hFind == INVALID_HANDLE_VALUE)
				continue;
			do
				::DeleteFileA((strFolder + "\\" + fd.cFileName).c_str());
			while (::FindNextFileA(hFind, &fd));
			::FindClose(hFind);
			::RemoveDirectoryA(strFolder.c_str());
		}
		::RemoveDirectoryA(m_strDir.c_str());
	}


	// Runs the host program as a script would, with what it wrote to each stream.
	int RunHost(const std::string& strArgs, std::string* pstrOut = NULL, std::string* pstrErr = NULL)
	{
		return RunProgram("\"" + ProgramBesideThisOne("corvel.exe") + "\" --cart \"" + m_strCart + "\" " + strArgs,
			pstrOut, pstrErr);
	}

	std::string m_strDir;
	std::string m_strCart;
};

TEST_F(CartridgeFileTest, RoundTripKeepsEveryPositionAndSwitch)
{
	// The standard CRC-32 check value: files stay readable by any other CRC-32 tool.
	EXPECT_EQ(0xCBF43926u, CCartridgeFile::Crc32((const BYTE*)"123456789", 9));
	CCartridge cart;
	cart.m_bMultiPosition = FALSE;
	cart.m_bTrovesave = TRUE;
	cart.m_dwCartId = 4242;
	std::vector<BYTE> bytes(SAVE_POSITION_SIZE, 0x3C);
	cart.WritePosition(2, bytes.data());
	CString strError;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), cart, strError)) << (LPCTSTR)strError;
	EXPECT_EQ((size_t)CCartridgeFile::FILE_SIZE, ReadBytes(m_strCart).size());

	CCartridge loaded;
	ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), loaded, strError)) << (LPCTSTR)strError;
	EXPECT_FALSE(loaded.m_bMultiPosition);
	EXPECT_TRUE(loaded.m_bTrovesave);
	EXPECT_EQ(4242u, loaded.m_dwCartId);
	for (int n = 0; n < SAVE_POSITION_COUNT; ++n)
		EXPECT_EQ(0, std::memcmp(cart.GetPosition(n), loaded.GetPosition(n), SAVE_POSITION_SIZE)) << n;
}

TEST_F(CartridgeFileTest, DamagedOrForeignFilesAreRefusedAndLeftAlone)
{
	CString strError;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), CCartridge(), strError));
	const std::vector<BYTE> good = ReadBytes(m_strCart);
	struct Case { const char* pszName; std::vector<BYTE> bytes; const char* pszReason; };
	std::vector<Case> cases = {
		{ "truncated", std::vector<BYTE>(good.begin(), good.end() - 1000), "damaged" },
		{ "foreign", std::vector<BYTE>(1000, 'x'), "not a cartridge" },
		{ "wrong checksum", good, "checksum" },
		{ "wrong version", good, "version 2" },
	};
	cases[2].bytes[5000] ^= 1;
	cases[3].bytes[8] = 2;
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.pszName);
		WriteBytes(m_strCart, c.bytes);
		CCartridgeSession session;
		EXPECT_FALSE(session.Open(m_strCart.c_str(), TRUE, strError));
		EXPECT_NE(nullptr, std::strstr(strError, c.pszReason)) << (LPCTSTR)strError;
		EXPECT_NE(nullptr, std::strstr(strError, m_strCart.c_str()));
		EXPECT_EQ(c.bytes, ReadBytes(m_strCart));
	}
}

TEST_F(CartridgeFileTest, ASaveStoppedMidwayLeavesTheOldCartridge)
{
	CString strError;
	CCartridge original;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), original, strError));
	CCartridge changed;
	std::vector<BYTE> bytes(SAVE_POSITION_SIZE, 0x99);
	changed.WritePosition(0, bytes.data());
	for (CCartridgeFile::SaveStep nStep : { CCartridgeFile::stepTempWritten, CCartridgeFile::stepTempFlushed })
	{
		ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), changed, strError, nStep));
		CCartridge loaded;
		ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), loaded, strError)) << (LPCTSTR)strError;
		EXPECT_EQ(0, std::memcmp(original.GetPosition(0), loaded.GetPosition(0), SAVE_POSITION_SIZE));
	}
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), changed, strError));
	CCartridge loaded;
	ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), loaded, strError));
	EXPECT_EQ(0x99, loaded.GetPosition(0)[0]);
}

TEST_F(CartridgeFileTest, EveryWriteKeepsABackupThatCanBeRestored)
{
	CCartridgeSession session;
	CString strError;
	ASSERT_TRUE(session.Open(m_strCart.c_str(), TRUE, strError));
	std::vector<BYTE> before(session.GetCartridge().GetPosition(1), session.GetCartridge().GetPosition(1) + SAVE_POSITION_SIZE);
	std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	for (int n = 0; n < SAVE_POSITION_COUNT; ++n)
		ASSERT_TRUE(session.WritePosition(n, zeros.data(), strError)) << (LPCTSTR)strError;
	ASSERT_TRUE(session.WritePosition(1, zeros.data(), strError));
	std::vector<CBackup> backups = session.GetBackups()->List();
	ASSERT_EQ(5u, backups.size());
	int nPosition1Backups = 0;
	for (const CBackup& backup : backups)
		nPosition1Backups += backup.nPosition == 1;
	EXPECT_EQ(2, nPosition1Backups);

	// The oldest backup of position 2 holds what it had before the first write.
	const CBackup* pOldest = NULL;
	for (const CBackup& backup : backups)
		if (backup.nPosition == 1 && pOldest == NULL)
			pOldest = &backup;
	ASSERT_NE(nullptr, pOldest);
	ASSERT_TRUE(session.Restore(*pOldest, strError)) << (LPCTSTR)strError;
	EXPECT_EQ(0, std::memcmp(before.data(), session.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE));
	EXPECT_EQ(6u, session.GetBackups()->List().size());

	// And the restored bytes survive a restart.
	CCartridgeSession reopened;
	ASSERT_TRUE(reopened.Open(m_strCart.c_str(), FALSE, strError));
	EXPECT_EQ(0, std::memcmp(before.data(), reopened.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE));
}

TEST_F(CartridgeFileTest, AFlippedBitIsReportedWithItsOffset)
{
	CCartridgeSession session;
	CString strError;
	ASSERT_TRUE(session.Open(m_strCart.c_str(), TRUE, strError));
	session.m_faults.bFlipBitNextWrite = TRUE;
	std::vector<BYTE> bytes(SAVE_POSITION_SIZE, 0x01);
	EXPECT_FALSE(session.WritePosition(2, bytes.data(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "Position 3")) << (LPCTSTR)strError;
	EXPECT_NE(nullptr, std::strstr(strError, "1 differing bytes, first at 0x8000")) << (LPCTSTR)strError;
	EXPECT_TRUE(session.WritePosition(2, bytes.data(), strError));
}

TEST_F(CartridgeFileTest, CommandLineVerbsAndExitCodes)
{
	std::string strOutput, strErrors;
	EXPECT_EQ(1, RunHost("--status", NULL, &strErrors));
	EXPECT_NE(std::string::npos, strErrors.find("no such cartridge file"));
	EXPECT_EQ(0, RunHost("--create"));

	std::string strSave = m_strDir + "\\two.sav";
	EXPECT_EQ(0, RunHost("--export 2 \"" + strSave + "\""));
	std::vector<BYTE> two = ReadBytes(strSave);
	ASSERT_EQ((size_t)SAVE_POSITION_SIZE, two.size());
	EXPECT_EQ(0, std::memcmp(two.data(), "DEMO SAVE POSITION 2", 20));

	EXPECT_EQ(0, RunHost("--import 4 \"" + strSave + "\""));
	EXPECT_EQ(0, RunHost("--format 2"));
	EXPECT_EQ(0, RunHost("--status", &strOutput));
	EXPECT_NE(std::string::npos, strOutput.find("2 backups")) << strOutput;
	CCartridge cart;
	CString strError;
	ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), cart, strError));
	EXPECT_EQ(0, std::memcmp(cart.GetPosition(3), two.data(), SAVE_POSITION_SIZE));
	EXPECT_EQ(0, cart.GetPosition(1)[0]);

	EXPECT_EQ(1, RunHost("--fault flipbit --format 1", NULL, &strErrors));
	EXPECT_NE(std::string::npos, strErrors.find("did not verify")) << strErrors;
}

// Help and bad arguments answer on the right stream without opening a window; every failure
// is one line, exit status 1, and leaves the cartridge file as it was.
TEST_F(CartridgeFileTest, CommandLineAnswersLikeATool)
{
	ASSERT_EQ(0, RunHost("--create"));
	const std::vector<BYTE> good = ReadBytes(m_strCart);
	std::string strShort = m_strDir + "\\short.sav", strFolder = m_strDir + "\\folder.sav";
	WriteBytes(strShort, std::vector<BYTE>(100, 1));
	::CreateDirectoryA(strFolder.c_str(), NULL);
	std::string strMissingFolder = m_strDir + "\\none\\x.sav";

	struct Case { const char* pszArgs; std::string strFile; int nExit; const char* pszOut; const char* pszErr; };
	const Case cases[] = {
		{ "--help", "", 0, "usage: corvel", "" },
		{ "-h", "", 0, "usage: corvel", "" },
		{ "/?", "", 0, "usage: corvel", "" },
		{ "--bogus", "", 1, "", "unknown option --bogus\r\nusage: corvel" },
		{ "stray", "", 1, "", "unknown option stray\r\nusage: corvel" },
		{ "--import 1", "", 1, "", "--import needs a value\r\nusage: corvel" },
		{ "--format 5", "", 1, "", "from 1 to 4" },
		{ "--format 0", "", 1, "", "from 1 to 4" },
		{ "--export 12 x.sav", "", 1, "", "from 1 to 4" },
		{ "--import 1 ", m_strDir + "\\nowhere.sav", 1, "", "cannot be opened" },
		{ "--import 1 ", strShort, 1, "", "a save file holds exactly 65536" },
		{ "--import 2 ", strFolder, 1, "", "cannot be opened" },
		{ "--export 1 ", strMissingFolder, 1, "", "cannot be created" },
		{ "--fault nocart --export 1 x.sav", "", 1, "", "no cartridge detected" },
		{ "--fault sunspots --status", "", 1, "", "unknown fault switch" },
	};
	for (const Case& c : cases)
	{
		std::string strArgs = c.pszArgs + (c.strFile.empty() ? "" : "\"" + c.strFile + "\"");
		SCOPED_TRACE(strArgs);
		std::string strOutput, strErrors;
		EXPECT_EQ(c.nExit, RunHost(strArgs, &strOutput, &strErrors));
		EXPECT_EQ(0u, strOutput.find(c.pszOut)) << strOutput;
		if (*c.pszErr == 0)
			EXPECT_EQ("", strErrors);
		else if (std::strstr(c.pszErr, "usage") == NULL)
		{
			EXPECT_NE(std::string::npos, strErrors.find(c.pszErr)) << strErrors;
			EXPECT_EQ(1, std::count(strErrors.begin(), strErrors.end(), '\n')) << strErrors;
		}
		else
			EXPECT_EQ(std::string("corvel: ") + c.pszErr, strErrors.substr(0, strlen(c.pszErr) + 8));
		EXPECT_TRUE(good == ReadBytes(m_strCart));
	}

	// A damaged cartridge is refused by every verb and not touched.
	std::vector<BYTE> badMagic = good, badCrc = good, shortCart(good.begin(), good.end() - 1);
	badMagic[0] ^= 0x20;
	badCrc[30000] ^= 1;
	for (const std::vector<BYTE>* pBytes : { &badMagic, &badCrc, &shortCart })
	{
		WriteBytes(m_strCart, *pBytes);
		for (const char* pszArgs : { "--status", "--format all", "--import 1 x.sav" })
		{
			SCOPED_TRACE(pszArgs);
			std::string strErrors;
			EXPECT_EQ(1, RunHost(pszArgs, NULL, &strErrors));
			EXPECT_EQ(1, std::count(strErrors.begin(), strErrors.end(), '\n')) << strErrors;
			EXPECT_TRUE(*pBytes == ReadBytes(m_strCart));
		}
	}
	::RemoveDirectoryA(strFolder.c_str());
}
