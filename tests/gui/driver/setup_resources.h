// The installer's own texts, read out of its resources in UTF-16, so that what a window shows can
// be compared with what the program carries, language by language.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

constexpr LANGID kEnglishUsId = 0x0409;

// String id of the language, as the installer falls back: US English where the language lacks
// it; empty when neither has it.
std::wstring SetupString(LANGID language, UINT id);
// The language's template of dialog id; null when there is none.
const DLGTEMPLATE* SetupDialog(LANGID language, UINT id);
// The languages that have a template of dialog id, US English among them.
std::vector<LANGID> SetupDialogLanguages(UINT id);

std::string Utf8(const std::wstring& text);
// The text in the ANSI code page; empty when it has a character the code page lacks.
std::string Ansi(const std::wstring& text);
std::wstring Wide(const std::string& ansi);

// A window's text, read as UTF-16.
std::wstring WideCaption(HWND hwnd);
std::wstring WideItemText(HWND dlg, int id);
// Types text into an edit field character by character, as UTF-16 WM_CHARs.
void TypeWide(HWND edit, const std::wstring& text);
