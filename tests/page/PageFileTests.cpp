// Reading positions into save files and writing save files into positions, with real files.
#include "PageTest.h"
#include "FileBytes.h"
#include "KeyState.h"
#include <cstdlib>

static const char kSaved[] = "Save game successfully saved!";
static const char kWritten[] = "Save game written to cartridge successfully!";
static const char kCannotWrite[] = "Unable to write save game to disk!\nPlease check if the file already exists "
	"and is read-only and you have permission to save the file to that location!";
static const char kCannotLoad[] = "Save game could not be loaded.";
static const char kFileError[] = "Error saving file. Please check disk space!";

class PageFileTest : public PageTest
{
protected:
	void SetUp() override
	{
		PageTest::SetUp();
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

	std::string Path(const char* pszName)
	{
		m_created.push_back(m_strDir + "\\" + pszName);
		return m_created.back();
	}


	std::vector<BYTE> Position(int nPosition) const
	{
		const BYTE* p = m_page.m_cartridge.GetPosition(nPosition);
		return std::vector<BYTE>(p, p + SAVE_POSITION_SIZE);
	}

	std::string m_strDir;
	std::vector<std::string> m_created;
};

TEST_F(PageFileTest, ReadToDiskWritesThePositionsBytes)
{
	std::string strPath = Path("two.sav");
	m_page.Click(IDC_POSITION2);
	m_modals.AnswerFileDialog(strPath);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);

	EXPECT_EQ(Transfer(HM_READSAVE), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 1 }), TransferPositions());
	EXPECT_EQ(Position(1), ReadBytes(strPath));
	ASSERT_EQ(2u, m_modals.m_records.size());
	EXPECT_EQ(CModalRecord::fileDialog, m_modals.m_records[0].nKind);
	EXPECT_EQ(kSaved, m_modals.m_records[1].strText);
	EXPECT_EQ((UINT)MB_ICONINFORMATION, m_modals.m_records[1].nIcon);

	// An existing file is replaced whole once the prompt is confirmed.
	m_modals.m_records.clear();
	WriteBytes(strPath, std::vector<BYTE>(70000, 0x5A));
	m_page.Click(IDC_POSITION3);
	m_modals.AnswerFileDialog(strPath);
	m_modals.AnswerMessageBox(IDYES);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);
	EXPECT_EQ(Position(2), ReadBytes(strPath));
	EXPECT_EQ(3u, m_modals.m_records.size());
	EXPECT_EQ(kSaved, m_modals.m_records.back().strText);
	EXPECT_EQ(0u, m_modals.UnusedAnswers());
}

TEST_F(PageFileTest, ReadToDiskWithoutCartridgeSavesTheImageAsItIs)
{
	std::string strPath = Path("zero.sav");
	m_page.m_cartridge.m_bPresent = FALSE;
	m_modals.AnswerFileDialog(strPath);
	m_modals.AnswerMessageBox(IDOK);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);
	EXPECT_EQ(std::vector<BYTE>(SAVE_POSITION_SIZE, 0), ReadBytes(strPath));
	EXPECT_EQ(std::vector<std::string>({ "<file dialog>", kNoCartridge, kSaved }), m_modals.MessageTexts());
}

TEST_F(PageFileTest, WriteFromDiskReplacesOnlyTheBytesTheFileHolds)
{
	// The image holds position 1 after this read.
	m_modals.AnswerFileDialog(Path("one.sav"));
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);

	std::string strShort = Path("short.sav");
	WriteBytes(strShort, std::vector<BYTE>(100, 0xA5));
	std::vector<BYTE> expected = Position(0);
	std::fill(expected.begin(), expected.begin() + 100, 0xA5);
	m_page.Click(IDC_POSITION2);
	m_page.m_host.m_calls.clear();
	m_modals.m_records.clear();
	m_modals.AnswerFileDialog(strShort);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_WRITE_FROM_DISK);

	EXPECT_EQ(Transfer(HM_WRITESAVE), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 1 }), TransferPositions());
	EXPECT_EQ(expected, Position(1));
	EXPECT_EQ(std::vector<std::string>({ "<file dialog>", kWritten }), m_modals.MessageTexts());
	EXPECT_EQ((UINT)MB_ICONINFORMATION, m_modals.m_records[1].nIcon);

	// Of a longer file only the first 65,536 bytes count.
	std::string strLong = Path("long.sav");
	std::vector<BYTE> abLong(SAVE_POSITION_SIZE + 1000);
	for (size_t i = 0; i < abLong.size(); ++i)
		abLong[i] = (BYTE)(i * 7);
	WriteBytes(strLong, abLong);
	m_modals.AnswerFileDialog(strLong);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_WRITE_FROM_DISK);
	EXPECT_EQ(std::vector<BYTE>(abLong.begin(), abLong.begin() + SAVE_POSITION_SIZE), Position(1));
}

TEST_F(PageFileTest, WriteFromDiskWithSnapshotReadsThePositionBack)
{
	std::string strPath = Path("image.sav");
	WriteBytes(strPath, std::vector<BYTE>(SAVE_POSITION_SIZE, 0x33));
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.m_host.m_calls.clear();
	m_modals.AnswerFileDialog(strPath);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_WRITE_FROM_DISK);
	EXPECT_EQ(Concat({ Transfer(HM_WRITESAVE), Transfer(HM_READSAVE) }), m_page.m_host.Messages());

	// Without a cartridge both transfers warn, and success is still reported.
	m_page.m_cartridge.m_bPresent = FALSE;
	m_modals.m_records.clear();
	m_modals.AnswerFileDialog(strPath);
	for (int i = 0; i < 3; ++i)
		m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_WRITE_FROM_DISK);
	EXPECT_EQ(std::vector<std::string>({ "<file dialog>", kNoCartridge, kNoCartridge, kWritten }),
		m_modals.MessageTexts());
}

// A target that another program holds open cannot be opened for writing.
TEST_F(PageFileTest, LockedTargetIsReportedAndLeavesOnlyPositionOne)
{
	std::string strLocked = Path("locked.sav");
	WriteBytes(strLocked, std::vector<BYTE>(10, 0x11));
	HANDLE hLock = ::CreateFileA(strLocked.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
	ASSERT_NE(INVALID_HANDLE_VALUE, hLock);
	m_modals.AnswerFileDialog(strLocked);
	m_modals.AnswerMessageBox(IDYES);  // replace the existing file
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);
	::CloseHandle(hLock);

	EXPECT_EQ(Transfer(HM_READSAVE), m_page.m_host.Messages());
	ASSERT_EQ(3u, m_modals.m_records.size());
	EXPECT_EQ(kCannotWrite, m_modals.m_records[2].strText);
	EXPECT_EQ((UINT)MB_ICONEXCLAMATION, m_modals.m_records[2].nIcon);
	EXPECT_EQ(std::vector<BYTE>(10, 0x11), ReadBytes(strLocked));
	ExpectEnabling(true, false);
}

// Root may write read-only files, so this runs where the system refuses.
TEST_F(PageFileTest, ReadOnlyTargetIsReported)
{
	std::string strReadOnly = Path("readonly.sav");
	WriteBytes(strReadOnly, std::vector<BYTE>(10, 0x22));
	ASSERT_TRUE(::SetFileAttributesA(strReadOnly.c_str(), FILE_ATTRIBUTE_READONLY));
	HANDLE hProbe = ::CreateFileA(strReadOnly.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
	if (hProbe != INVALID_HANDLE_VALUE)
	{
		::CloseHandle(hProbe);
		GTEST_SKIP() << "this system lets us write read-only files (running as root)";
	}
	m_modals.AnswerFileDialog(strReadOnly);
	m_modals.AnswerMessageBox(IDYES);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);
	ASSERT_EQ(3u, m_modals.m_records.size());
	EXPECT_EQ(kCannotWrite, m_modals.m_records[2].strText);
	EXPECT_EQ(std::vector<BYTE>(10, 0x22), ReadBytes(strReadOnly));
}

TEST_F(PageFileTest, MissingSourceIsReportedWithoutTransfer)
{
	m_modals.AnswerFileDialog(m_strDir + "\\missing.sav");
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_WRITE_FROM_DISK);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_EQ(std::vector<std::string>({ "<file dialog>", kCannotLoad }), m_modals.MessageTexts());
	EXPECT_EQ((UINT)MB_ICONEXCLAMATION, m_modals.m_records[1].nIcon);
	ExpectEnabling(true, false);
}

TEST_F(PageFileTest, CancelledDialogsDoNothing)
{
	std::vector<BYTE> before = Position(0);
	m_modals.AnswerFileDialog("");
	m_page.Click(IDC_READ_TO_DISK);
	m_modals.AnswerFileDialog("");
	m_page.Click(IDC_WRITE_FROM_DISK);
	EXPECT_TRUE(m_page.m_host.m_calls.empty());
	EXPECT_EQ(std::vector<std::string>({ "<file dialog>", "<file dialog>" }), m_modals.MessageTexts());
	EXPECT_EQ(before, Position(0));
	ExpectEnabling(true, true);
}

TEST_F(PageFileTest, FullDiskIsReported)
{
	const char* pszTinyFs = std::getenv("MENDLE_TINYFS");
	ULARGE_INTEGER total = {};
	std::string strDir = pszTinyFs != NULL ? WindowsPath(pszTinyFs) : std::string();
	if (strDir.empty() || !::GetDiskFreeSpaceExA((strDir + "\\").c_str(), NULL, &total, NULL) ||
		total.QuadPart >= SAVE_POSITION_SIZE)
		GTEST_SKIP() << "no file system smaller than a save file is mounted (mounting needs root)";

	std::string strPath = strDir + "\\full.sav";
	m_created.push_back(strPath);
	m_modals.AnswerFileDialog(strPath);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);
	EXPECT_EQ(std::vector<std::string>({ "<file dialog>", kFileError }), m_modals.MessageTexts());
	EXPECT_LT(ReadBytes(strPath).size(), (size_t)SAVE_POSITION_SIZE);
	ExpectEnabling(true, false);
}

// Typing in the snapshot changes the control's copy only: the page's image saves as it was.
TEST_F(PageFileTest, TypingInTheSnapshotLeavesTheSaveImageAlone)
{
	m_page.Click(IDC_SHOW_SNAPSHOT);
	HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
	::SetFocus(hSnapshot);
	for (char ch : std::string("00112233"))
		EXPECT_EQ(0, ::SendMessage(hSnapshot, WM_CHAR, ch, 0));

	std::string strPath = Path("image.sav");
	m_page.m_cartridge.m_bPresent = FALSE;
	m_modals.AnswerFileDialog(strPath);
	m_modals.AnswerMessageBox(IDOK);
	m_modals.AnswerMessageBox(IDOK);
	m_page.Click(IDC_READ_TO_DISK);
	EXPECT_EQ(Position(0), ReadBytes(strPath));
}

// Ctrl+A and Ctrl+C reach the snapshot through the host's message loop, before the dialog manager.
TEST_F(PageFileTest, ShortcutsWorkInTheSnapshotOnThePage)
{
	m_page.Click(IDC_SHOW_SNAPSHOT);
	HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
	::SetFocus(hSnapshot);
	SetKeyDown(VK_CONTROL, true);
	::PostMessage(hSnapshot, WM_KEYDOWN, 'A', 0);
	::PostMessage(hSnapshot, WM_KEYDOWN, 'C', 0);
	MSG msg;
	while (::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE))
		AfxGetApp()->PumpMessage();
	SetKeyDown(VK_CONTROL, false);

	ASSERT_TRUE(::OpenClipboard(NULL));
	HGLOBAL hBlock = ::GetClipboardData(::RegisterClipboardFormat(_T("BinaryData")));
	ASSERT_NE((HGLOBAL)NULL, hBlock);
	const BYTE* p = (const BYTE*)::GlobalLock(hBlock);
	EXPECT_EQ((DWORD)SAVE_POSITION_SIZE, *(const DWORD*)p);
	EXPECT_EQ(Position(0), std::vector<BYTE>(p + 4, p + 4 + SAVE_POSITION_SIZE));
	::GlobalUnlock(hBlock);
	::CloseClipboard();
}
