#pragma once
#include <string>

// The four scans of page Home.
enum class ScanMode {
    CustomFolder,  // the one folder the user picks
    FullClean,     // drives c: to z:, boot sectors and memory, cleaning as it goes
    Fast,          // drive c:, boot sectors and memory
    FullAsk,       // the scanner's /auto, asking what to do afterwards
};

// The scanner's command line for a scan. The folder is used by CustomFolder only
// and is inserted unchanged between double quotes.
std::string BuildScanCommandLine(ScanMode mode, const std::string& folder);
