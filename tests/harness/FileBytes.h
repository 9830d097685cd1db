// Whole files as bytes, for tests that check what was written.
#pragma once

#include <windows.h>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<BYTE> ReadBytes(const std::string& strPath)
{
	std::ifstream file(strPath, std::ios::binary);
	return std::vector<BYTE>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& strPath, const std::vector<BYTE>& bytes)
{
	std::ofstream file(strPath, std::ios::binary);
	file.write(reinterpret_cast<const char*>(bytes.data()), (std::streamsize)bytes.size());
}
