// Reading positions into save files and writing save files into positions, with real files.
#include "PageTest.h"
#include "Harness.h"
#include "Harness.h"
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

	std::string Path(const char* pszName, const std::string& strBytes = std::string())
	{
		m_created.push_back(m_strDir + "\\" + pszName);
		if (!strBytes.empty())
			WriteBytes(m_created.back(), strBytes);
		return m_created.back();
	}

	// Clicks the button with a file dialog answered, then the message boxes answered in turn.
	void ClickWithFile(int nID, const std::string& strPath, std::initializer_list<int> answers = { IDOK })
	{
		m_modals.m_records.clear();
		m_page.m_host.m_calls.clear();
		m_modals.AnswerFileDialog(strPath);
		for (int nAnswer : answers)
			m_modals.AnswerMessageBox(nAnswer);
		m_page.Click(nID);
		EXPECT_EQ(0u, m_modals.UnusedAnswers());
	}

	std::string m_strDir;
	std::vector<std::string> m_created;
};

// The dialogs offer save files and all files and no read-only box; a name typed without an
// extension gets the chosen type's. An existing file is replaced whole once the prompt agrees.
TEST_F(PageFileTest, ReadToDiskWritesThePositionsBytes)
{
	std::string strPath = Path("two.sav");
	m_page.Click(IDC_POSITION2);
	ClickWithFile(IDC_READ_TO_DISK, m_strDir + "\\two");
	EXPECT_EQ(Transfer(HM_READSAVE), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 1 }), TransferPositions());
	EXPECT_EQ(Position(1), ReadBytes(strPath));
	ASSERT_EQ(Texts({ "<file dialog>", kSaved }), m_modals.MessageTexts());
	EXPECT_EQ("Save games (*.sav)|All files (*.*)|", m_modals.m_records[0].strFilter);
	EXPECT_FALSE(m_modals.m_records[0].bReadOnlyBox);
	EXPECT_EQ((UINT)MB_ICONINFORMATION, m_modals.m_records[1].nStyle);

	strPath = Path("three.sav", std::string(70000, 'Z'));
	m_page.Click(IDC_POSITION3);
	ClickWithFile(IDC_READ_TO_DISK, strPath, { IDYES, IDOK });
	EXPECT_EQ(Position(2), ReadBytes(strPath));
	EXPECT_EQ(kSaved, m_modals.m_records.back().strText);
	const std::string strSaveTitle = m_modals.m_records[0].strTitle;

	ClickWithFile(IDC_WRITE_FROM_DISK, strPath);
	EXPECT_NE(strSaveTitle, m_modals.m_records[0].strTitle);
	EXPECT_EQ("Save games (*.sav)|All files (*.*)|", m_modals.m_records[0].strFilter);
	EXPECT_FALSE(m_modals.m_records[0].bReadOnlyBox);
}

TEST_F(PageFileTest, ReadToDiskWithoutCartridgeSavesTheImageAsItIs)
{
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.m_cartridge.m_bPresent = FALSE;
	std::string strPath = Path("image.sav");
	ClickWithFile(IDC_READ_TO_DISK, strPath, { IDOK, IDOK });
	EXPECT_EQ(Position(0), ReadBytes(strPath));
	EXPECT_EQ(Texts({ "<file dialog>", kNoCartridge, kSaved }), m_modals.MessageTexts());
}

// Only the bytes the file holds replace the image; of a longer file the first 65,536 count.
// With the snapshot shown, the position is read back into it; without a cartridge both
// transfers warn and success is reported all the same.
TEST_F(PageFileTest, WriteFromDiskReplacesTheBytesTheFileHolds)
{
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION2);
	CBytes strExpected = Position(1).replace(0, 100, 100, '\xA5');
	ClickWithFile(IDC_WRITE_FROM_DISK, Path("short.sav", std::string(100, '\xA5')));
	EXPECT_EQ(Concat({ Transfer(HM_WRITESAVE), Transfer(HM_READSAVE) }), m_page.m_host.Messages());
	EXPECT_EQ(std::vector<LPARAM>({ 1, 1 }), TransferPositions());
	EXPECT_EQ(strExpected, Position(1));
	EXPECT_EQ(strExpected, Snapshot());
	EXPECT_EQ(Texts({ "<file dialog>", kWritten }), m_modals.MessageTexts());
	EXPECT_EQ((UINT)MB_ICONINFORMATION, m_modals.m_records[1].nStyle);

	std::string strLong(SAVE_POSITION_SIZE + 1000, 0);
	for (size_t i = 0; i < strLong.size(); ++i)
		strLong[i] = (char)(i * 7);
	ClickWithFile(IDC_WRITE_FROM_DISK, Path("long.sav", strLong));
	EXPECT_EQ(CBytes(strLong.substr(0, SAVE_POSITION_SIZE)), Position(1));

	m_page.m_cartridge.m_bPresent = FALSE;
	ClickWithFile(IDC_WRITE_FROM_DISK, Path("none.sav", "x"), { IDOK, IDOK, IDOK });
	EXPECT_EQ(Texts({ "<file dialog>", kNoCartridge, kNoCartridge, kWritten }), m_modals.MessageTexts());
}

// A target another program holds open, or a read-only one, is reported and left as it was;
// the page then offers Position 1 alone.
TEST_F(PageFileTest, TargetsThatCannotBeWrittenAreReported)
{
	for (bool bLocked : { true, false })
	{
		SCOPED_TRACE(bLocked ? "locked" : "read-only");
		std::string strPath = Path(bLocked ? "locked.sav" : "readonly.sav", "old bytes");
		HANDLE hLock = INVALID_HANDLE_VALUE;
		if (bLocked)
			hLock = ::CreateFileA(strPath.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
		else
		{
			::SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_READONLY);
			HANDLE hProbe = ::CreateFileA(strPath.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
			// Root may write read-only files.
			if (hProbe != INVALID_HANDLE_VALUE && ::CloseHandle(hProbe))
				continue;
		}
		SetStatus(TRUE, TRUE, TRUE, FALSE);
		ClickWithFile(IDC_READ_TO_DISK, strPath, { IDYES, IDOK });
		::CloseHandle(hLock);
		EXPECT_EQ(Transfer(HM_READSAVE), m_page.m_host.Messages());
		ASSERT_EQ(3u, m_modals.m_records.size());
		EXPECT_EQ(kCannotWrite, m_modals.m_records[2].strText);
		EXPECT_EQ((UINT)MB_ICONEXCLAMATION, m_modals.m_records[2].nStyle);
		EXPECT_EQ(CBytes("old bytes"), ReadBytes(strPath));
		ExpectEnabling(true, false);
	}
}

// A missing source, one that opens but cannot be read (this process's memory from address 0), a
// cancelled dialog: no transfer; after an error the page offers Position 1 alone.
TEST_F(PageFileTest, SourcesThatCannotBeReadAreReported)
{
	struct Case { std::string strPath; Texts texts; } cases[] = {
		{ m_strDir + "\\missing.sav", { "<file dialog>", kCannotLoad } },
		{ WindowsPath("/proc/self/mem"), { "<file dialog>", kFileError } },
		{ "", { "<file dialog>" } },
	};
	for (const Case& c : cases)
	{
		SetStatus(TRUE, TRUE, TRUE, FALSE);
		if (c.texts.size() > 1)
			ClickWithFile(IDC_WRITE_FROM_DISK, c.strPath);
		else
			ClickWithFile(IDC_WRITE_FROM_DISK, c.strPath, {});
		EXPECT_EQ(c.texts, m_modals.MessageTexts()) << c.strPath;
		EXPECT_TRUE(m_page.m_host.m_calls.empty());
		ExpectEnabling(true, c.texts.size() == 1);
	}
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
	ClickWithFile(IDC_READ_TO_DISK, strPath);
	EXPECT_EQ(Texts({ "<file dialog>", kFileError }), m_modals.MessageTexts());
	EXPECT_LT(ReadBytes(strPath).size(), (size_t)SAVE_POSITION_SIZE);
	ExpectEnabling(true, false);
}

// Typing changes the snapshot's own copy only; Ctrl+A and Ctrl+C reach it through the host's
// message loop, before the dialog manager.
TEST_F(PageFileTest, TheSnapshotIsACopyWithItsOwnShortcuts)
{
	m_page.Click(IDC_SHOW_SNAPSHOT);
	HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
	::SetFocus(hSnapshot);
	for (char ch : std::string("00112233"))
		EXPECT_EQ(0, ::SendMessage(hSnapshot, WM_CHAR, ch, 0));
	m_page.m_cartridge.m_bPresent = FALSE;
	std::string strPath = Path("image.sav");
	ClickWithFile(IDC_READ_TO_DISK, strPath, { IDOK, IDOK });
	EXPECT_EQ(Position(0), ReadBytes(strPath));

	PutBlock(CF_TEXT, "-");
	SetKeyDown(VK_CONTROL, true);
	::PostMessage(hSnapshot, WM_KEYDOWN, 'A', 0);
	::PostMessage(hSnapshot, WM_KEYDOWN, 'C', 0);
	MSG msg;
	while (::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE))
		AfxGetApp()->PumpMessage();
	SetKeyDown(VK_CONTROL, false);
	CBytes strCopied = ClipboardBlock(::RegisterClipboardFormat(_T("BinaryData")));
	ASSERT_EQ(4u + SAVE_POSITION_SIZE, strCopied.size());
	EXPECT_EQ(CBytes(std::string("\x00\x11\x22\x33", 4) + Position(0).substr(4)), CBytes(strCopied.substr(4)));
}
