// Stand-in for the command-line scanner ecls.exe, used by the end-to-end
// tests and the run folder. It records how it was started, talks a little
// like a scanner, leaves a scan log and stays alive long enough for a test to
// see it running:
//   * appends its command line (UTF-8, exactly as received, CRLF-terminated)
//     to ecls-calls.txt beside the exe;
//   * prints a few scanner-like lines on stdout;
//   * writes c:\KorvaneScanData\ScanLog.txt (skipped if the folder is missing);
//   * sleeps KORVANE_ECLS_SLEEP_MS milliseconds (default 1000) and exits with
//     KORVANE_ECLS_EXIT (default 0).
#include "standin_common.h"

#include <cstdio>

namespace {

void Say(const char* line) {
    std::fputs(line, stdout);
    std::fputs("\n", stdout);
    std::fflush(stdout);  // a reader on a pipe sees each line as it comes
}

void WriteScanLog(int argumentCount) {
    HANDLE file = CreateFileW(L"c:\\KorvaneScanData\\ScanLog.txt", GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;  // no data folder: nothing to log into
    SYSTEMTIME now;
    GetLocalTime(&now);
    char text[512];
    std::snprintf(text, sizeof text,
                  "ECLS stand-in scan log\r\n"
                  "Scan started: %04u-%02u-%02u %02u:%02u:%02u\r\n"
                  "Arguments: %d\r\n"
                  "Scanned objects: 3\r\n"
                  "Threats found: 0\r\n"
                  "Scan completed.\r\n",
                  now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                  argumentCount);
    standin::WriteAll(file, text);
    CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** /*argv*/) {
    standin::RecordCall(L"ecls-calls.txt");
    Say("ECLS Command-line scanner (stand-in)");
    Say("Scanning, please wait...");
    WriteScanLog(argc - 1);
    Sleep(static_cast<DWORD>(standin::EnvNumber(L"KORVANE_ECLS_SLEEP_MS", 1000)));
    Say("Scanned objects: 3, threats found: 0");
    Say("Scan completed.");
    return static_cast<int>(standin::EnvNumber(L"KORVANE_ECLS_EXIT", 0));
}
