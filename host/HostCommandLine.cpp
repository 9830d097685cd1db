#include "HostCommandLine.h"
#include "CartridgeFile.h"
#include <algorithm>

const char CHostCommandLine::s_szUsage[] =
	"usage: corvel [--cart FILE] [--page N] [--demo]\n"
	"       corvel [--cart FILE] --create | --status | --export N FILE | --import N FILE | --format N|all\n"
	"              | --restore N [FILE]   [--fault nocart|linkdrop|blocked|flipbit]...\n"
	"Without a verb the host window opens. Positions are numbered 1 to 4.\n";

// The options, how many values follow each, and which are verbs (one a run). "--restore" takes a
// second, optional value: a file, when the argument after its position is no option.
static const struct COption
{
	const char* pszName;
	size_t nValues;
	bool bVerb;
} s_options[] = {
	{ "--cart", 1, false }, { "--page", 1, false }, { "--demo", 0, false }, { "--fault", 1, false },
	{ "--create", 0, true }, { "--status", 0, true }, { "--export", 2, true }, { "--import", 2, true },
	{ "--format", 1, true }, { "--restore", 1, true },
};

static BOOL IsHelp(const std::string& strArg)
{
	return strArg == "--help" || strArg == "-h" || strArg == "/?";
}

static const COption* FindOption(const std::string& strArg)
{
	for (const COption& option : s_options)
		if (strArg == option.pszName)
			return &option;
	return NULL;
}

// What is wrong with the values of an option, if anything: an empty one comes from a script's
// empty variable, and an option where a value belongs from a value left out.
static std::string CheckValues(const std::string& strOption, const std::vector<std::string>& values)
{
	for (const std::string& strValue : values)
	{
		if (strValue.empty())
			return strOption + " has an empty value";
		if (FindOption(strValue) != NULL || IsHelp(strValue))
			return strOption + " needs a value, not the option " + strValue + " (a file of that name is .\\" + strValue + ")";
	}
	return std::string();
}

// Nothing is opened, let alone changed, before the whole command line is understood.
CHostCommandLine::ParseResult CHostCommandLine::Parse(const std::vector<std::string>& args, CString& strError)
{
	std::string strWrong;
	for (size_t i = 0; i < args.size() && strWrong.empty(); ++i)
	{
		const std::string& strArg = args[i];
		if (IsHelp(strArg))
			return parseHelp;
		const COption* pOption = FindOption(strArg);
		size_t nValues = pOption != NULL ? pOption->nValues : 0;
		if (strArg == "--restore" && i + 2 < args.size() && args[i + 2].compare(0, 2, "--") != 0)
			++nValues;
		const std::vector<std::string> values(args.begin() + std::min(i + 1, args.size()), args.begin() + std::min(i + 1 + nValues, args.size()));
		strWrong = pOption == NULL ? "unknown option " + strArg : values.size() < nValues ? strArg + " needs a value"
			: CheckValues(strArg, values);
		if (!strWrong.empty())
			break;
		if (pOption->bVerb && !m_strVerb.empty())
			strWrong = m_strVerb == strArg ? strArg + " is given twice" : "one verb a run: " + m_strVerb + " and " + strArg;
		else if (!pOption->bVerb && strArg != "--fault" && HasOption(strArg.c_str()))
			strWrong = strArg + " is given twice";
		else if (pOption->bVerb)
			m_strVerb = strArg, m_verbArgs = values;
		else if (strArg == "--fault")
			m_faults.push_back(values[0]);
		else
			m_options[strArg] = nValues != 0 ? values[0] : std::string();
		i += nValues;
	}
	if (strWrong.empty() && !m_strVerb.empty() && (HasOption("--page") || HasOption("--demo")))
		strWrong = "--page and --demo are for the window, not for " + m_strVerb;
	strError = strWrong.c_str();
	return !strWrong.empty() ? parseRefused : m_strVerb.empty() ? parseWindow : parseVerb;
}

std::string CHostCommandLine::GetOption(const char* pszName) const
{
	const auto it = m_options.find(pszName);
	return it != m_options.end() ? it->second : std::string();
}

// Fault switches, for trying out what goes wrong on real hardware.
BOOL CHostCommandLine::SetFaults(CFaultSwitches& faults, CString& strError) const
{
	static const struct { const char* pszName; BOOL CFaultSwitches::*pbSwitch; } s_switches[] = {
		{ "nocart", &CFaultSwitches::bNoCartridgeNextTransfer }, { "linkdrop", &CFaultSwitches::bLinkDropped },
		{ "blocked", &CFaultSwitches::bBlocked }, { "flipbit", &CFaultSwitches::bFlipBitNextWrite },
	};
	for (const std::string& strFault : m_faults)
	{
		const auto it = std::find_if(std::begin(s_switches), std::end(s_switches),
			[&strFault](const auto& sw) { return strFault == sw.pszName; });
		if (it == std::end(s_switches))
		{
			strError.Format(_T("unknown fault switch: %s"), strFault.c_str());
			return FALSE;
		}
		faults.*it->pbSwitch = TRUE;
	}
	return TRUE;
}

static BOOL ParsePosition(const std::string& strArg, int& nPosition, BOOL bAllowAll)
{
	if (bAllowAll && strArg == "all")
	{
		nPosition = -1;
		return TRUE;
	}
	if (strArg.size() != 1 || strArg[0] < '1' || strArg[0] > '0' + SAVE_POSITION_COUNT)
		return FALSE;
	nPosition = strArg[0] - '1';
	return TRUE;
}

// The verb, deciding on the cartridge file as it is when it runs, under the cartridge's lock:
// TRUE and the line that says what it did, or FALSE and the reason.
BOOL CHostCommandLine::Run(CCartridgeSession& session, const CString& strCart, CString& strOutput) const
{
	if (m_strVerb == "--create")
		return session.StartAnew(strCart, strOutput);
	if (!session.Open(strCart, FALSE, strOutput))
	{
		if (session.IsDamaged())
			strOutput += _T(" --create moves it aside and makes a new cartridge of every part it holds intact; --restore N "
				"then puts back position N's newest backup.");
		return FALSE;
	}
	if (m_strVerb == "--status")
		return ShowStatus(session, strOutput);
	int nPosition = 0;
	if (!ParsePosition(m_verbArgs[0], nPosition, m_strVerb == "--format"))
	{
		strOutput.Format(_T("a save position from 1 to 4%s must follow %s"), m_strVerb == "--format" ? _T(", or all,") : _T(""),
			m_strVerb.c_str());
		return FALSE;
	}
	session.PrepareTransfer();
	if (m_strVerb == "--export")
		return Export(session, nPosition, strOutput);
	if (m_strVerb == "--import" || m_strVerb == "--restore")
	{
		const CString strFile = FileArgument();
		if (!session.WriteFromFile(nPosition, strFile.IsEmpty() ? NULL : (LPCTSTR)strFile, strOutput))
			return FALSE;
		if (m_strVerb == "--import")
			strOutput.Format(_T("%s imported into position %d"), (LPCTSTR)strFile, nPosition + 1);
		else
			strOutput.Format(_T("position %d restored"), nPosition + 1);
		return TRUE;
	}
	const std::vector<BYTE> zeros(SAVE_POSITION_SIZE, 0);
	if (!session.WritePositions(nPosition < 0 ? 0 : nPosition, nPosition < 0 ? SAVE_POSITION_COUNT - 1 : nPosition,
		zeros.data(), strOutput))
		return FALSE;
	strOutput.Format(_T("formatted %s"), nPosition < 0 ? _T("all positions") : m_verbArgs[0].c_str());
	return TRUE;
}

BOOL CHostCommandLine::ShowStatus(CCartridgeSession& session, CString& strOutput) const
{
	std::vector<CBackup> backups;
	if (!session.ListBackups(backups, strOutput))
		return FALSE;
	CARTSTATUS status;
	session.FillStatus(status);
	strOutput.Format(_T("cartridge %s: present %s, link ready %s, several positions %s, blocked %s, Trovesave %s, "
		"identity %lu, %u backups"), (LPCTSTR)session.GetPath(), status.bCartPresent ? "yes" : "no",
		status.bLinkReady ? "yes" : "no", status.dwMultiPosition ? "yes" : "no", status.dwBlocked ? "yes" : "no",
		status.dwTrovesaveMagic != 0 ? "yes" : "no", (unsigned long)status.dwCartId, (unsigned)backups.size());
	return TRUE;
}

// The position's bytes as the cartridge holds them now, written whole or not at all, and never
// over a file of the cartridge itself.
BOOL CHostCommandLine::Export(CCartridgeSession& session, int nPosition, CString& strOutput) const
{
	const CString strFile = FileArgument();
	if (session.IsFileOfCartridge(strFile))
	{
		strOutput.Format(_T("%s: a file of the cartridge itself; export to another file"), (LPCTSTR)strFile);
		return FALSE;
	}
	std::vector<BYTE> image(SAVE_POSITION_SIZE, 0);
	if (!session.ReadPosition(nPosition, image.data(), strOutput) ||
		!CCartridgeFile::Replace(strFile, image.data(), SAVE_POSITION_SIZE, strOutput))
		return FALSE;
	strOutput.Format(_T("position %d exported to %s"), nPosition + 1, (LPCTSTR)strFile);
	return TRUE;
}
