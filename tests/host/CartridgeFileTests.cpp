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
	// Runs the host program as a script would, with what it wrote to each stream.
	int RunHost(const std::string& strArgs, std::string* pstrOut = NULL, std::string* pstrErr = NULL)
	{
		return RunProgram("\"" + BesideThisProgram("corvel.exe") + "\" --cart \"" + m_strCart + "\" " + strArgs, pstrOut, pstrErr);
	}

	static CBytes Positions(const CCartridge& cart, int nFirst = 0, int nCount = SAVE_POSITION_COUNT)
	{
		return CBytes((const char*)cart.GetPosition(nFirst), nCount * SAVE_POSITION_SIZE);
	}

	CTempFolder m_folder;
	const std::string m_strCart = m_folder / "test.cart";
	CString m_strError;
};

// Every position and switch survives a save and a load, and a save stopped after writing or
// flushing its temporary file leaves the old cartridge. The checksum is the standard CRC-32.
TEST_F(CartridgeFileTest, RoundTripKeepsEveryPositionAndSwitch)
{
	EXPECT_EQ(0xCBF43926u, CCartridgeFile::Crc32((const BYTE*)"123456789", 9));
	CCartridge original, cart, loaded;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), original, m_strError));
	cart.m_bMultiPosition = FALSE;
	cart.m_bTrovesave = TRUE;
	cart.m_dwCartId = 4242;
	cart.WritePosition(2, std::vector<BYTE>(SAVE_POSITION_SIZE, 0x3C).data());
	for (CCartridgeFile::SaveStep nStep : { CCartridgeFile::stepTempWritten, CCartridgeFile::stepTempFlushed, CCartridgeFile::stepComplete })
	{
		ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), cart, m_strError, nStep));
		ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), loaded, m_strError)) << (LPCTSTR)m_strError;
		EXPECT_EQ(Positions(nStep == CCartridgeFile::stepComplete ? cart : original), Positions(loaded)) << nStep;
	}
	EXPECT_EQ((size_t)CCartridgeFile::FILE_SIZE, ReadBytes(m_strCart).size());
	EXPECT_EQ(std::vector<DWORD>({ FALSE, TRUE, 4242 }),
		std::vector<DWORD>({ (DWORD)loaded.m_bMultiPosition, (DWORD)loaded.m_bTrovesave, loaded.m_dwCartId }));
}

TEST_F(CartridgeFileTest, DamagedOrForeignFilesAreRefusedAndLeftAlone)
{
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), CCartridge(), m_strError));
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
		EXPECT_FALSE(session.Open(m_strCart.c_str(), TRUE, m_strError));
		EXPECT_NE(nullptr, std::strstr(m_strError, c.pszReason)) << (LPCTSTR)m_strError;
		EXPECT_NE(nullptr, std::strstr(m_strError, m_strCart.c_str()));
		EXPECT_EQ(c.bytes, ReadBytes(m_strCart)) << c.pszReason;
	}
}

// Each write keeps a backup of what it replaced; restoring one is itself backed up, and lasts.
// A write that does not verify names the position and the first differing byte.
TEST_F(CartridgeFileTest, WritesKeepBackupsAndAreVerified)
{
	CCartridgeSession session;
	ASSERT_TRUE(session.Open(m_strCart.c_str(), TRUE, m_strError));
	const CBytes before = Positions(session.GetCartridge(), 1, 1);
	const std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	for (int n : { 0, 1, 2, 3, 1 })
		ASSERT_TRUE(session.WritePosition(n, zeros.data(), m_strError)) << (LPCTSTR)m_strError;
	std::vector<CBackup> backups = session.GetBackups()->List();
	ASSERT_EQ(5u, backups.size());
	auto IsSecond = [](const CBackup& b) { return b.nPosition == 1; };
	EXPECT_EQ(2, std::count_if(backups.begin(), backups.end(), IsSecond));
	ASSERT_TRUE(session.Restore(*std::find_if(backups.begin(), backups.end(), IsSecond), m_strError)) << (LPCTSTR)m_strError;
	EXPECT_EQ(6u, session.GetBackups()->List().size());
	CCartridgeSession reopened;
	ASSERT_TRUE(reopened.Open(m_strCart.c_str(), FALSE, m_strError));
	EXPECT_EQ(before, Positions(reopened.GetCartridge(), 1, 1));

	session.m_faults.bFlipBitNextWrite = TRUE;
	EXPECT_FALSE(session.WritePosition(2, std::vector<BYTE>(SAVE_POSITION_SIZE, 1).data(), m_strError));
	EXPECT_TRUE(std::strstr(m_strError, "Position 3") && std::strstr(m_strError, "1 differing bytes, first at 0x8000")) << (LPCTSTR)m_strError;
	EXPECT_TRUE(session.WritePosition(2, zeros.data(), m_strError));
}

// The verbs as a script uses them: status 0 and one line each. Help and bad arguments answer on
// the right stream without opening a window; every failure is one line, exit status 1, and
// leaves the cartridge file as it was.
TEST_F(CartridgeFileTest, CommandLineAnswersLikeATool)
{
	EXPECT_EQ(1, RunHost("--status"));
	ASSERT_EQ(0, RunHost("--create"));
	const std::string strTwo = m_folder / "two.sav", strShort = m_folder / "short.sav", strFolder = m_folder / "folder.sav";
	std::string strOutput;
	EXPECT_EQ(0, RunHost("--export 2 \"" + strTwo + "\""));
	EXPECT_EQ(0u, ReadBytes(strTwo).find("DEMO SAVE POSITION 2"));
	EXPECT_EQ(0, RunHost("--import 4 \"" + strTwo + "\""));
	EXPECT_EQ(0, RunHost("--format 2"));
	EXPECT_EQ(0, RunHost("--status", &strOutput));
	EXPECT_NE(std::string::npos, strOutput.find("2 backups")) << strOutput;
	CCartridge cart;
	ASSERT_TRUE(CCartridgeFile::Load(m_strCart.c_str(), cart, m_strError));
	EXPECT_EQ(std::make_pair(CBytes(SAVE_POSITION_SIZE, 0), ReadBytes(strTwo)), std::make_pair(Positions(cart, 1, 1), Positions(cart, 3, 1)));
	EXPECT_EQ(1, RunHost("--fault flipbit --format 1", NULL, &strOutput));
	EXPECT_NE(std::string::npos, strOutput.find("did not verify")) << strOutput;

	const CBytes good = ReadBytes(m_strCart);
	WriteBytes(strShort, std::string(100, 1));
	::CreateDirectoryA(strFolder.c_str(), NULL);
	struct Case { std::string strArgs; int nExit; const char* pszOut; const char* pszErr; } cases[] = {
		{ "--help", 0, "usage: corvel", "" }, { "-h", 0, "usage: corvel", "" }, { "/?", 0, "usage: corvel", "" },
		{ "--bogus", 1, "", "corvel: unknown option --bogus\r\nusage: corvel" },
		{ "stray", 1, "", "corvel: unknown option stray\r\nusage: corvel" },
		{ "--import 1", 1, "", "corvel: --import needs a value\r\nusage: corvel" },
		{ "--format 5", 1, "", "from 1 to 4" }, { "--format 0", 1, "", "from 1 to 4" }, { "--export 12 x.sav", 1, "", "from 1 to 4" },
		{ "--import 1 \"" + m_folder / "nowhere.sav" + "\"", 1, "", "cannot be opened" },
		{ "--import 1 \"" + strShort + "\"", 1, "", "a save file holds exactly 65536" },
		{ "--import 2 \"" + strFolder + "\"", 1, "", "cannot be opened" },
		{ "--export 1 \"" + m_folder / "none\\x.sav" + "\"", 1, "", "cannot be created" },
		{ "--fault nocart --export 1 x.sav", 1, "", "no cartridge detected" },
		{ "--fault sunspots --status", 1, "", "unknown fault switch" },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.strArgs);
		std::string strErrors;
		EXPECT_EQ(c.nExit, RunHost(c.strArgs, &strOutput, &strErrors));
		EXPECT_EQ(0u, strOutput.find(c.pszOut)) << strOutput;
		if (std::strstr(c.pszErr, "usage") != NULL)
			EXPECT_EQ(0u, strErrors.find(c.pszErr)) << strErrors;
		else
			EXPECT_EQ(*c.pszErr ? 1 : 0, std::count(strErrors.begin(), strErrors.end(), '\n')) << strErrors;
		EXPECT_NE(std::string::npos, strErrors.find(c.pszErr)) << strErrors;
		EXPECT_EQ(good, ReadBytes(m_strCart));
	}
}
