// The portable lower-case table against the system's mapping, on every character of the
// Windows ANSI code pages (Windows only).

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/text_case.h"

namespace tarvik {
namespace {

wchar_t systemLower(wchar_t c) {
  wchar_t lower = c;
  LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &c, 1, &lower, 1, nullptr, nullptr, 0);
  return lower;
}

// The characters that one- and two-byte sequences of the code page stand for.
std::vector<wchar_t> charactersOf(UINT codePage) {
  std::vector<std::string> sequences;
  for (int lead = 0; lead < 256; ++lead) {
    sequences.emplace_back(1, static_cast<char>(lead));
    if (!IsDBCSLeadByteEx(codePage, static_cast<BYTE>(lead))) continue;
    for (int trail = 0x40; trail < 256; ++trail)
      sequences.push_back({static_cast<char>(lead), static_cast<char>(trail)});
  }
  std::vector<wchar_t> characters;
  for (const std::string& bytes : sequences) {
    wchar_t wide[2];
    if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                            static_cast<int>(bytes.size()), wide, 2) == 1)
      characters.push_back(wide[0]);
  }
  return characters;
}

TEST(Win32TextCase, ThePortableTableAgreesWithTheSystemOnEveryAnsiCodePage) {
  int compared = 0;
  std::vector<std::string> differences;
  for (const UINT codePage : {874u, 932u, 936u, 949u, 950u, 1250u, 1251u, 1252u, 1253u, 1254u,
                              1255u, 1256u, 1257u, 1258u}) {
    ASSERT_TRUE(IsValidCodePage(codePage)) << codePage;
    for (const wchar_t c : charactersOf(codePage)) {
      ++compared;
      if (portableLowerCase(c) == static_cast<char32_t>(systemLower(c))) continue;
      char line[64];
      std::snprintf(line, sizeof line, "cp%u U+%04X: system U+%04X, table U+%04X", codePage,
                    static_cast<unsigned>(c), static_cast<unsigned>(systemLower(c)),
                    static_cast<unsigned>(portableLowerCase(c)));
      differences.push_back(line);
    }
  }
  EXPECT_GT(compared, 40000);
  for (std::size_t i = 0; i < differences.size() && i < 20; ++i) ADD_FAILURE() << differences[i];
  EXPECT_EQ(differences.size(), 0u);
}

}  // namespace
}  // namespace tarvik
