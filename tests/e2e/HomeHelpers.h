#pragma once
// Helpers for the tests of the Home and quarantine pages: choosing a Home
// choice, reading what the stand-ins recorded, the folder browser, windows of
// programs the app starts, and real mouse clicks.
#include <windows.h>

#include <string>
#include <vector>

#include "Driver.h"

namespace e2e {

// Selects the Home radio button and clicks "确定".
void ChooseOnHome(App& app, const char* radio);

// The lines a stand-in appended to <runFolder>\data\<file> (CRLF removed).
std::vector<std::string> RecordedLines(const std::wstring& runFolder, const wchar_t* file);
// Waits until the file holds at least `count` lines; returns them.
std::vector<std::string> WaitForLines(const std::wstring& runFolder, const wchar_t* file, size_t count,
                                      Millis timeout = 20s);

// The program's shell folder browser: a #32770 dialog of the process that is not a
// message box. nullptr on time-out.
HWND WaitFolderBrowser(const App& app, Millis timeout = 20s);
// Chooses the folder the way a user does: selects it in the browser's folder tree
// (BFFM_SETSELECTIONW, a path in the program's memory), types it into the edit
// box and presses OK. False when the dialog stays.
bool ChooseInFolderBrowser(const App& app, HWND browser, const std::wstring& folder);
// Texts of the window's child controls.
std::vector<std::string> ChildTexts(HWND window);
// Presses Cancel.
bool CancelFolderBrowser(HWND browser);

// Visible top-level windows of the given class, of any process.
std::vector<HWND> WindowsOfClass(const wchar_t* cls);
// A visible top-level window of another process than the app whose title holds
// `part` (case-insensitive); nullptr on time-out.
HWND WaitForeignWindow(const App& app, const std::wstring& part, Millis timeout = 20s);
// Ends the process that owns the window, by its id (only closes the window when the
// desktop's own process owns it).
void EndProcessOf(HWND window);

// A real left click (hardware input) at the centre of the app's control.
void MouseClick(const App& app, const char* layoutName);

}  // namespace e2e
