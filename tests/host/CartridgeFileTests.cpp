// Cartridge files, backups, verification and the command line, on real files.
#include "RunProgram.h"
#include "PageHarness.h"
#include "host/CartridgeFile.h"
#include "host/HostCommandLine.h"
#include <atomic>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <thread>

// What writer nWriter stores in its round nRound: named, and different in every byte.
static CBytes Payload(int nWriter, int nRound)
{
	CBytes bytes(SAVE_POSITION_SIZE, '\0');
	std::mt19937 random((unsigned)(nWriter * 1000 + nRound));
	for (char& b : bytes)
		b = (char)random();
	const std::string strName = "writer " + std::to_string(nWriter) + " round " + std::to_string(nRound) + ".";
	return bytes.replace(0, strName.size(), strName);
}

static CBytes Positions(const CCartridge& cart, int nFirst = 0, int nCount = SAVE_POSITION_COUNT)
{
	return CBytes((const char*)cart.GetPosition(nFirst), nCount * SAVE_POSITION_SIZE);
}

static std::vector<CBackup> Backups(LPCTSTR lpszCart)
{
	std::vector<CBackup> backups;
	CString strError;
	EXPECT_TRUE(CBackupStore(lpszCart).List(backups, strError)) << (LPCTSTR)strError;
	return backups;
}

// Runs the host program as a script would, with what it wrote to each stream.
static int RunCorvel(const std::string& strCart, const std::string& strArgs, std::string* pstrOut = NULL, std::string* pstrErr = NULL)
{
	return RunProgram("\"" + BesideThisProgram("corvel.exe") + "\" --cart \"" + strCart + "\" " + strArgs, pstrOut, pstrErr);
}

// This program again, as a writer that stores its payloads in position nWriter, round after round.
static std::unique_ptr<CChildProgram> StartWriter(const std::string& strCart, int nWriter, int nRounds, int nStop = 0)
{
	::SetEnvironmentVariableA("MENDLE_WRITER", (std::to_string(nWriter) + " " + std::to_string(nRounds) + " " + std::to_string(nStop) + " " + strCart).c_str());
	std::unique_ptr<CChildProgram> pWriter(new CChildProgram("\"" + BesideThisProgram("host_tests.exe") +
		"\" --gtest_filter=*AcknowledgedWrite*", ("-writer" + std::to_string(nWriter)).c_str()));
	::SetEnvironmentVariableA("MENDLE_WRITER", NULL);
	return pWriter;
}

class CartridgeFileTest : public testing::Test
{
protected:
	CTempFolder m_folder;
	const std::string m_strCart = m_folder / "test.cart";
	CString m_strError;
};

static int s_nCallsLeft = 0;
static bool s_bStop = false;

template <typename R> R FailureOf() { return (R)-1; }  // INVALID_HANDLE_VALUE, INVALID_FILE_ATTRIBUTES, a length too long
template <> BOOL FailureOf<BOOL>() { return FALSE; }

template <int N, typename R, typename... Args>
struct CFailingFsCall
{
	static R WINAPI Call(Args... args)
	{
		if (--s_nCallsLeft == 0 && s_bStop)
			::TerminateProcess(::GetCurrentProcess(), 3);
		if (s_nCallsLeft == 0)
			return ::SetLastError(ERROR_ACCESS_DENIED), FailureOf<R>();
		return ((R(WINAPI*)(Args...))s_pfnOriginal)(args...);
	}
	inline static FARPROC s_pfnOriginal = NULL;
};

// The nth file-system call from now fails with "access denied", or told to stop, ends this program
// before it as a kill would, whichever call it is, in the host's code and in the runtime's files:
// opening, reading, writing, flushing, renaming, deleting, locking, listing a folder, and asking
// for a file's attributes, identity or final name.
struct CFailingFileSystem
{
	explicit CFailingFileSystem(int nCall, bool bStop = false)
	{
		s_nCallsLeft = nCall, s_bStop = bStop;
		Patch<0>("CreateFileA", &::CreateFileA), Patch<1>("ReadFile", &::ReadFile), Patch<2>("WriteFile", &::WriteFile);
		Patch<3>("FlushFileBuffers", &::FlushFileBuffers), Patch<4>("MoveFileExA", &::MoveFileExA), Patch<5>("DeleteFileA", &::DeleteFileA);
		Patch<6>("LockFileEx", &::LockFileEx), Patch<7>("FindFirstFileA", &::FindFirstFileA), Patch<8>("FindNextFileA", &::FindNextFileA);
		Patch<9>("CreateDirectoryA", &::CreateDirectoryA), Patch<10>("GetFileAttributesA", &::GetFileAttributesA);
		Patch<11>("GetFileInformationByHandle", &::GetFileInformationByHandle), Patch<12>("GetFinalPathNameByHandleA", &::GetFinalPathNameByHandleA);
	}
	template <int N, typename R, typename... Args>
	void Patch(const char* pszName, R(WINAPI*)(Args...))
	{
		CFailingFsCall<N, R, Args...>::s_pfnOriginal = ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), pszName);
		for (const char* pszModule : { (const char*)NULL, "afx.dll" })
			m_patches.emplace_back(new CImportPatch(pszModule, "kernel32.dll", pszName, (FARPROC)&CFailingFsCall<N, R, Args...>::Call, false));
	}
	std::vector<std::unique_ptr<CImportPatch>> m_patches;
};

// A writer's rounds, one line each: "ack N", or "refused N" with the reason. Told -N rounds, it
// says instead whether its position holds what its round N wrote: "kept" or "lost". Told to stop
// at the nth file-system call of its writes (an optional number), it ends there.
static bool RunAsWriter()
{
	char szWriter[MAX_PATH + 32];
	int nWriter = 0, nRounds = 0, nStop = 0, nPath = 0;
	if (::GetEnvironmentVariableA("MENDLE_WRITER", szWriter, sizeof(szWriter)) == 0 ||
		std::sscanf(szWriter, "%d %d %n%d %n", &nWriter, &nRounds, &nPath, &nStop, &nPath) < 2)
		return false;
	CCartridgeSession session;  // kept, as a window keeps it
	CString strError;
	const bool bOpen = session.Open(szWriter + nPath, FALSE, strError);
	if (nRounds <= 0)
		std::printf(bOpen && Positions(session.GetCartridge(), nWriter - 1, 1) == Payload(nWriter, -nRounds) ? "kept\n" : "lost\n");
	CFailingFileSystem stopping(nStop, true);
	for (int nRound = 1; nRound <= nRounds; ++nRound)
	{
		const bool bDone = bOpen && session.WritePosition(nWriter - 1, (const BYTE*)Payload(nWriter, nRound).data(), strError);
		std::printf(bDone ? "ack %d\n" : "refused %d %s\n", nRound, (LPCTSTR)strError);
		std::fflush(stdout);
	}
	return true;
}

// Four programs write their own positions at once while the command line reads; then a writer
// stopped before each file-system call of its write in turn must leave a cartridge that loads, a
// free lock and a whole newest backup, and the next write removes what it left.
TEST(CartridgeWriters, NoAcknowledgedWriteIsLost)
{
	if (RunAsWriter())
		return;
	CTempFolder folder;
	const std::string strCart = folder / "test.cart", strExport = folder / "export.sav";
	CString strError;
	CCartridgeSession session;
	ASSERT_TRUE(session.Open(strCart.c_str(), TRUE, strError));
	std::vector<std::unique_ptr<CChildProgram>> writers;
	for (int nWriter = 1; nWriter <= SAVE_POSITION_COUNT; ++nWriter)
	{
		ASSERT_TRUE(session.WritePosition(nWriter - 1, (const BYTE*)Payload(nWriter, 0).data(), strError));
		writers.push_back(StartWriter(strCart, nWriter, 30));
	}
	for (int nRead = 0; nRead < 12; ++nRead)
	{
		std::string strOut, strErr;
		EXPECT_EQ(std::make_pair(0, std::string()), std::make_pair(RunCorvel(strCart, "--status", &strOut, &strErr), strErr));
		EXPECT_EQ(0, RunCorvel(strCart, "--export " + std::to_string(nRead % 4 + 1) + " \"" + strExport + "\""));
		int nWriter = 0, nRound = 0;
		const CBytes exported = ReadBytes(strExport);
		EXPECT_TRUE(std::sscanf(exported.c_str(), "writer %d round %d.", &nWriter, &nRound) == 2 &&
			nWriter == nRead % 4 + 1 && exported == Payload(nWriter, nRound)) << strOut;
	}
	int nAcknowledged = 0, nRefused = 0, nLost = 0;
	for (int nWriter = 1; nWriter <= SAVE_POSITION_COUNT; ++nWriter)
	{
		EXPECT_EQ(0, writers[nWriter - 1]->Wait(120000));
		std::istringstream lines(writers[nWriter - 1]->Output());
		int nLastAcknowledged = 0;
		for (std::string strLine; std::getline(lines, strLine);)  // among the test program's own lines
		{
			nAcknowledged += std::sscanf(strLine.c_str(), "ack %d", &nLastAcknowledged) == 1;
			nRefused += strLine.compare(0, 8, "refused ") == 0;
			EXPECT_TRUE(strLine.compare(0, 8, "refused ") != 0 || strLine.find("in use by another program") != std::string::npos) << strLine;
		}
		ASSERT_TRUE(session.Open(strCart.c_str(), FALSE, strError)) << (LPCTSTR)strError;
		nLost += Positions(session.GetCartridge(), nWriter - 1, 1) != Payload(nWriter, nLastAcknowledged);
	}
	EXPECT_EQ(std::make_pair(0, 4 * 30), std::make_pair(nLost, nAcknowledged + nRefused));

	const std::string strStopped = folder / "stopped\\test.cart";
	int nStop = 1, nExit = 3;
	for (; nExit == 3; ++nStop)
	{
		std::filesystem::remove_all(folder / "stopped"), std::filesystem::create_directory(folder / "stopped");
		ASSERT_TRUE(session.Open(strStopped.c_str(), TRUE, strError) && session.WritePosition(nStop % 4, (const BYTE*)Payload(9, 0).data(), strError)) << (LPCTSTR)strError;
		nExit = StartWriter(strStopped, nStop % 4 + 1, 1, nStop)->Wait();
		ASSERT_TRUE(session.Open(strStopped.c_str(), FALSE, strError) && session.WriteFromFile(nStop % 4, NULL, strError)) << nStop << (LPCTSTR)strError;
		const CBytes restored = Positions(session.GetCartridge(), nStop % 4, 1);
		EXPECT_TRUE(restored == Positions(CCartridge(), nStop % 4, 1) || restored == Payload(9, 0)) << nStop;
		EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((strStopped + ".~1.new").c_str())) << nStop;  // the only name it takes
	}
	EXPECT_TRUE(nExit == 0 && nStop > 10) << nExit;
}

// Every position and switch survives a save and a load, and a save stopped after writing or
// flushing its temporary file leaves the old cartridge. The checksum is the standard CRC-32.
TEST_F(CartridgeFileTest, RoundTripKeepsEveryPositionAndSwitch)
{
	EXPECT_EQ(0xCBF43926u, CCartridgeFile::Crc32((const BYTE*)"123456789", 9));
	CCartridge original, cart, loaded;
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), original, m_strError));
	cart.m_bMultiPosition = cart.m_bPresent = FALSE;
	cart.m_bTrovesave = cart.m_bBlocked = TRUE;
	cart.m_dwCartId = 4242;
	cart.WritePosition(2, std::vector<BYTE>(SAVE_POSITION_SIZE, 0x3C).data());
	for (CCartridgeFile::SaveStep nStep : { CCartridgeFile::stepTempWritten, CCartridgeFile::stepTempFlushed, CCartridgeFile::stepComplete })
	{
		ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), cart, m_strError, nStep));
		ASSERT_TRUE(CCartridgeFile::loaded == CCartridgeFile::Load(m_strCart.c_str(), loaded, m_strError)) << (LPCTSTR)m_strError;
		EXPECT_EQ(Positions(nStep == CCartridgeFile::stepComplete ? cart : original), Positions(loaded)) << nStep;
	}
	// A later save, its path written with '/', removes what the stopped ones left, and only that.
	const std::vector<std::string> kept = { m_folder / "other.~1.new", m_strCart + ".2.~1.new", m_strCart + ".~x.new" };
	for (const std::string& strOther : kept)
		WriteBytes(strOther, "x");
	WriteBytes(m_strCart + ".~7.new", "x");
	std::string strSlashed = m_strCart;
	std::replace(strSlashed.begin(), strSlashed.end(), '\\', '/');
	ASSERT_TRUE(CCartridgeFile::Save(strSlashed.c_str(), cart, m_strError));
	WIN32_FIND_DATAA fd;
	std::vector<std::string> left;
	for (HANDLE hFind = ::FindFirstFileA((m_folder / "*.new").c_str(), &fd); hFind != INVALID_HANDLE_VALUE;
		hFind = ::FindNextFileA(hFind, &fd) ? hFind : (::FindClose(hFind), INVALID_HANDLE_VALUE))
		left.push_back(m_folder / fd.cFileName);
	std::sort(left.begin(), left.end());
	EXPECT_EQ(kept, left);
	// The header as other versions of the program read it: name, version 2, flags (link ready 1, blocked 8, Trovesave 16), identity.
	EXPECT_EQ(std::make_pair(std::vector<DWORD>({ FALSE, FALSE, TRUE, TRUE, 4242 }), CBytes("CVLCART\0\2\0\0\0\x19\0\0\0\x92\x10\0\0", 20)),
		std::make_pair(std::vector<DWORD>({ (DWORD)loaded.m_bMultiPosition, (DWORD)loaded.m_bPresent, (DWORD)loaded.m_bTrovesave, (DWORD)loaded.m_bBlocked,
		loaded.m_dwCartId }), CBytes(ReadBytes(m_strCart).substr(0, 20))));
	// Another program reads it too, and holds it a moment, as one starting up does: a save waits for it.
	CFile reader(m_strCart.c_str(), CFile::modeRead | CFile::shareDenyWrite);
	EXPECT_TRUE(CCartridgeFile::loaded == CCartridgeFile::Load(m_strCart.c_str(), loaded, m_strError)) << (LPCTSTR)m_strError;
	std::thread closer([&reader] { ::Sleep(50), reader.Close(); });
	EXPECT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), cart, m_strError)) << (LPCTSTR)m_strError;
	closer.join();
}

// A damaged file is refused naming what is damaged and left as it is, and every part it holds
// intact is read all the same; a file of the previous version opens.
TEST_F(CartridgeFileTest, DamagedFilesGiveBackEveryIntactPart)
{
	CCartridge written, loaded;
	written.m_dwCartId = 4242;
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		written.WritePosition(nPosition, (const BYTE*)Payload(nPosition + 1, 1).data());
	ASSERT_TRUE(CCartridgeFile::Save(m_strCart.c_str(), written, m_strError));
	const CBytes good = ReadBytes(m_strCart);
	CBytes v1 = good.substr(0, 24) + Positions(written);
	v1[8] = 1;
	const DWORD dwCrc = CCartridgeFile::Crc32((const BYTE*)v1.data(), v1.size());
	v1 += CBytes((const char*)&dwCrc, 4);
	const DWORD dwRecord = CCartridgeFile::RECORD_SIZE, dwSwitches = CCartridgeFile::INTACT_SWITCHES;
	struct Case { CBytes bytes; size_t nFlip; const char* pszError; UINT nIntact; } cases[] = {
		{ good.substr(0, 28 + 2 * dwRecord + 1000), 0, "it is 132108 bytes long instead of 262188, and position 3 and position 4 are not intact.", dwSwitches | 3 },
		{ good + "x", 0, "it is 262189 bytes long instead of 262188.", CCartridgeFile::INTACT_ALL },
		{ good, 28 + dwRecord + 5, "position 2 is not intact.", dwSwitches | 13 },
		{ good, 28 + 4 * dwRecord - 1, "position 4 is not intact.", dwSwitches | 7 },
		{ good, 16, "the switches are not intact.", 15 }, { good, 27, "the switches are not intact.", 15 },
		{ good, 1, "the header and the switches are not intact.", 15 },
		{ good.substr(0, 40), 0, "it is 40 bytes long instead of 262188, and position 1, position 2, position 3 and position 4 are not intact.", dwSwitches },
		{ v1, 5000, "the switches, position 1, position 2, position 3 and position 4 are not intact.", 0 },
		{ v1 + "x", 0, "it is 262173 bytes long instead of 262172, and the switches, position 1, position 2, position 3 and position 4 are not intact.", 0 },
		{ CBytes(1000, 'x'), 0, "not a cartridge file.", 0 },
		{ good.substr(0, 8) + CBytes("\3\0\0\0", 4) + CBytes(100000, 'x'), 0, "cartridge file version 3 is not supported (this host reads versions 1 and 2).", 0 },
		{ v1, 0, "", CCartridgeFile::INTACT_ALL },
	};
	for (Case& c : cases)
	{
		c.bytes[c.nFlip] ^= c.nFlip != 0 ? 1 : 0;
		WriteBytes(m_strCart, c.bytes);
		UINT nIntact = 0;
		loaded = CCartridge();
		m_strError.Empty();
		const std::string strError = *c.pszError ? m_strCart + (c.pszError[0] == 'n' || c.pszError[0] == 'c' ? ": " : ": the cartridge file is damaged: ") + c.pszError : "";
		const CCartridgeFile::LoadResult nResult = CCartridgeFile::Load(m_strCart.c_str(), loaded, m_strError, &nIntact);
		EXPECT_EQ(std::make_tuple(*c.pszError ? CCartridgeFile::damaged : CCartridgeFile::loaded, strError, c.nIntact),
			std::make_tuple(nResult, std::string(m_strError), nIntact));
		for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
			EXPECT_EQ(Positions((c.nIntact & (1u << nPosition)) != 0 ? written : CCartridge(), nPosition, 1), Positions(loaded, nPosition, 1)) << strError;
		EXPECT_EQ((c.nIntact & dwSwitches) != 0 ? 4242u : 1u, loaded.m_dwCartId) << strError;
		CCartridgeSession session;
		EXPECT_EQ(!*c.pszError, session.Open(m_strCart.c_str(), TRUE, m_strError) != FALSE);
		EXPECT_EQ(c.bytes, ReadBytes(m_strCart)) << strError;
	}
	CCartridgeSession session;
	ASSERT_TRUE(session.Open(m_strCart.c_str(), FALSE, m_strError) && session.Change([](CCartridge&) {}, m_strError));
	EXPECT_EQ(good, ReadBytes(m_strCart));
	// A session whose file went bad has no cartridge, until it opens another.
	CARTSTATUS status[2];
	WriteBytes(m_strCart, "x");
	EXPECT_FALSE(session.Refresh(m_strError));
	session.FillStatus(status[0]);
	ASSERT_TRUE(session.Open((m_folder / "new.cart").c_str(), TRUE, m_strError));
	session.FillStatus(status[1]);
	EXPECT_EQ(std::make_pair(0, 1), std::make_pair((int)status[0].bCartPresent, (int)status[1].bCartPresent));
}

// Backups that cannot be deleted are passed over, never the one just made. A write that does not
// verify is read back from the file, and the message names the first differing byte.
TEST_F(CartridgeFileTest, WritesKeepBackupsAndAreVerified)
{
	CCartridgeSession session;
	ASSERT_TRUE(session.Open(m_strCart.c_str(), TRUE, m_strError));
	std::vector<CBytes> expected = { Positions(session.GetCartridge(), 3, 1) };
	const std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	ASSERT_TRUE(session.WritePosition(3, zeros.data(), m_strError));
	EXPECT_EQ(m_strCart + ".backups\\pos4-00000001.sav", std::string(Backups(session.GetPath()).at(0).strPath));  // beside it, from 1
	for (int nRound = 1; nRound <= 20; ++nRound)
		ASSERT_TRUE(session.WritePosition(1, (const BYTE*)Payload(2, nRound).data(), m_strError)) << (LPCTSTR)m_strError;
	for (int nRound = 4; nRound < 20; ++nRound)
		expected.push_back(Payload(2, nRound));
	auto Kept = [&session, this](DWORD dwAttributes) {
		std::vector<CBytes> kept;
		for (const CBackup& backup : Backups(session.GetPath()))
		{
			kept.push_back(CBytes(SAVE_POSITION_SIZE, '\0'));
			EXPECT_TRUE(CCartridgeFile::ReadSave(backup.strPath, (BYTE*)&kept.back()[0], m_strError));
			::SetFileAttributes(backup.strPath, dwAttributes);
		}
		return kept;
	};
	EXPECT_EQ(expected, Kept(FILE_ATTRIBUTE_NORMAL));
	ASSERT_TRUE(session.WriteFromFile(1, Backups(session.GetPath()).back().strPath, m_strError)) << (LPCTSTR)m_strError;
	expected.erase(expected.begin() + 1);
	expected.push_back(Payload(2, 20));
	EXPECT_EQ(expected, Kept(FILE_ATTRIBUTE_READONLY));
	CCartridgeSession reopened;
	ASSERT_TRUE(reopened.Open(m_strCart.c_str(), FALSE, m_strError));
	EXPECT_EQ(Payload(2, 19), Positions(reopened.GetCartridge(), 1, 1));
	for (int nRound = 1; nRound <= 3; ++nRound)
		ASSERT_TRUE(session.WritePosition(1, (const BYTE*)Payload(3, nRound).data(), m_strError)) << (LPCTSTR)m_strError;
	expected.insert(expected.end(), { Payload(2, 19), Payload(3, 1), Payload(3, 2) });
	EXPECT_EQ(expected, Kept(FILE_ATTRIBUTE_NORMAL));
	// Numbers of any length and names in any case: the newest stays the newest, and is restored.
	ASSERT_TRUE(::MoveFileA(Backups(session.GetPath()).back().strPath, session.GetPath() + _T(".backups\\POS2-99999999999999999999.sav")));
	ASSERT_TRUE(session.WritePosition(1, (const BYTE*)Payload(4, 1).data(), m_strError) && session.WriteFromFile(1, NULL, m_strError));
	expected.erase(expected.begin() + 1, expected.begin() + 6);
	expected.insert(expected.end(), { Payload(3, 3), Payload(4, 1) });
	EXPECT_EQ(std::make_tuple(expected, std::string("100000000000000000001"), Payload(3, 3)), std::make_tuple(Kept(FILE_ATTRIBUTE_NORMAL),
		std::string(Backups(session.GetPath()).back().strNumber), Positions(session.GetCartridge(), 1, 1)));

	session.m_faults.bFlipBitNextWrite = TRUE;
	EXPECT_FALSE(session.WritePosition(2, std::vector<BYTE>(SAVE_POSITION_SIZE, 1).data(), m_strError));
	EXPECT_EQ("Position 3 did not verify after writing: 1 differing bytes, first at 0x8000. It holds what was read back; "
		"what it held before is its newest backup.", std::string(m_strError));
	CBytes flipped(SAVE_POSITION_SIZE, 1);
	flipped[0x8000] ^= 0x10;
	ASSERT_TRUE(reopened.Refresh(m_strError));
	EXPECT_EQ(std::make_pair(flipped, Positions(CCartridge(), 2, 1)), std::make_pair(Positions(reopened.GetCartridge(), 2, 1), Kept(FILE_ATTRIBUTE_NORMAL).back()));
	EXPECT_TRUE(session.WritePosition(2, zeros.data(), m_strError));
}

// The verbs as a script uses them: every answer one line, on the right stream, and no window; a
// failure, a busy cartridge's too, leaves the cartridge file as it was.
TEST_F(CartridgeFileTest, CommandLineAnswersLikeATool)
{
	EXPECT_EQ(1, RunCorvel(m_strCart, "--status"));
	ASSERT_EQ(0, RunCorvel(m_strCart, "--create"));
	EXPECT_EQ(1, RunCorvel(m_strCart, "--export 1 \"" + m_strCart + ".backups\""));  // refused before the folder is made
	const std::string strTwo = m_folder / "two.sav", strShort = m_folder / "short.sav", strFolder = m_folder / "folder.sav",
		strLong = m_folder / "long.sav";
	std::string strOutput;
	for (const std::string& strArgs : { "--export 2 \"" + strTwo + "\"", "--import 4 \"" + strTwo + "\"", std::string("--format 2") })
		EXPECT_EQ(0, RunCorvel(m_strCart, strArgs)) << strArgs;
	CCartridge cart;
	ASSERT_TRUE(CCartridgeFile::loaded == CCartridgeFile::Load(m_strCart.c_str(), cart, m_strError));
	EXPECT_EQ(std::make_tuple(CBytes(SAVE_POSITION_SIZE, 0), Positions(CCartridge(), 1, 1), Positions(CCartridge(), 1, 1)),
		std::make_tuple(Positions(cart, 1, 1), Positions(cart, 3, 1), ReadBytes(strTwo)));
	EXPECT_EQ(1, RunCorvel(m_strCart, "--fault flipbit --format 1", NULL, &strOutput));
	EXPECT_NE(std::string::npos, strOutput.find("did not verify")) << strOutput;

	const CBytes good = ReadBytes(m_strCart);
	WriteBytes(strShort, std::string(SAVE_POSITION_SIZE - 1, 1));
	WriteBytes(strLong, std::string(SAVE_POSITION_SIZE + 1, 1));
	::CreateDirectoryA(strFolder.c_str(), NULL);
	::CreateHardLinkA((m_folder / "other.name").c_str(), (m_strCart + ".lock").c_str(), NULL);  // the lock and the cartridge by other names
	::CreateHardLinkA((m_folder / "other.cart").c_str(), m_strCart.c_str(), NULL);
	struct Case { std::string strArgs; int nExit; const char* pszOut; const char* pszErr; } cases[] = {
		{ "--help", 0, "usage: corvel", "" }, { "-h", 0, "usage: corvel", "" }, { "/?", 0, "usage: corvel", "" },
		{ "--bogus", 1, "", "corvel: unknown option --bogus\r\nusage: corvel" },
		{ "stray", 1, "", "corvel: unknown option stray\r\nusage: corvel" },
		{ "--import 1", 1, "", "corvel: --import needs a value\r\nusage: corvel" },
		{ "--restore", 1, "", "corvel: --restore needs a value\r\nusage: corvel" },
		{ "--import 1 x.sav --status", 1, "", "corvel: one verb a run: --import and --status\r\nusage: corvel" },
		{ "--status --status", 1, "", "corvel: --status is given twice\r\nusage: corvel" },
		{ "--cart x.cart --status", 1, "", "corvel: --cart is given twice\r\nusage: corvel" },
		{ "--format 1 --demo", 1, "", "corvel: --page and --demo are for the window, not for --format\r\nusage: corvel" },
		{ "--export 1 \"" + m_folder / ".\\test.cart" + "\"", 1, "", "a file of the cartridge itself" },
		{ "--export 1 \"" + m_strCart + ".lock\"", 1, "", "a file of the cartridge itself" },
		{ "--export 1 \"" + m_folder / "other.name" + "\"", 1, "", "a file of the cartridge itself" },
		{ "--export 1 \"" + m_folder / "other.cart" + "\"", 1, "", "a file of the cartridge itself" },
		{ "--export 1 \"" + m_strCart + ".backups\\pos4-00000001.sav\"", 1, "", "a file of the cartridge itself" },
		{ "--restore 1 \"\"", 1, "", "corvel: --restore has an empty value\r\nusage: corvel" },
		{ "--export 1 --status", 1, "", "corvel: --export needs a value, not the option --status (a file of that name is .\\--status)\r\nusage: corvel" },
		{ "--import 2 -h", 1, "", "corvel: --import needs a value, not the option -h (a file of that name is .\\-h)\r\nusage: corvel" },
		{ "--export 1 \"" + m_strCart + ".~5.NEW\"", 1, "", "a file of the cartridge itself" },
		{ "--export 1 \"" + m_strCart + ".BACKUPS\\new.sav\"", 1, "", "a file of the cartridge itself" },
		{ "--restore 1 \"" + strShort + "\"", 1, "", "short.sav: 65535 bytes; a save file holds exactly 65536." },
		{ "--restore 2 \"" + strLong + "\"", 1, "", "long.sav: 65537 or more bytes; a save file holds exactly 65536." },
		{ "--restore 3", 1, "", "position 3 has no backup" },
		{ "--format 5", 1, "", "a save position from 1 to 4, or all, must follow --format" }, { "--format 0", 1, "", "from 1 to 4" },
		{ "--export 12 x.sav", 1, "", "a save position from 1 to 4 must follow --export" },
		{ "--import 1 \"" + m_folder / "nowhere.sav" + "\"", 1, "", "cannot be opened" },
		{ "--import 3 \"" + strLong + "\"", 1, "", "long.sav: 65537 or more bytes; a save file holds exactly 65536." },
		{ "--import 2 \"" + strFolder + "\"", 1, "", "cannot be opened" },
		{ "--export 1 \"" + m_folder / "none\\x.sav" + "\"", 1, "", "cannot be created" },
		{ "--fault nocart --export 1 x.sav", 1, "", "no cartridge detected" }, { "--fault blocked --format 1", 1, "", "is blocked" },
		{ "--fault linkdrop --format 1", 1, "", "not ready" },
		{ "--fault sunspots --status", 1, "", "unknown fault switch" },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.strArgs);
		std::string strErrors;
		EXPECT_EQ(c.nExit, RunCorvel(m_strCart, c.strArgs, &strOutput, &strErrors));
		EXPECT_EQ(0u, strOutput.find(c.pszOut)) << strOutput;
		if (std::strstr(c.pszErr, "usage") != NULL)
			EXPECT_EQ(0u, strErrors.find(c.pszErr)) << strErrors;
		else
			EXPECT_EQ(*c.pszErr ? 1 : 0, std::count(strErrors.begin(), strErrors.end(), '\n')) << strErrors;
		EXPECT_NE(std::string::npos, strErrors.find(c.pszErr)) << strErrors;
		EXPECT_EQ(std::make_pair(good, (size_t)3), std::make_pair(ReadBytes(m_strCart), Backups(m_strCart.c_str()).size()));
	}
	// Position 2 takes a file, then its newest backup again; position 4 its bytes before the import.
	for (const std::string& strArgs : { "--restore 2 \"" + strTwo + "\"", std::string("--restore 4"), std::string("--restore 2") })
		EXPECT_EQ(0, RunCorvel(m_strCart, strArgs)) << strArgs;
	ASSERT_TRUE(CCartridgeFile::loaded == CCartridgeFile::Load(m_strCart.c_str(), cart, m_strError));
	EXPECT_EQ(std::make_tuple(Positions(CCartridge(), 3, 1), CBytes(SAVE_POSITION_SIZE, 0), CBytes()),
		std::make_tuple(Positions(cart, 3, 1), Positions(cart, 1, 1), ReadBytes(m_strCart + ".lock")));
	EXPECT_EQ(std::make_pair(0, 0), std::make_pair(RunCorvel(m_strCart, "--format all"),
		RunCorvel(m_strCart, "--fault linkdrop --fault blocked --status", &strOutput)));
	ASSERT_TRUE(CCartridgeFile::loaded == CCartridgeFile::Load(m_strCart.c_str(), cart, m_strError));
	EXPECT_EQ(CBytes(4 * SAVE_POSITION_SIZE, 0), Positions(cart));
	EXPECT_NE(std::string::npos, strOutput.find("link ready no, several positions yes, blocked yes")) << strOutput;
	// A relative cartridge name is made full at start. A damaged cartridge is named with the way back.
	char szFolder[MAX_PATH];
	::GetCurrentDirectoryA(MAX_PATH, szFolder);
	::SetCurrentDirectoryA(m_folder.m_strPath.c_str());
	EXPECT_EQ(0, RunProgram("\"" + BesideThisProgram("corvel.exe") + "\" --cart test.cart --status", &strOutput));
	::SetCurrentDirectoryA(szFolder);
	EXPECT_EQ(0u, strOutput.find("cartridge " + m_strCart + ": present yes")) << strOutput;
	// Through the build's symbolic link (link.cart -> linked.cart): the file linked to, its lock and backups.
	const std::string strBin = BesideThisProgram(""), strLinks = strBin.substr(0, strBin.rfind('\\', strBin.size() - 2) + 1) + "symlink\\",
		strLinked = strLinks + "linked.cart";
	auto Clean = [&]() { for (const char* pszFile : { "linked.cart", "linked.cart.lock", "linked.cart.backups", "link.cart.lock", "link.cart.backups" })
		std::filesystem::remove_all(strLinks + pszFile, m_folder.m_error); };
	Clean();
	for (const std::string& strArgs : { "\"" + strLinked + "\" --create", "\"" + strLinks + "link.cart\" --format 3", "\"" + strLinked + "\" --format 3" })
		EXPECT_EQ(0, RunProgram("\"" + BesideThisProgram("corvel.exe") + "\" --cart " + strArgs)) << strArgs;
	EXPECT_EQ(0, RunCorvel(strLinks + "link.cart", "--status", &strOutput));
	EXPECT_EQ(std::make_tuple(ReadBytes(strLinked), INVALID_FILE_ATTRIBUTES, INVALID_FILE_ATTRIBUTES, "cartridge " + strLinked + ": present yes, "
		"link ready yes, several positions yes, blocked no, Trovesave no, identity 1, 2 backups\r\n"), std::make_tuple(ReadBytes(strLinks + "link.cart"),
		::GetFileAttributesA((strLinks + "link.cart.backups").c_str()), ::GetFileAttributesA((strLinks + "link.cart.lock").c_str()), strOutput));
	Clean();
	CCartridgeSession session;
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		ASSERT_TRUE(session.Open(m_strCart.c_str(), FALSE, m_strError) && session.WritePosition(nPosition, (const BYTE*)Payload(5, nPosition).data(), m_strError));
	CBytes damaged = ReadBytes(m_strCart);
	const CBytes cut = damaged.substr(0, 28 + 2 * CCartridgeFile::RECORD_SIZE + 500);
	damaged[28 + CCartridgeFile::RECORD_SIZE + 9] ^= 1;
	WriteBytes(m_strCart, damaged);
	EXPECT_EQ(1, RunCorvel(m_strCart, "--status", NULL, &strOutput));
	EXPECT_EQ("corvel: " + m_strCart + ": the cartridge file is damaged: position 2 is not intact. --create moves it aside and makes a "
		"new cartridge of every part it holds intact; --restore N then puts back position N's newest backup.\r\n", strOutput);
	// "--create" moves it aside and makes a new cartridge of every intact part, naming what did not come back.
	const struct { CBytes bytes; const char* pszAside; std::string strReport; UINT nIntact; } salvages[] = {
		{ damaged, ".damaged", "position 2 is not intact. It was moved to " + m_strCart + ".damaged, and a new cartridge was made in its place. "
			"Carried over: the switches, position 1, position 3 and position 4. Not carried over: position 2", 13 },
		{ cut, ".damaged.2", "it is 131608 bytes long instead of 262188, and position 3 and position 4 are not intact. It was moved to " + m_strCart +
			".damaged.2, and a new cartridge was made in its place. Carried over: the switches, position 1 and position 2. Not carried "
			"over: position 3 and position 4", 3 },
	};
	for (const auto& salvage : salvages)
	{
		WriteBytes(m_strCart, salvage.bytes);
		EXPECT_EQ(0, RunCorvel(m_strCart, "--create", &strOutput));
		EXPECT_EQ(m_strCart + ": the cartridge file is damaged: " + salvage.strReport + "; its newest backup puts each back (--restore N, or Restore on the Cartridge page). "
			"Its backups are kept in " + m_strCart + ".backups.\r\n", strOutput);
		ASSERT_TRUE(CCartridgeFile::loaded == CCartridgeFile::Load(m_strCart.c_str(), cart, m_strError));
		for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
			EXPECT_EQ(salvage.nIntact & (1u << nPosition) ? Payload(5, nPosition) : Positions(CCartridge(), nPosition, 1), Positions(cart, nPosition, 1));
		EXPECT_EQ(salvage.bytes, ReadBytes(m_strCart + salvage.pszAside));
	}
	EXPECT_EQ(0, RunCorvel(m_strCart, "--restore 3"));  // its backups stayed
	ASSERT_TRUE(CCartridgeFile::loaded == CCartridgeFile::Load(m_strCart.c_str(), cart, m_strError));
	EXPECT_EQ(CBytes(SAVE_POSITION_SIZE, 0), Positions(cart, 2, 1));
	const CBytes fresh = ReadBytes(m_strCart);
	EXPECT_EQ(0, RunCorvel(m_strCart, "--create", &strOutput));
	EXPECT_EQ(std::make_pair(m_strCart + " is a sound cartridge; nothing was changed.\r\n", fresh), std::make_pair(strOutput, ReadBytes(m_strCart)));
	CCartridgeLock busy;  // waited for while it is held, the backups' list too, and not longer
	std::atomic<bool> bReleased(false);
	ASSERT_TRUE(busy.Acquire(m_strCart.c_str(), m_strError));
	std::thread releaser([&]() { ::Sleep(500), bReleased = true, busy.Release(); });
	std::vector<CBackup> listed;
	EXPECT_TRUE(session.ListBackups(listed, m_strError) && bReleased && !listed.empty()) << (LPCTSTR)m_strError;
	releaser.join();
	ASSERT_TRUE(busy.Acquire(m_strCart.c_str(), m_strError));
	const DWORD dwStart = ::GetTickCount();  // after 5 seconds, not 2 or 10: a bound on behaviour, not on speed
	EXPECT_EQ(1, RunCorvel(m_strCart, "--status", NULL, &strOutput));
	const DWORD dwWaited = ::GetTickCount() - dwStart;
	EXPECT_EQ("corvel: " + m_strCart + ": the cartridge is in use by another program.\r\n", strOutput);
	EXPECT_TRUE(dwWaited >= 4500 && dwWaited < 9500) << dwWaited;
	EXPECT_EQ(fresh, ReadBytes(m_strCart));
}

// Formatting all four positions is one step: a failure before the cartridge is replaced, in the
// third position's backup, in flushing or in replacing the cartridge, leaves the cartridge and its
// backups as they were, and says what failed. What was written is read back from the file itself.
TEST_F(CartridgeFileTest, AFailedWriteChangesNothing)
{
	CCartridgeSession session;
	ASSERT_TRUE(session.Open(m_strCart.c_str(), TRUE, m_strError) && session.WritePosition(2, (const BYTE*)Payload(1, 1).data(), m_strError));
	const CBytes good = ReadBytes(m_strCart);
	const std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	const struct { bool bFlush; int nCall; std::string strError; } cases[] = {
		{ false, 5, "Position 3 could not be backed up in " + m_strCart + ".backups; nothing was written." },
		{ false, 9, m_strCart + ": cannot be saved (error 5 while replacing it)." },
		{ true, 5, m_strCart + ": cannot be saved (error 5 while writing it: disk full or not writable?)." },
	};
	auto FormatAll = [&]() { return session.WritePositions(0, SAVE_POSITION_COUNT - 1, zeros.data(), m_strError); };
	for (const auto& c : cases)
	{
		EXPECT_FALSE(c.bFlush ? (CFailingFlush("FlushFileBuffers", c.nCall), FormatAll()) : (CFailingMove("MoveFileExA", c.nCall), FormatAll()));
		WIN32_FIND_DATAA fd;
		EXPECT_EQ(std::make_tuple(c.strError, good, (size_t)1, INVALID_HANDLE_VALUE), std::make_tuple(std::string(m_strError),
			ReadBytes(m_strCart), Backups(session.GetPath()).size(), ::FindFirstFileA((m_strCart + ".~*.new").c_str(), &fd)));
	}
	// The cartridge's renaming says it is done, and is not: the read-back finds out.
	EXPECT_FALSE((CFailingMove("MoveFileExA", 9, true), FormatAll()));
	EXPECT_EQ(std::make_pair((size_t)0, good), std::make_pair(std::string(m_strError).find("Position 1 did not verify after writing: "), ReadBytes(m_strCart)));
	ASSERT_TRUE(FormatAll()) << (LPCTSTR)m_strError;
	EXPECT_EQ(std::make_pair(CBytes(4 * SAVE_POSITION_SIZE, 0), (size_t)9), std::make_pair(Positions(session.GetCartridge()),
		Backups(session.GetPath()).size()));
}

// The files of a cartridge's folder and its backups' folder, with their bytes.
static std::map<std::string, CBytes> Files(const std::string& strFolder)
{
	std::map<std::string, CBytes> files;
	std::error_code error;
	for (const auto& entry : std::filesystem::recursive_directory_iterator(strFolder, error))
		if (entry.is_regular_file())
			files[entry.path().string()] = ReadBytes(entry.path().string());
	return files;
}

// Each changing verb of the command line, the window's switch change, and "--create" on a damaged
// cartridge: k = 1, 2, ... until a run makes no failing call.
TEST(FailingCalls, EveryFailingCallLeavesTheCartridgeWhole)
{
	CTempFolder folder;
	const std::string strCart = folder / "c.cart", strBackups = strCart + ".backups\\", strIn = folder / "in.sav", strOut = folder / "out.sav";
	CCartridge base;
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		base.WritePosition(nPosition, (const BYTE*)Payload(20, nPosition).data());
	const CBytes in = Payload(20, 8), newest = Payload(20, 7), zeros(SAVE_POSITION_SIZE, '\0');
	struct Case { std::vector<std::string> args; std::vector<int> written; std::vector<CBytes> after; } cases[] = {
		{ { "--import", "3", strIn }, { 2 }, { "", "", in, "" } }, { { "--format", "2" }, { 1 }, { "", zeros, "", "" } },
		{ { "--format", "all" }, { 0, 1, 2, 3 }, { zeros, zeros, zeros, zeros } }, { { "--restore", "1" }, { 0 }, { newest, "", "", "" } },
		{ { "--restore", "4", strIn }, { 3 }, { "", "", "", in } }, { { "--export", "2", strOut }, {}, {} },
		{ { "--create" }, {}, { "", Positions(CCartridge(), 1, 1), "", "" } }, { { "switch" }, {}, {} },
	};
	for (const Case& c : cases)
	{
		int nRuns = 0;
		for (bool bFailed = true; bFailed; ++nRuns)
		{
			SCOPED_TRACE(c.args[0] + " failing at call " + std::to_string(nRuns + 1));
			std::filesystem::remove_all(folder.m_strPath), std::filesystem::create_directories(strBackups);
			CCartridgeSession session;
			CString strOutput;
			ASSERT_TRUE(CCartridgeFile::Save(strCart.c_str(), base, strOutput) && session.Open(strCart.c_str(), FALSE, strOutput));
			std::vector<CBytes> backups, kept;  // position 1 has as many backups as are always kept
			for (int nBackup = 1; nBackup <= CBackupStore::MAX_PER_POSITION; ++nBackup)
			{
				kept.push_back(nBackup < CBackupStore::MAX_PER_POSITION ? CBytes(std::to_string(nBackup)) : newest);  // only the newest is read
				WriteBytes(strBackups + "pos1-" + std::to_string(100000000 + nBackup).substr(1) + ".sav", kept.back());
			}
			WriteBytes(strIn, in);
			if (c.args[0] == "--create")
				WriteBytes(strCart, ReadBytes(strCart).replace(CCartridgeFile::HEADER_SIZE + CCartridgeFile::RECORD_SIZE, 1, "!"));
			const std::map<std::string, CBytes> before = Files(folder.m_strPath);
			CHostCommandLine commandLine;
			ASSERT_EQ(CHostCommandLine::parseVerb, c.args[0] == "switch" ? CHostCommandLine::parseVerb : commandLine.Parse(c.args, strOutput));
			BOOL bDone = FALSE;
			{
				CFailingFileSystem failing(nRuns + 1);
				bDone = c.args[0] == "switch" ? session.Change([](CCartridge& cart) { cart.m_bBlocked = TRUE; }, strOutput)
					: commandLine.Run(session, strCart.c_str(), strOutput);
				bFailed = s_nCallsLeft <= 0;
			}
			// The message is one line and true: the cartridge holds what it says, and so do the backups.
			const bool bWritten = bDone || std::strstr(strOutput, "The cartridge was written, but cannot be read back") == (LPCTSTR)strOutput;
			EXPECT_EQ(nullptr, std::strchr(strOutput, '\n'));
			CCartridge now, expected = base;
			expected.m_bBlocked = bWritten && c.args[0] == "switch";
			for (size_t n = 0; n < c.after.size() && bWritten; ++n)
				expected.WritePosition((int)n, (const BYTE*)(c.after[n].empty() ? Payload(20, (int)n) : c.after[n]).data());
			if (bWritten)
				EXPECT_TRUE(CCartridgeFile::Load(strCart.c_str(), now, strOutput) == CCartridgeFile::loaded && Positions(now) == Positions(expected) &&
					now.m_bBlocked == expected.m_bBlocked) << (LPCTSTR)strOutput;
			else
				EXPECT_EQ(before.at(strCart), ReadBytes(strCart)) << (LPCTSTR)strOutput;
			for (const CBackup& backup : Backups(strCart.c_str()))
				backups.push_back(ReadBytes((LPCTSTR)backup.strPath));
			for (size_t n = 0; n < c.written.size() && bWritten; ++n)
				kept.push_back(Payload(20, c.written[n]));
			// A write to position 1 may delete its oldest backup, and no other.
			const bool bPruned = bWritten && c.written.size() > 0 && c.written[0] == 0 && backups.size() < kept.size();
			EXPECT_EQ(std::vector<CBytes>(kept.begin() + bPruned, kept.end()), backups);
			EXPECT_EQ(bDone && c.args[0] == "--export" ? Payload(20, 1) : CBytes(), ReadBytes(strOut));
			// The next write that succeeds leaves no new file but its backups and a damaged file moved aside.
			CCartridgeSession next;
			ASSERT_TRUE(c.args[0] == "--create" ? next.StartAnew(strCart.c_str(), strOutput) : (next.Open(strCart.c_str(), FALSE, strOutput) &&
				next.Change([](CCartridge& cart) { cart.m_bBlocked = FALSE; }, strOutput) && next.WritePosition(0, (const BYTE*)zeros.data(), strOutput)))
				<< (LPCTSTR)strOutput;
			std::vector<CBackup> listed;
			ASSERT_TRUE(next.ListBackups(listed, strOutput));
			for (const auto& file : Files(folder.m_strPath))
				EXPECT_TRUE(before.count(file.first) != 0 || file.first == strOut || file.first == strCart + ".damaged" ||
					std::any_of(listed.begin(), listed.end(), [&file](const CBackup& b) { return file.first == (LPCTSTR)b.strPath; })) << file.first;
		}
	}
}
