#pragma once
#include "app/AppContext.h"
#include "app/ProgramRecord.h"
#include "fakes/FakeFeed.h"
#include "update/UpdateState.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeHttpTransport.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeServices.h"
#include "fakes/FakeUpdate.h"
#include "fakes/Journal.h"

// Every fake the handlers need, wired into one AppContext, all reporting to one journal.
struct FakeApp {
    Journal journal;
    FakeRegistry registry;
    FakeFileSystem files;
    FakeHttpTransport http;
    FakeMessages messages;
    FakeProcesses processes;
    FakeShell shell;
    FakeClock clock;
    FakeWindow window;
    ProgramRecord program;
    FakeFeedClient feed;
    FakeXmlReader xml;
    AppContext ctx{registry, files, http, messages, processes, shell, clock, window, program, feed, xml};
    // The database update's own services and state.
    FakeLocalFiles localFiles{files};
    FakeWorkerThread workerThread;
    FakeWorkerDisplay display;
    FakeHeadProbe probe;
    FakeSkinnedBar bar;
    UpdateState updateState{workerThread, bar};
    UpdateContext update{updateState, localFiles, display, probe};

    FakeApp() {
        registry.journal = &journal;
        http.journal = &journal;
        files.journal = &journal;
        messages.journal = &journal;
        processes.journal = &journal;
        shell.journal = &journal;
        window.journal = &journal;
        localFiles.journal = &journal;
        workerThread.journal = &journal;
        display.journal = &journal;
        probe.journal = &journal;
        bar.journal = &journal;
        ctx.update = &update;
        feed.journal = &journal;
        program.runDirectory = "C:\\run";
        files.AddFolder("C:\\run\\data");
    }
};
