// A window that shows any file's bytes, read-only, in a hex view with copy and select-all.
#pragma once

#include <afxwin.h>

class CHexEditBaseView;

class CSaveViewerFrame : public CFrameWnd
{
public:
	static CSaveViewerFrame* Open(LPCTSTR lpszPath, CString& strError);

	CHexEditBaseView* GetHexView() const;
};
