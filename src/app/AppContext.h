#pragma once

struct Registry;
struct FileSystem;
struct HttpTransport;
struct Messages;
struct Processes;
struct Shell;
struct Clock;
struct WindowFields;
struct ProgramRecord;
struct FeedClient;
struct XmlReader;
struct UpdateContext;

// What every handler reaches the system through: the platform services, the main
// window's named fields and the program-wide record.
struct AppContext {
    Registry& registry;
    FileSystem& files;
    HttpTransport& http;
    Messages& messages;
    Processes& processes;
    Shell& shell;
    Clock& clock;
    WindowFields& window;
    ProgramRecord& program;
    FeedClient& feed;
    XmlReader& xml;
    UpdateContext* update = nullptr;  // the database update's state and services
};
