// Reading positions into save files and writing save files into positions, with real files.
#include "PageTest.h"
#include <cstdlib>

static const char kSaved[] = "Save game successfully saved!";
static const char kWritten[] = "Save game written to cartridge successfully!";
static const char kFileError[] = "Error saving file. Please check disk space!";

// A read goes out whenever a cartridge is present and its result is not looked at: one the host
// refuses saves the image, zeros at first. Without a cartridge both transfers warn, and success is
// reported all the same.
TEST_F(PageTest, ReadToDiskWritesThePositionsBytesAndWriteFromDiskReplacesTheBytesTheFileHolds)
{
	const std::string strTwo = m_folder / "two.sav", strThree = m_folder / "three.sav";
	WriteBytes(strThree, std::string(70000, 'Z'));
	m_page.m_cartridge.m_bLinkReady = FALSE;
	m_modals.m_nFileType = 2;
	ClickWithFile(IDC_READ_TO_DISK, m_folder / "zeros", { IDOK, IDOK });
	EXPECT_EQ(std::make_tuple(Transfers({ { HM_READSAVE, 0 } }), CBytes(SAVE_POSITION_SIZE, 0), 3u, std::string(kSaved)),
		std::make_tuple(HostCalls(), ReadBytes(m_folder / "zeros"), m_modals.m_records.size(), m_modals.m_records.back().strText));
	m_page.m_cartridge.m_bLinkReady = TRUE;
	m_modals.m_nFileType = 0;
	m_page.Click(IDC_POSITION2);
	ClickWithFile(IDC_READ_TO_DISK, m_folder / "two");
	ASSERT_EQ(std::make_tuple(Transfers({ { HM_READSAVE, 1 } }), Position(1), Texts({ "<file dialog>", kSaved })),
		std::make_tuple(HostCalls(), ReadBytes(strTwo), m_modals.MessageTexts()));
	EXPECT_EQ(std::make_tuple(std::string("Save games (*.sav)|All files (*.*)|"), false, (UINT)MB_ICONINFORMATION),
		std::make_tuple(m_modals.m_records[0].strFilter, m_modals.m_records[0].bReadOnlyBox, m_modals.m_records[1].nStyle));
	const std::string strSaveTitle = m_modals.m_records[0].strTitle;
	m_page.Click(IDC_POSITION3);
	ClickWithFile(IDC_READ_TO_DISK, strThree, { IDYES, IDOK });
	EXPECT_EQ(Position(2), ReadBytes(strThree));

	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_POSITION2);
	const CBytes expected = Position(1).replace(0, 100, 100, '\xA5');
	std::string strLong(SAVE_POSITION_SIZE + 1000, 0);
	for (size_t i = 0; i < strLong.size(); ++i)
		strLong[i] = (char)(i * 7);
	WriteBytes(m_folder / "short.sav", std::string(100, '\xA5'));
	WriteBytes(m_folder / "long.sav", strLong);
	ClickWithFile(IDC_WRITE_FROM_DISK, m_folder / "short");
	ASSERT_EQ(std::make_tuple(Transfers({ { HM_WRITESAVE, 1 }, { HM_READSAVE, 1 } }), expected, expected, Texts({ "<file dialog>", kWritten })),
		std::make_tuple(HostCalls(), Position(1), Snapshot(), m_modals.MessageTexts()));
	EXPECT_EQ(std::make_tuple(true, std::string("Save games (*.sav)|All files (*.*)|"), false, (UINT)MB_ICONINFORMATION),
		std::make_tuple(strSaveTitle != m_modals.m_records[0].strTitle, m_modals.m_records[0].strFilter, m_modals.m_records[0].bReadOnlyBox,
		m_modals.m_records[1].nStyle));
	Expect(true, true, 1);
	ClickWithFile(IDC_WRITE_FROM_DISK, m_folder / "long.sav");  // the image's 256 bytes past the position stay clear
	EXPECT_EQ(std::make_pair(CBytes(strLong.substr(0, SAVE_POSITION_SIZE)), std::vector<BYTE>(256, 0)),
		std::make_pair(Position(1), m_page.m_host.m_calls[2].tail));

	m_page.m_cartridge.m_bPresent = FALSE;
	ClickWithFile(IDC_WRITE_FROM_DISK, m_folder / "short.sav", { IDOK, IDOK, IDOK });
	EXPECT_EQ(Texts({ "<file dialog>", kNoCartridge, kNoCartridge, kWritten }), m_modals.MessageTexts());
}

// A read-only target counts only where the system refuses root, a full disk only where a tiny file
// system is mounted; this process's memory from address 0 is a file that cannot be read. Ctrl+A
// and Ctrl+C reach the snapshot through the host's message loop, before the dialog manager.
TEST_F(PageTest, FilesThatCannotBeWrittenOrReadAreReportedAndTheSnapshotIsACopyWithItsOwnShortcuts)
{
	const std::string strLocked = m_folder / "locked.sav", strReadOnly = m_folder / "readonly.sav";
	WriteBytes(strLocked, "old bytes");
	WriteBytes(strReadOnly, "old bytes");
	HANDLE hLock = ::CreateFileA(strLocked.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
	::SetFileAttributesA(strReadOnly.c_str(), FILE_ATTRIBUTE_READONLY);
	HANDLE hProbe = ::CreateFileA(strReadOnly.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
	const bool bReadOnlyRefused = hProbe == INVALID_HANDLE_VALUE || !::CloseHandle(hProbe);
	const char* pszTinyFs = std::getenv("MENDLE_TINYFS");
	ULARGE_INTEGER total = {};
	const std::string strTiny = pszTinyFs != NULL ? WindowsPath(pszTinyFs) : std::string(), strFull = strTiny + "\\full.sav";
	const bool bTiny = pszTinyFs && ::GetDiskFreeSpaceExA((strTiny + "\\").c_str(), NULL, &total, NULL) && total.QuadPart < SAVE_POSITION_SIZE;
	const std::string strCannotWrite = "Unable to write save game to disk!\nPlease check if the file already exists and is "
		"read-only and you have permission to save the file to that location!";
	struct Case { int nID; std::string strPath; bool bRun; std::vector<int> answers; Texts texts; } cases[] = {
		{ IDC_READ_TO_DISK, strLocked, true, { IDYES, IDOK }, { "<file dialog>", "", strCannotWrite } },
		{ IDC_READ_TO_DISK, strReadOnly, bReadOnlyRefused, { IDYES, IDOK }, { "<file dialog>", "", strCannotWrite } },
		{ IDC_READ_TO_DISK, strFull, bTiny, { IDOK }, { "<file dialog>", kFileError } },
		{ IDC_WRITE_FROM_DISK, m_folder / "missing.sav", true, { IDOK }, { "<file dialog>", "Save game could not be loaded." } },
		{ IDC_WRITE_FROM_DISK, WindowsPath("/proc/self/mem"), true, { IDOK }, { "<file dialog>", kFileError } },
		{ IDC_WRITE_FROM_DISK, "", true, {}, { "<file dialog>" } },
		{ IDC_READ_TO_DISK, "", true, {}, { "<file dialog>" } },
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.strPath);
		if (!c.bRun)
			continue;
		SetStatus(TRUE, TRUE, TRUE, FALSE);
		ClickWithFile(c.nID, c.strPath, c.answers);
		Texts texts = m_modals.MessageTexts();
		if (texts.size() == 3)
			texts[1].clear();  // the replace prompt
		EXPECT_EQ(std::make_tuple(c.texts, c.nID == IDC_READ_TO_DISK && !c.strPath.empty() ? Transfers({ { HM_READSAVE, 0 } }) : Calls(),
			(UINT)(c.texts.size() > 1 ? MB_ICONEXCLAMATION : 0)), std::make_tuple(texts, HostCalls(), m_modals.m_records.back().nStyle));
		Expect(true, c.texts.size() == 1, 0);
	}
	::CloseHandle(hLock);
	::SetFileAttributesA(strReadOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
	EXPECT_EQ(std::make_pair(CBytes("old bytes"), CBytes("old bytes")), std::make_pair(ReadBytes(strLocked), ReadBytes(strReadOnly)));
	EXPECT_EQ(bTiny, !ReadBytes(strFull).empty());  // what the full disk took stays
	::DeleteFileA(strFull.c_str());
	m_page.Click(IDC_SHOW_SNAPSHOT);
	HWND hSnapshot = m_page.Item(IDC_SNAPSHOT);
	for (bool bShift : { false, true })  // Tab and Shift+Tab take the focus to the next and the previous tab stop
		EXPECT_EQ(bShift ? hSnapshot : m_page.Item(IDC_READ_TO_DISK), (SetKeyDown(VK_SHIFT, bShift), ::SetFocus(hSnapshot), ::SendMessage(hSnapshot,
			WM_KEYDOWN, VK_TAB, 0), bShift ? ::GetNextDlgTabItem(m_page.m_pPage->m_hWnd, ::GetFocus(), FALSE) : ::GetFocus()));
	SetKeyDown(VK_SHIFT, false);
	::SetFocus(hSnapshot);
	for (char ch : std::string("00112233"))
		EXPECT_EQ(0, ::SendMessage(hSnapshot, WM_CHAR, ch, 0));
	m_page.m_cartridge.m_bPresent = FALSE;
	ClickWithFile(IDC_READ_TO_DISK, m_folder / "image.sav", { IDOK, IDOK });
	EXPECT_EQ(std::make_pair(Position(0), Texts({ "<file dialog>", kNoCartridge, kSaved })), std::make_pair(ReadBytes(m_folder / "image.sav"), m_modals.MessageTexts()));

	PutBlock(CF_TEXT, "-");
	SetKeyDown(VK_CONTROL, true);
	::PostMessage(hSnapshot, WM_KEYDOWN, 'A', 0);
	::PostMessage(hSnapshot, WM_KEYDOWN, 'C', 0);
	for (MSG msg; ::PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE);)
		AfxGetApp()->PumpMessage();
	SetKeyDown(VK_CONTROL, false);
	EXPECT_EQ(CBytes(std::string("\0\0\1\0\0\x11\x22\x33", 8) + Position(0).substr(4)),
		ClipboardBlock(kBinaryData));
	CBytes shown;
	m_modals.m_onMessageBox = [&]() { shown = Snapshot(); };
	m_page.Click(IDC_SHOW_SNAPSHOT);
	m_page.Click(IDC_SHOW_SNAPSHOT);
	EXPECT_EQ(Position(0), shown);
}
