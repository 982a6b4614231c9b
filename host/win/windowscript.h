#pragma once
// The window-event language of scripts: one event per line, words separated by blanks, text in
// double quotes (\" and \\ inside). Targets are resolved when the event is reached, so a line
// can name a control of a dialog that opens on the lines before it.
//
//   click <target> [right]          press and release a mouse button over the target
//   dblclick <target> [right]       a double click
//   press <target> [right]          a button goes down (start of a drag) ...
//   release <target> [right]        ... and up
//   move <target>                   the mouse moves to the target
//   drag <target> <target>          press at the first, move to and release at the second
//   wheel <target> <notches>        turn the wheel over the target (positive: away from the user)
//   type "<text>"                   characters typed into the focus
//   key <name> [count]              a key pressed and released: enter, escape, tab, space,
//                                   backspace, delete, left, right, up, down, home, end,
//                                   pageup, pagedown, f1 to f12, a letter or a digit
//   keydown <name>, keyup <name>    a key goes down or up alone (shift, ctrl, alt held for
//                                   the events between)
//   wait <milliseconds>             time passes (timers fire)
//   picture <window> "<path>"       a PNG of the window is written
//   picture bar "<title>" "<path>"  a PNG of the docked or floating bar with that title
//   picture window "<title>" "<path>"  a PNG of the top-level window or bar with that text
//   picture frame "<path>"          a PNG of the main frame with its docked bars
//   menu "<item text>"              a click on the item of the open popup menu with that text
//                                   ('&' and what follows a tab left out)
//
// <target>: #<id> (the centre of the control with that id: a visible one in the active window,
// searched through its descendants, else in the bars (docked or floating), else a hidden one in
// the active window), #<id>@<x>,<y> (a point in that control's client area), @<x>,<y>
// (a point in the active window's client area) or <x>,<y> (a screen point).
// <window>: active, menu (the open popup menu), or #<id> (a control of the active window).
// Blank lines and lines starting with ; are skipped.
#include <functional>
#include <string>
#include <vector>
#include "win/headless.h"

struct WindowEventTarget {
    enum Kind { None, Control, Client, Screen, Active, Bar, Titled, Frame, Menu };
    Kind kind = None;
    int id = 0;
    POINT pt{0, 0};
    bool hasPoint = false;  // Control with a point in its client area
    std::string title;      // Bar and Titled: the window's text
};

struct WindowEventCommand {
    enum Verb { Skip, Click, DoubleClick, Press, Release, Move, Drag, Wheel, Type, Key, KeyDown, KeyUp, Wait, Picture, Menu };
    Verb verb = Skip;
    WindowEventTarget target;
    WindowEventTarget to;  // Drag
    int button = 0;
    int count = 1;         // Key repetitions, Wheel notches
    UINT key = 0;
    DWORD milliseconds = 0;
    std::string text;      // Type text, Picture path
};

// Parses one line; false with a message when the line is not an event.
CADHOST_API bool cadhostParseWindowEvent(const std::string& line, WindowEventCommand& command, std::string& error);
// True for a line of the language, right or wrong: blank, a comment or one that starts with an
// event's word. Input shared with commands tells window lines from command lines this way.
CADHOST_API bool cadhostIsWindowEventLine(const std::string& line);

// Where the language finds the main frame and the bars besides the active window; the
// user-interface library that makes bars sets it.
struct WindowScriptSite {
    std::function<HWND()> frame;
    std::function<std::vector<HWND>()> bars;
};
CADHOST_API void cadhostSetWindowScriptSite(WindowScriptSite site);

// Parses one event line and queues its input events on the thread's input, taking a picture
// at once; false with a message for a wrong line or a target that is not there.
CADHOST_API bool cadhostQueueWindowEventLine(const std::string& line, std::string& error);

// Drives windows from script lines: installs an input feeder that reads lines as the windows
// need input, turns them into input events and carries out pictures. A line that is no event
// or names a window that is not there is reported and skipped. Input ends with the lines.
CADHOST_API void cadhostRunWindowScript(std::function<bool(std::string& line)> nextLine,
                                        std::function<void(const std::string& error)> onError);
