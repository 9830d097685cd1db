// A window that shows any file's bytes, read-only, in a hex view with copy and select-all.
#pragma once

#include <afxwin.h>

class CHexEditBaseView;

class CSaveViewerFrame : public CFrameWnd
{
public:
	static CSaveViewerFrame* Open(LPCTSTR lpszPath, CString& strError);

	CHexEditBaseView* GetHexView() const;

protected:
	CSaveViewerFrame() : m_bAutoDelete(FALSE) {}
	void PostNcDestroy() override;

	BOOL m_bAutoDelete;  // the window was made: it frees the object when it goes
};
