// A document view whose whole client area is one hex control.
#pragma once

#include "HexEditBase.h"

class CHexEditBaseView : public CView
{
	DECLARE_DYNCREATE(CHexEditBaseView)
public:
	CHexEditBaseView();
	virtual ~CHexEditBaseView();

	void OnDraw(CDC* pDC) override;

	CHexEditBase m_wndHexEdit;

protected:
	afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
	afx_msg BOOL OnEraseBkgnd(CDC* pDC);
	afx_msg void OnSize(UINT nType, int cx, int cy);

	DECLARE_MESSAGE_MAP()
};
