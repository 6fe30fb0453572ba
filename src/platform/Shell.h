#pragma once
#include <string>

// The shell: documents, folders, addresses and the folder browser.
struct Shell {
    virtual ~Shell() = default;
    // ShellExecute with no owner, the default verb, no directory, normal show.
    virtual void OpenDocument(const std::string& file, const std::string& parameters) = 0;
    // Opens an address in the default browser; when the shell refuses, starts the
    // program registered for ".htm" files with the address as its argument.
    virtual void OpenAddress(const std::string& url) = 0;
    // The shell's folder browser, modal to the main window. False when cancelled
    // (folder then untouched); true with the chosen folder's path.
    virtual bool PickFolder(const std::string& title, bool newStyle, std::string& folder) = 0;
    // Hands the address to the system's file-download dialog (or, where there is
    // none, to the shell's default action) so the user is offered the file.
    virtual void OfferDownload(const std::string& url) = 0;
};
