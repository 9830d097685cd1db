// Random input against the control's invariants: seeded, so any failure can be replayed.
#include "HexEditTest.h"
#include "KeyState.h"
#include <random>

namespace {

class CRandomDriver
{
public:
	CRandomDriver(CHexEditProbe& control, CWnd& parent, unsigned nSeed, CSize size)
		: m_control(control), m_parent(parent), m_random(nSeed), m_size(size), m_bShift(false)
	{
		SetKeyDown(VK_SHIFT, false);
	}

	int Next(int nMax) { return std::uniform_int_distribution<int>(0, nMax - 1)(m_random); }

	// Around the window as the driver last sized it: asking the system would cost a round trip.
	LPARAM RandomPoint()
	{
		return MAKELPARAM(Next(m_size.cx + 80) - 40, Next(m_size.cy + 80) - 40);
	}

	// The keyboard state is set only when Shift changes, for the same reason.
	void SetShift(bool bDown)
	{
		if (bDown != m_bShift)
			SetKeyDown(VK_SHIFT, bDown);
		m_bShift = bDown;
	}

	// One random message, or a random SetData or resize.
	std::string Step()
	{
		static const UINT s_anKeys[] = { VK_TAB, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP, VK_RIGHT,
			VK_DOWN, 'A', VK_RETURN };
		switch (Next(12))
		{
		case 0:
		case 1:
			SetShift(Next(2) == 0);
			m_control.SendMessage(WM_KEYDOWN, s_anKeys[Next(_countof(s_anKeys))], 1);
			return "key";
		case 2:
			m_control.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, RandomPoint());
			return "button down";
		case 3:
			m_control.SendMessage(WM_MOUSEMOVE, Next(4) == 0 ? 0 : MK_LBUTTON, RandomPoint());
			return "mouse move";
		case 4:
			m_control.SendMessage(WM_LBUTTONUP, 0, RandomPoint());
			return "button up";
		case 5:
			m_control.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, RandomPoint());
			return "double click";
		case 6:
			m_control.SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)(Next(1201) - 600)), 0);
			return "wheel";
		case 7:
			m_control.SendMessage(Next(2) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(Next(9), Next(5000)), 0);
			return "scroll";
		case 8:
			m_control.SendMessage(WM_TIMER, Next(8) == 0 ? 7 : 1024);
			return "timer";
		case 9:
			m_control.SendMessage(WM_CHAR, "0123456789abcdefXg \b"[Next(20)], 0);
			return "char";
		case 10:
		{
			static const int s_anLengths[] = { 0, 1, 2, 15, 16, 17, 300, 5000 };
			int nLength = s_anLengths[Next(_countof(s_anLengths))];
			m_data.assign(nLength, (BYTE)Next(256));
			m_control.SetData(Next(6) == 0 ? NULL : m_data.data(), (UINT)nLength, Next(2));
			return "set data";
		}
		default:
			if (Next(2) == 0)
			{
				m_size = CSize(Next(500), Next(300));
				m_control.MoveWindow(0, 0, m_size.cx, m_size.cy);
			}
			else
				m_control.UpdateWindow();
			return "resize or paint";
		}
	}

private:
	CHexEditProbe& m_control;
	CWnd& m_parent;
	std::mt19937 m_random;
	std::vector<BYTE> m_data;
	CSize m_size;
	bool m_bShift;
};

// Queued work is done, but real timer ticks are dropped: only the driver's own ticks count, so
// that a seed replays the same run.
void PumpWithoutTimers()
{
	MSG msg;
	while (::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE))
		if (msg.message != WM_TIMER)
			::DispatchMessage(&msg);
}

} // namespace

TEST_F(HexEditTest, RandomInputKeepsPositionsInsideTheData)
{
	const unsigned nSeed = 20261205;
	const int kSteps = 100000;
	CHexEditProbe control;
	CreateControl(control, 1023, 400, 200);
	control.SetShowAddress(TRUE, FALSE);
	control.SetShowAscii(TRUE, FALSE);
	control.SetBytesPerRow(16, TRUE, FALSE);
	control.SetFocus();
	CRandomDriver driver(control, m_parent, nSeed, CSize(400, 200));

	for (int nStep = 0; nStep < kSteps; ++nStep)
	{
		std::string strAction = driver.Step();
		if (nStep % 64 == 0)
			PumpWithoutTimers();
		bool bData = control.m_pData != NULL && control.m_nLength != 0;
		bool bEditInside = !bData ? control.m_nEditPos == 0 : control.m_nEditPos < control.m_nLength;
		bool bSelection = control.m_nSelStart != NONE && control.m_nSelEnd != NONE;
		bool bSelectionOk = !bSelection || (control.m_nSelStart <= control.m_nSelEnd &&
			control.m_nSelEnd < control.m_nLength);
		bool bScrollOk = control.m_nTopRow <= control.m_nMaxTopRow &&
			control.m_nHScrollPos <= control.m_nMaxHScrollPos;
		if (!bEditInside || !bSelectionOk || (bScrollOk == false && !control.m_bLayoutDirty))
		{
			ADD_FAILURE() << "seed " << nSeed << ", step " << nStep << " (" << strAction << "): edit "
				<< control.m_nEditPos << " of " << control.m_nLength << ", selection " << control.m_nSelStart
				<< ".." << control.m_nSelEnd << ", top row " << control.m_nTopRow << "/" << control.m_nMaxTopRow
				<< ", offset " << control.m_nHScrollPos << "/" << control.m_nMaxHScrollPos;
			break;
		}
	}
	SetKeyDown(VK_SHIFT, false);
}
