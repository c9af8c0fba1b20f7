#pragma once

// The browser view's operations and events by dispatch id, and the command
// numbers that CommandStateChange reports.
namespace DispatchId {

enum : int {
    // Operations and properties.
    GoBack = 100,
    GoForward = 101,
    GoHome = 102,
    Navigate = 104,
    Refresh = -550,
    Stop = 106,
    Application = 200,
    Document = 203,
    LocationName = 210,
    LocationURL = 211,
    Busy = 212,
    Navigate2 = 500,

    // Events.
    CommandStateChange = 105,
    TitleChange = 113,
    BeforeNavigate2 = 250,
    NewWindow2 = 251,
    NavigateComplete2 = 252,
    OnQuit = 253,
    DocumentComplete = 259,
    WindowClosing = 263,
};

// CommandStateChange's command argument.
enum Command : int {
    UpdateCommands = -1,
    ForwardCommand = 1,
    BackCommand = 2,
};

} // namespace DispatchId
