#include "MendlePage.h"
#include "../plugin/MendleApp.h"
#include "resource.h"
#include <cstring>

static const TCHAR s_szFilter[] = _T("Save games (*.sav)|*.sav|All files (*.*)|*.*||");
static const TCHAR s_szTrovesaveWarning[] = _T("This cartridge uses Trovesave!\n\nIt is strongly ")
	_T("recommended to not make any changes to the cartridge's save RAM area with this tool if using Trovesave!");
static const TCHAR s_szNoCartridge[] = _T("No cartridge detected!");
static const TCHAR s_szCannotWriteFile[] = _T("Unable to write save game to disk!\nPlease check if the ")
	_T("file already exists and is read-only and you have permission to save the file to that location!");
static const TCHAR s_szFileError[] = _T("Error saving file. Please check disk space!");
static const TCHAR s_szSaved[] = _T("Save game successfully saved!");
static const TCHAR s_szCannotLoad[] = _T("Save game could not be loaded.");
static const TCHAR s_szWritten[] = _T("Save game written to cartridge successfully!");
static const TCHAR s_szConfirmFormatAll[] = _T("Are you sure to format all save positions?");

static const UINT MB_WARNING = MB_ICONEXCLAMATION | MB_OK;
static const UINT MB_INFORMATION = MB_ICONINFORMATION | MB_OK;

extern "C" CPropertyPage* WINAPI GetPropertyPage(CWnd* pHostWnd);

IMPLEMENT_DYNCREATE(CMendlePage, CPropertyPage)

BEGIN_MESSAGE_MAP(CMendlePage, CPropertyPage)
	ON_BN_CLICKED(IDC_POSITION1, &CMendlePage::OnPosition1)
	ON_BN_CLICKED(IDC_POSITION2, &CMendlePage::OnPosition2)
	ON_BN_CLICKED(IDC_POSITION3, &CMendlePage::OnPosition3)
	ON_BN_CLICKED(IDC_POSITION4, &CMendlePage::OnPosition4)
	ON_BN_CLICKED(IDC_SHOW_SNAPSHOT, &CMendlePage::OnShowSnapshot)
	ON_BN_CLICKED(IDC_READ_TO_DISK, &CMendlePage::OnReadToDisk)
	ON_BN_CLICKED(IDC_WRITE_FROM_DISK, &CMendlePage::OnWriteFromDisk)
	ON_WM_SHOWWINDOW()
	ON_BN_CLICKED(IDC_FORMAT_SELECTED, &CMendlePage::OnFormatSelected)
	ON_BN_CLICKED(IDC_FORMAT_ALL, &CMendlePage::OnFormatAll)
END_MESSAGE_MAP()

CMendlePage::CMendlePage() : CPropertyPage(IDD_MENDLE_PAGE, IDS_PAGE_CAPTION), m_nPosition(0)
{
	std::memset(m_abSaveImage, 0, SAVE_POSITION_SIZE);
}

CMendlePage::~CMendlePage() = default;

CPropertyPage* CMendlePage::GetPropertyPage(CWnd* pHostWnd)
{
	return ::GetPropertyPage(pHostWnd);
}

LRESULT CMendlePage::OnHostMessage(UINT nMsg, WPARAM, LPARAM)
{
	if (nMsg == HM_STATUSCHANGED && ::IsWindow(m_hWnd))
		RefreshStatus();
	return 1;
}

void CMendlePage::DoDataExchange(CDataExchange* pDX)
{
	CPropertyPage::DoDataExchange(pDX);
	DDX_Control(pDX, IDC_FORMAT_SELECTED, m_btnFormatSelected);
	DDX_Control(pDX, IDC_FORMAT_ALL, m_btnFormatAll);
	DDX_Control(pDX, IDC_TROVESAVE_NOTE, m_stcTrovesaveNote);
	DDX_Control(pDX, IDC_WARNING_ICON, m_stcWarningIcon);
	DDX_Control(pDX, IDC_SNAPSHOT, m_ctlSnapshot);
	DDX_Control(pDX, IDC_WRITE_FROM_DISK, m_btnWrite);
	DDX_Control(pDX, IDC_READ_TO_DISK, m_btnRead);
	DDX_Control(pDX, IDC_SHOW_SNAPSHOT, m_chkSnapshot);
}

BOOL CMendlePage::OnInitDialog()
{
	CPropertyPage::OnInitDialog();
	CheckDlgButton(IDC_POSITION1, BST_CHECKED);
	m_ctlSnapshot.SetAddressSize(4, FALSE);
	m_ctlSnapshot.SetShowAddress(TRUE, FALSE);
	m_ctlSnapshot.SetShowAscii(TRUE, FALSE);
	m_ctlSnapshot.SetBytesPerRow(16, TRUE, TRUE);
	RefreshStatus();
	return TRUE;
}

void CMendlePage::QueryStatus(CARTSTATUS& status)
{
	g_pHostWnd->SendMessage(HM_QUERYSTATUS, (WPARAM)&status, 0);
}

void CMendlePage::RefreshStatus()
{
	CARTSTATUS status;
	QueryStatus(status);

	if (status.dwTrovesaveMagic == TROVESAVE_MAGIC)
	{
		m_stcWarningIcon.ShowWindow(SW_SHOW);
		m_stcTrovesaveNote.ShowWindow(SW_SHOW);
		if (status.dwCartId != g_dwLastCartId)
		{
			g_dwLastCartId = status.dwCartId;
			AfxMessageBox(s_szTrovesaveWarning, MB_WARNING);
		}
	}
	else
	{
		m_stcWarningIcon.ShowWindow(SW_HIDE);
		m_stcTrovesaveNote.ShowWindow(SW_HIDE);
	}

	if (status.bLinkReady && !status.dwBlocked)
	{
		if (m_nPosition != 0 && !status.dwMultiPosition)
		{
			m_nPosition = 0;
			CheckDlgButton(IDC_POSITION2, BST_UNCHECKED);
			CheckDlgButton(IDC_POSITION3, BST_UNCHECKED);
			CheckDlgButton(IDC_POSITION4, BST_UNCHECKED);
			CheckDlgButton(IDC_POSITION1, BST_CHECKED);
			RefreshSnapshot(0);
		}
		if (status.bCartPresent)
		{
			EnableControls(TRUE, status.dwMultiPosition != 0);
			return;
		}
	}
	EnableControls(FALSE, FALSE);
}

void CMendlePage::EnableControls(BOOL bEnable, BOOL bMorePositions)
{
	m_btnRead.EnableWindow(bEnable);
	m_btnWrite.EnableWindow(bEnable);
	m_chkSnapshot.EnableWindow(bEnable);
	m_btnFormatAll.EnableWindow(bEnable);
	m_btnFormatSelected.EnableWindow(bEnable);
	GetDlgItem(IDC_POSITION1)->EnableWindow(bEnable);
	GetDlgItem(IDC_POSITION2)->EnableWindow(bMorePositions);
	GetDlgItem(IDC_POSITION3)->EnableWindow(bMorePositions);
	GetDlgItem(IDC_POSITION4)->EnableWindow(bMorePositions);
}

void CMendlePage::RefreshSnapshot(int nPosition)
{
	if (m_chkSnapshot.GetCheck() == 0)
		return;
	ReadPosition(nPosition);
	m_ctlSnapshot.SetData(m_abSaveImage, SAVE_POSITION_SIZE, TRUE);
}

void CMendlePage::ReadPosition(int nPosition)
{
	TransferPosition(HM_READSAVE, nPosition);
}

void CMendlePage::WritePosition(int nPosition)
{
	TransferPosition(HM_WRITESAVE, nPosition);
}

// The host does the transfer while the send lasts; its outcome is not reported to the caller.
void CMendlePage::TransferPosition(UINT nTransferMsg, int nPosition)
{
	HCURSOR hPrevCursor = ::SetCursor(::LoadCursor(NULL, IDC_WAIT));
	g_pHostWnd->SendMessage(HM_PREPARETRANSFER, 0, 0);
	CARTSTATUS status;
	QueryStatus(status);
	if (status.bCartPresent)
		g_pHostWnd->SendMessage(nTransferMsg, (WPARAM)m_abSaveImage, (LPARAM)nPosition);
	else
		AfxMessageBox(s_szNoCartridge, MB_WARNING);
	::SetCursor(hPrevCursor);
}

void CMendlePage::SelectPosition(int nPosition)
{
	m_nPosition = nPosition;
	RefreshSnapshot(m_nPosition);
}

void CMendlePage::OnPosition1()
{
	SelectPosition(0);
}

void CMendlePage::OnPosition2()
{
	SelectPosition(1);
}

void CMendlePage::OnPosition3()
{
	SelectPosition(2);
}

void CMendlePage::OnPosition4()
{
	SelectPosition(3);
}

// Shows the image as it stands at once, then what the cartridge holds now.
void CMendlePage::OnShowSnapshot()
{
	if (m_chkSnapshot.GetCheck() == 0)
		return;
	m_ctlSnapshot.SetData(m_abSaveImage, SAVE_POSITION_SIZE, TRUE);
	RefreshSnapshot(m_nPosition);
}

void CMendlePage::OnReadToDisk()
{
	CFileDialog dlg(FALSE, _T(""), _T(""), OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, s_szFilter, this);
	if (dlg.DoModal() != IDOK)
		return;
	ReadPosition(m_nPosition);

	CFile file;
	if (!file.Open(dlg.GetPathName(), CFile::modeCreate | CFile::modeWrite))
	{
		AfxMessageBox(s_szCannotWriteFile, MB_WARNING);
		EnableControls(TRUE, FALSE);
		return;
	}
	try
	{
		file.Write(m_abSaveImage, SAVE_POSITION_SIZE);
	}
	catch (CFileException* e)
	{
		e->Delete();
		file.Close();
		AfxMessageBox(s_szFileError, MB_WARNING);
		EnableControls(TRUE, FALSE);
		return;
	}
	file.Close();
	AfxMessageBox(s_szSaved, MB_INFORMATION);
}

void CMendlePage::OnWriteFromDisk()
{
	CFileDialog dlg(TRUE, _T(""), _T(""), OFN_EXPLORER | OFN_HIDEREADONLY, s_szFilter, this);
	if (dlg.DoModal() != IDOK)
		return;

	CFile file;
	if (!file.Open(dlg.GetPathName(), CFile::modeRead))
	{
		AfxMessageBox(s_szCannotLoad, MB_WARNING);
		EnableControls(TRUE, FALSE);
		return;
	}
	try
	{
		file.Read(m_abSaveImage, SAVE_POSITION_SIZE);
	}
	catch (CFileException* e)
	{
		e->Delete();
		AfxMessageBox(s_szFileError, MB_WARNING);
		EnableControls(TRUE, FALSE);
		file.Close();
		return;
	}
	file.Close();
	WritePosition(m_nPosition);
	RefreshSnapshot(m_nPosition);
	AfxMessageBox(s_szWritten, MB_INFORMATION);
}

void CMendlePage::OnShowWindow(BOOL bShow, UINT nStatus)
{
	CPropertyPage::OnShowWindow(bShow, nStatus);
	RefreshStatus();
}

// The whole image, including the bytes past the position, is cleared.
void CMendlePage::FormatImage()
{
	std::memset(m_abSaveImage, 0, sizeof(m_abSaveImage));
}

void CMendlePage::OnFormatSelected()
{
	FormatImage();
	WritePosition(m_nPosition);
	RefreshSnapshot(m_nPosition);
}

void CMendlePage::OnFormatAll()
{
	if (AfxMessageBox(s_szConfirmFormatAll, MB_ICONQUESTION | MB_YESNO) != IDYES)
		return;
	FormatImage();
	for (int nPosition = 0; nPosition < SAVE_POSITION_COUNT; ++nPosition)
		WritePosition(nPosition);
	RefreshSnapshot(m_nPosition);
}
