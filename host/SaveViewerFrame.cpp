#include "SaveViewerFrame.h"
#include "hexedit/HexEditBaseView.h"
#include <memory>
#include <vector>

// Larger files are shown as far as this; a save file is 64 KiB.
static const ULONGLONG MAX_VIEWED_BYTES = 16 << 20;

CSaveViewerFrame* CSaveViewerFrame::Open(LPCTSTR lpszPath, CString& strError)
{
	CFile file;
	CFileException error;
	if (!file.Open(lpszPath, CFile::modeRead | CFile::shareDenyWrite, &error))
	{
		strError.Format(_T("%s cannot be opened (error %ld)."), lpszPath, error.m_lOsError);
		return NULL;
	}
	std::vector<BYTE> bytes;
	try
	{
		bytes.resize((size_t)std::min(file.GetLength(), MAX_VIEWED_BYTES));
		bytes.resize(file.Read(bytes.data(), (UINT)bytes.size()));
	}
	catch (CFileException* e)
	{
		e->Delete();
		strError.Format(_T("%s cannot be read."), lpszPath);
		return NULL;
	}
	file.Close();

	CCreateContext context = {};
	context.m_pNewViewClass = RUNTIME_CLASS(CHexEditBaseView);
	// Until the viewer is open, the frame is ours to free, whether or not a window was begun.
	std::unique_ptr<CSaveViewerFrame> pFrame(new CSaveViewerFrame);
	if (!pFrame->Create(NULL, CString(lpszPath) + _T(" - save file viewer"), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
		CRect(40, 40, 700, 500), NULL, NULL, 0, &context))
	{
		strError.Format(_T("The viewer for %s cannot be opened."), lpszPath);
		return NULL;
	}
	CHexEditBase& control = pFrame->GetHexView()->m_wndHexEdit;
	control.SetReadOnly(TRUE, FALSE);
	control.SetAddressSize(8, FALSE);
	control.SetShowAddress(TRUE, FALSE);
	control.SetShowAscii(TRUE, FALSE);
	control.SetBytesPerRow(16, TRUE, FALSE);
	control.SetData(bytes.data(), (UINT)bytes.size(), TRUE);
	control.SetFocus();
	pFrame->m_bAutoDelete = TRUE;
	return pFrame.release();
}

CHexEditBaseView* CSaveViewerFrame::GetHexView() const
{
	return static_cast<CHexEditBaseView*>(GetActiveView());
}

// A creation that fails frees a frame by WM_NCDESTROY, by the runtime's cleanup, or not at all: a
// creation hook may refuse the window after the runtime took it, and then none comes. Open frees it
// in every case, once; a window that was made frees it when it goes.
void CSaveViewerFrame::PostNcDestroy()
{
	if (m_bAutoDelete)
		CFrameWnd::PostNcDestroy();
}
