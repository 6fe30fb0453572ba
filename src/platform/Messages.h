#pragma once
#include <string>

inline constexpr const char* kDefaultCaption = "信息：";

// A standard message box: no owner window, one OK button, no icon, modal for the
// calling thread's windows. Returns when the user has pressed OK.
struct Messages {
    virtual ~Messages() = default;
    virtual void ShowMessage(const std::string& text, const std::string& caption = kDefaultCaption) = 0;
};
