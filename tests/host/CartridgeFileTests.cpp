// Cartridge files, backups, verification and the command line, on real files.
#include "Harness.h"
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
		TearDown();
		::CreateDirectoryA(m_strDir.c_str(), NULL);
		m_strCart = m_strDir + "\\test.cart";
	}

	// Removes the folder, backups included.
	void TearDown() override
	{
		for (const std::string& strFolder : { m_strDir + "\\test.cart.backups", m_strDir })
		{
			WIN32_FIND_DATAA fd;
			HANDLE hFind = ::FindFirstFileA((strFolder + "\\*").c_str(), &fd);
			for (BOOL bMore = hFind != INVALID_HANDLE_VALUE; bMore; bMore = ::FindNextFileA(hFind, &fd))
				::DeleteFileA((strFolder + "\\" + fd.cFileName).c_str());
			::FindClose(hFind);
			::RemoveDirectoryA(strFolder.c_str());
		}
	}

	// Runs the host program as a script would, with what it wrote to each stream.
	int RunHost(const std::string& strArgs, std::string* pstrOut = NULL, std::string* pstrErr = NULL)
	{
		return RunProgram("\"" + ProgramBesideThisOne("corvel.exe") + "\" --cart \"" + m_strCart + "\" " + strArgs,
			pstrOut, pstrErr);
	}

	static bool SamePositions(const CCartridge& a, const CCartridge& b)
	{
		for (int n = 0; n < SAVE_POSITION_COUNT; ++n)
			if (std::memcmp(a.GetPosition(n), b.GetPosition(n), SAVE_POSITION_SIZE) != 0)
				return false;
		return true;
	}

	std::string m_strDir;
	std::string m_strCart;
};

// Every position and switch survives a save and a load; the checksum is the standard CRC-32.
TEST_F(CartridgeFileTest, RoundTripKeepsEveryPositionAndSwitch)
{
	EXPECT_EQ(0xCBF43926u, CCartridgeFile::Crc32((const BYTE*)"123456789", 9));
	CCartridge cart, loaded;
	cart.m_bMultiPosition = FALSE;
	cart.m_bTrovesave = TRUE;
	cart.m_dwCartId = 4242;
	cart.WritePosition(2, std::vector<BYTE>(SAVE_POSITION_SIZE, 0x3C).data());
	CString strError;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), cart, strError)) << (LPCTSTR)strError;
	EXPECT_EQ((size_t)CCartridgeFile::FILE_SIZE, ReadBytes(m_strCart).size());
	ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), loaded, strError)) << (LPCTSTR)strError;
	EXPECT_EQ(std::vector<DWORD>({ FALSE, TRUE, 4242 }),
		std::vector<DWORD>({ (DWORD)loaded.m_bMultiPosition, (DWORD)loaded.m_bTrovesave, loaded.m_dwCartId }));
	EXPECT_TRUE(SamePositions(cart, loaded));
}

TEST_F(CartridgeFileTest, DamagedOrForeignFilesAreRefusedAndLeftAlone)
{
	CString strError;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), CCartridge(), strError));
	const CBytes good = ReadBytes(m_strCart);
	struct Case { CBytes bytes; const char* pszReason; } cases[] = {
		{ good.substr(0, good.size() - 1000), "damaged" }, { CBytes(1000, 'x'), "not a cartridge" },
		{ good, "checksum" }, { good, "version 2" },
	};
	cases[2].bytes[5000] ^= 1;
	cases[3].bytes[8] = 2;
	for (const Case& c : cases)
	{
		WriteBytes(m_strCart, c.bytes);
		CCartridgeSession session;
		EXPECT_FALSE(session.Open(m_strCart.c_str(), TRUE, strError));
		EXPECT_NE(nullptr, std::strstr(strError, c.pszReason)) << (LPCTSTR)strError;
		EXPECT_NE(nullptr, std::strstr(strError, m_strCart.c_str()));
		EXPECT_TRUE(c.bytes == ReadBytes(m_strCart)) << c.pszReason;
	}
}

// A save stopped after writing or flushing its temporary file leaves the old cartridge.
TEST_F(CartridgeFileTest, ASaveStoppedMidwayLeavesTheOldCartridge)
{
	CString strError;
	CCartridge original, changed, loaded;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), original, strError));
	changed.WritePosition(0, std::vector<BYTE>(SAVE_POSITION_SIZE, 0x99).data());
	for (CCartridgeFile::SaveStep nStep : { CCartridgeFile::stepTempWritten, CCartridgeFile::stepTempFlushed })
	{
		ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), changed, strError, nStep));
		ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), loaded, strError)) << (LPCTSTR)strError;
		EXPECT_TRUE(SamePositions(original, loaded)) << nStep;
	}
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), changed, strError));
	ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), loaded, strError));
	EXPECT_TRUE(SamePositions(changed, loaded));
}

// Each write keeps a backup of what it replaced; restoring one is itself backed up, and lasts.
// A write that does not verify names the position and the first differing byte.
TEST_F(CartridgeFileTest, WritesKeepBackupsAndAreVerified)
{
	CCartridgeSession session;
	CString strError;
	ASSERT_TRUE(session.Open(m_strCart.c_str(), TRUE, strError));
	const std::vector<BYTE> before(session.GetCartridge().GetPosition(1), session.GetCartridge().GetPosition(1) + SAVE_POSITION_SIZE);
	const std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	for (int n : { 0, 1, 2, 3, 1 })
		ASSERT_TRUE(session.WritePosition(n, zeros.data(), strError)) << (LPCTSTR)strError;
	std::vector<CBackup> backups = session.GetBackups()->List();
	ASSERT_EQ(5u, backups.size());
	auto itOldest = std::find_if(backups.begin(), backups.end(), [](const CBackup& b) { return b.nPosition == 1; });
	EXPECT_EQ(2, std::count_if(backups.begin(), backups.end(), [](const CBackup& b) { return b.nPosition == 1; }));
	ASSERT_TRUE(session.Restore(*itOldest, strError)) << (LPCTSTR)strError;
	EXPECT_EQ(6u, session.GetBackups()->List().size());
	CCartridgeSession reopened;
	ASSERT_TRUE(reopened.Open(m_strCart.c_str(), FALSE, strError));
	EXPECT_EQ(0, std::memcmp(before.data(), reopened.GetCartridge().GetPosition(1), SAVE_POSITION_SIZE));

	session.m_faults.bFlipBitNextWrite = TRUE;
	EXPECT_FALSE(session.WritePosition(2, std::vector<BYTE>(SAVE_POSITION_SIZE, 1).data(), strError));
	EXPECT_NE(nullptr, std::strstr(strError, "Position 3")) << (LPCTSTR)strError;
	EXPECT_NE(nullptr, std::strstr(strError, "1 differing bytes, first at 0x8000")) << (LPCTSTR)strError;
	EXPECT_TRUE(session.WritePosition(2, zeros.data(), strError));
}

// The verbs as a script uses them: one line of output each, status 0.
TEST_F(CartridgeFileTest, CommandLineVerbsChangeTheCartridge)
{
	std::string strOutput, strErrors;
	EXPECT_EQ(1, RunHost("--status", NULL, &strErrors));
	EXPECT_NE(std::string::npos, strErrors.find("no such cartridge file"));
	EXPECT_EQ(0, RunHost("--create"));
	const std::string strSave = m_strDir + "\\two.sav";
	EXPECT_EQ(0, RunHost("--export 2 \"" + strSave + "\""));
	const CBytes two = ReadBytes(strSave);
	ASSERT_EQ((size_t)SAVE_POSITION_SIZE, two.size());
	EXPECT_EQ(0u, two.find("DEMO SAVE POSITION 2"));
	EXPECT_EQ(0, RunHost("--import 4 \"" + strSave + "\""));
	EXPECT_EQ(0, RunHost("--format 2"));
	EXPECT_EQ(0, RunHost("--status", &strOutput));
	EXPECT_NE(std::string::npos, strOutput.find("2 backups")) << strOutput;
	CCartridge cart;
	CString strError;
	ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), cart, strError));
	EXPECT_EQ(0, std::memcmp(cart.GetPosition(3), two.data(), SAVE_POSITION_SIZE));
	EXPECT_EQ(std::vector<BYTE>(SAVE_POSITION_SIZE, 0), std::vector<BYTE>(cart.GetPosition(1), cart.GetPosition(1) + SAVE_POSITION_SIZE));
	EXPECT_EQ(1, RunHost("--fault flipbit --format 1", NULL, &strErrors));
	EXPECT_NE(std::string::npos, strErrors.find("did not verify")) << strErrors;
}

// Help and bad arguments answer on the right stream without opening a window; every failure
// is one line, exit status 1, and leaves the cartridge file as it was.
TEST_F(CartridgeFileTest, CommandLineAnswersLikeATool)
{
	ASSERT_EQ(0, RunHost("--create"));
	CBytes good = ReadBytes(m_strCart);
	const std::string strShort = m_strDir + "\\short.sav", strFolder = m_strDir + "\\folder.sav";
	WriteBytes(strShort, std::string(100, 1));
	::CreateDirectoryA(strFolder.c_str(), NULL);
	struct Case { std::string strArgs; int nExit; const char* pszOut; const char* pszErr; } cases[] = {
		{ "--help", 0, "usage: corvel", "" }, { "-h", 0, "usage: corvel", "" }, { "/?", 0, "usage: corvel", "" },
		{ "--bogus", 1, "", "corvel: unknown option --bogus\r\nusage: corvel" },
		{ "stray", 1, "", "corvel: unknown option stray\r\nusage: corvel" },
		{ "--import 1", 1, "", "corvel: --import needs a value\r\nusage: corvel" },
		{ "--format 5", 1, "", "from 1 to 4" }, { "--format 0", 1, "", "from 1 to 4" }, { "--export 12 x.sav", 1, "", "from 1 to 4" },
		{ "--import 1 \"" + m_strDir + "\\nowhere.sav\"", 1, "", "cannot be opened" },
		{ "--import 1 \"" + strShort + "\"", 1, "", "a save file holds exactly 65536" },
		{ "--import 2 \"" + strFolder + "\"", 1, "", "cannot be opened" },
		{ "--export 1 \"" + m_strDir + "\\none\\x.sav\"", 1, "", "cannot be created" },
		{ "--fault nocart --export 1 x.sav", 1, "", "no cartridge detected" },
		{ "--fault sunspots --status", 1, "", "unknown fault switch" },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.strArgs);
		std::string strOutput, strErrors;
		EXPECT_EQ(c.nExit, RunHost(c.strArgs, &strOutput, &strErrors));
		EXPECT_EQ(0u, strOutput.find(c.pszOut)) << strOutput;
		if (std::strstr(c.pszErr, "usage") != NULL)
			EXPECT_EQ(0u, strErrors.find(c.pszErr)) << strErrors;
		else
			EXPECT_EQ(*c.pszErr ? 1 : 0, std::count(strErrors.begin(), strErrors.end(), '\n')) << strErrors;
		EXPECT_NE(std::string::npos, strErrors.find(c.pszErr)) << strErrors;
		EXPECT_TRUE(good == ReadBytes(m_strCart));
	}
	::RemoveDirectoryA(strFolder.c_str());

	// A damaged cartridge is refused by every verb and not touched.
	good.pop_back();
	good[0] ^= 0x20;
	WriteBytes(m_strCart, good);
	for (const char* pszArgs : { "--status", "--format all", "--import 1 x.sav" })
	{
		std::string strErrors;
		EXPECT_EQ(1, RunHost(pszArgs, NULL, &strErrors)) << pszArgs;
		EXPECT_EQ(1, std::count(strErrors.begin(), strErrors.end(), '\n')) << strErrors;
		EXPECT_TRUE(good == ReadBytes(m_strCart));
	}
}
