#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/Journal.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Processes.h"
#include "platform/Shell.h"
#include "ui/WindowFields.h"

struct FakeMessages : Messages {
    struct Shown { std::string text, caption; };
    std::vector<Shown> shown;
    Journal* journal = nullptr;
    void ShowMessage(const std::string& text, const std::string& caption) override {
        shown.push_back({text, caption});
        if (journal) journal->Add("message " + text);
    }
};

struct FakeProcesses : Processes {
    struct Started { std::string commandLine; ShowMode show; WaitMode wait; };
    std::vector<Started> started;
    bool failStart = false;
    Journal* journal = nullptr;
    bool StartProgram(const std::string& commandLine, ShowMode show, WaitMode wait) override {
        if (journal) journal->Add("start " + commandLine);
        if (failStart) return false;
        started.push_back({commandLine, show, wait});
        return true;
    }
};

struct FakeShell : Shell {
    struct Opened { std::string file, parameters; };
    std::vector<Opened> documents;
    std::vector<std::string> addresses, downloads;
    struct Pick { std::string title; bool newStyle; };
    std::vector<Pick> picks;
    bool pickCancels = false;
    std::string pickResult;
    Journal* journal = nullptr;
    void OpenDocument(const std::string& file, const std::string& parameters) override {
        documents.push_back({file, parameters});
        if (journal) journal->Add("open " + file + " " + parameters);
    }
    void OpenAddress(const std::string& url) override { addresses.push_back(url); }
    bool PickFolder(const std::string& title, bool newStyle, std::string& folder) override {
        picks.push_back({title, newStyle});
        if (pickCancels) return false;
        folder = pickResult;
        return true;
    }
    void OfferDownload(const std::string& url) override {
        downloads.push_back(url);
        if (journal) journal->Add("download " + url);
    }
};

struct FakeClock : Clock {
    std::uint32_t now = 1000;
    std::uint32_t stepPerCall = 0;  // added after every TickCount
    std::vector<std::uint32_t> sleeps;
    std::uint32_t TickCount() override {
        const std::uint32_t t = now;
        now += stepPerCall;
        return t;
    }
    void SleepMs(std::uint32_t ms) override {
        sleeps.push_back(ms);
        now += ms;
    }
};

struct FakeWindow : WindowFields {
    std::map<TextField, std::string> texts;
    std::set<Choice> selected;
    bool restoreButtonDisabled = false;
    int progressPosition = 0;
    std::vector<std::vector<std::string>> newsRows;
    Journal* journal = nullptr;

    std::string ReadText(TextField field) override { return texts[field]; }
    void ReplaceText(TextField field, const std::string& text) override {
        texts[field] = text;
        if (journal) journal->Add("field " + std::to_string(static_cast<int>(field)) + "=" + text);
    }
    void ReplaceTextBytes(TextField field, const Bytes& bytes) override { ReplaceText(field, bytes); }
    bool IsSelected(Choice choice) override { return selected.count(choice) != 0; }
    void DisableRestoreButton() override {
        restoreButtonDisabled = true;
        if (journal) journal->Add("disable restore button");
    }
    void SetProgressPosition(int position) override { progressPosition = position; }
    void AppendNewsRow() override {
        newsRows.emplace_back(2);
        if (journal) journal->Add("news row");
    }
    void SetNewsCell(int row, int column, const std::string& text) override {
        newsRows.at(static_cast<size_t>(row)).at(static_cast<size_t>(column)) = text;
        if (journal) journal->Add("news cell " + std::to_string(row) + "," + std::to_string(column) + "=" + text);
    }
};
