// The clipboard ("BinaryData" and text), the context menu and the editing shortcuts.
#include "HexEditShared.h"
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

static const UINT COPY_FLAGS = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE;
static const UINT MENU_GRAYED = MF_GRAYED | MF_DISABLED;

void CHexEditBase::OnExtendContextMenu(CMenu*)
{
}

// Ctrl+A, Ctrl+C and Ctrl+V act before a dialog manager sees the keys.
BOOL CHexEditBase::PreTranslateMessage(MSG* pMsg)
{
	if (pMsg->message == WM_KEYDOWN && ::GetKeyState(VK_CONTROL) < 0)
	{
		switch (pMsg->wParam)
		{
		case 'A': OnEditSelectAll(); return TRUE;
		case 'C': OnEditCopy(); return TRUE;
		case 'V': OnEditPaste(); return TRUE;
		default: break;
		}
	}
	return CWnd::PreTranslateMessage(pMsg);
}

void CHexEditBase::OnContextMenu(CWnd*, CPoint point)
{
	CPoint ptMenu = point;
	if (point.x == -1 && point.y == -1)
	{
		// From the keyboard: beside the control's corner, selection and position kept.
		ptMenu = CPoint(5, 5);
		ClientToScreen(&ptMenu);
	}
	else if (HasData() && EnsureLayout())
	{
		CPoint ptClient = point;
		ScreenToClient(&ptClient);
		UINT nPos;
		BOOL bHigh;
		PositionFromPoint(ptClient, &nPos, &bHigh);
		if (!HasSelection() || nPos < m_nSelStart || nPos > m_nSelEnd)
		{
			if (HasSelection())
				SetSelection(NONE, NONE, FALSE, TRUE);
			SetEditPosition(nPos, TRUE);
		}
	}

	CMenu menu;
	if (!menu.Attach(::CreatePopupMenu()))
		return;
	menu.AppendMenu(HasSelection() ? MF_STRING : MENU_GRAYED, ID_EDIT_COPY, m_strCopy);
	COleDataObject clipboard;
	BOOL bCanPaste = clipboard.AttachClipboard() && clipboard.IsDataAvailable((CLIPFORMAT)m_cfBinaryData) &&
		!m_bReadOnly;
	menu.AppendMenu(bCanPaste ? MF_STRING : MENU_GRAYED, ID_EDIT_PASTE, m_strPaste);
	clipboard.Release();
	OnExtendContextMenu(&menu);
	menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, ptMenu.x, ptMenu.y, this);
	menu.DestroyMenu();
}

// The selection as the rows show it: pairs under their columns, one line feed per line.
std::string CHexEditBase::SelectionAsText() const
{
	const UINT nRow = m_nBytesPerRow != 0 ? m_nBytesPerRow : 1;
	// A line holds no more than the selection: a row longer than the data needs no longer buffer.
	std::vector<char> achRow(3 * (size_t)std::min(nRow, m_nSelEnd - m_nSelStart + 1), ' ');
	std::string strText;
	UINT nColumn = m_nSelEnd - m_nSelStart > nRow ? m_nSelStart % nRow : 0;
	UINT nLineStart = nColumn;
	for (unsigned long long nPos = m_nSelStart; nPos <= m_nSelEnd; ++nPos)
	{
		BYTE b = m_pData[nPos];
		achRow[3 * nColumn] = s_szDigits[b >> 4];
		achRow[3 * nColumn + 1] = s_szDigits[b & 0x0F];
		if (++nColumn == nRow || nPos == m_nSelEnd)
		{
			strText.append(achRow.data(), 3 * (size_t)nColumn - 1);
			strText += '\n';
			// Only the first line is indented; later lines start in column 0.
			if (nLineStart != 0)
			{
				std::fill(achRow.begin(), achRow.begin() + 3 * (size_t)nLineStart, ' ');
				nLineStart = 0;
			}
			nColumn = 0;
		}
	}
	return strText;
}

static HGLOBAL AllocCopyBlock(SIZE_T nBytes)
{
	return ::GlobalAlloc(COPY_FLAGS, nBytes);
}

// Frees the blocks of a copy that no data source holds yet.
static void FreeBlocks(HGLOBAL hBinary, HGLOBAL hText)
{
	if (hBinary != NULL)
		::GlobalFree(hBinary);
	if (hText != NULL)
		::GlobalFree(hText);
}

// Both formats at once: "BinaryData" (count, then the bytes) and the text of the rows.
void CHexEditBase::OnEditCopy()
{
	if (m_nSelStart == NONE || m_nSelEnd == NONE || m_nSelEnd >= m_nLength || m_nSelStart > m_nSelEnd)
		return;
	EnsureLayout();
	const DWORD nCount = m_nSelEnd - m_nSelStart + 1;
	COleDataSource* pSource = new COleDataSource;
	HGLOBAL hBinary = NULL;
	HGLOBAL hText = NULL;
	try
	{
		std::string strText = SelectionAsText();
		hBinary = AllocCopyBlock((SIZE_T)nCount + 4);
		hText = AllocCopyBlock(strText.size() + 1);
		if (hBinary == NULL || hText == NULL)
		{
			FreeBlocks(hBinary, hText);
			pSource->InternalRelease();
			return;
		}
		BYTE* pBinary = (BYTE*)::GlobalLock(hBinary);
		std::memcpy(pBinary, &nCount, 4);
		std::memcpy(pBinary + 4, m_pData + m_nSelStart, nCount);
		::GlobalUnlock(hBinary);
		char* pText = (char*)::GlobalLock(hText);
		std::memcpy(pText, strText.data(), strText.size());
		::GlobalUnlock(hText);

		pSource->CacheGlobalData((CLIPFORMAT)m_cfBinaryData, hBinary);
		hBinary = NULL;
		pSource->CacheGlobalData(CF_TEXT, hText);
		hText = NULL;
		pSource->SetClipboard();
	}
	catch (...)
	{
		// The source frees the blocks it already holds; the others are freed here.
		FreeBlocks(hBinary, hText);
		pSource->InternalRelease();
		throw;
	}
}

// Overwrites from the selection's start (or the edit position) with the "BinaryData" bytes.
void CHexEditBase::OnEditPaste()
{
	if (m_bReadOnly || !HasData())
		return;
	COleDataObject clipboard;
	if (!clipboard.AttachClipboard() || !clipboard.IsDataAvailable((CLIPFORMAT)m_cfBinaryData))
		return;
	HGLOBAL hBlock = clipboard.GetGlobalData((CLIPFORMAT)m_cfBinaryData);
	if (hBlock == NULL)
		return;
	const UINT nStart = HasSelection() ? m_nSelStart : m_nEditPos;
	if (nStart >= m_nLength)
	{
		::GlobalFree(hBlock);
		return;
	}
	const SIZE_T nBlockSize = ::GlobalSize(hBlock);
	const BYTE* pBlock = (const BYTE*)::GlobalLock(hBlock);
	DWORD nCount = 0;
	if (pBlock != NULL && nBlockSize >= 4)
		std::memcpy(&nCount, pBlock, 4);
	// Never past the data's end, nor past the bytes the block really holds.
	unsigned long long nLimit = std::min<unsigned long long>(m_nLength - nStart, nBlockSize >= 4 ? nBlockSize - 4 : 0);
	UINT nPasted = (UINT)std::min<unsigned long long>(nCount, nLimit);
	if (nPasted != 0)
		std::memcpy(m_pData + nStart, pBlock + 4, nPasted);
	::GlobalUnlock(hBlock);
	::GlobalFree(hBlock);

	if (nPasted != 0)
	{
		SetSelection(nStart, nStart + nPasted - 1, TRUE, FALSE);
		SetEditPosition(nStart + nPasted - 1, FALSE);
	}
	InvalidateRect(NULL, TRUE);
	if (nPasted != 0)
		NotifyParent(EN_CHANGE);
}

void CHexEditBase::OnEditSelectAll()
{
	if (m_nLength == 0)
		return;
	SetSelection(0, m_nLength - 1, FALSE, TRUE);
}
