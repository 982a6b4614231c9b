// The classes every program has: registered on first use, before the first window is made.
#include "win/systemclasses.h"
#include "win/winuser.h"

void cadhostRegisterControlClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const SystemClass& c : systemClasses()) {
        WNDCLASS wc{};
        wc.style = c.style | CS_GLOBALCLASS;
        wc.lpfnWndProc = c.proc;
        wc.cbWndExtra = c.extraBytes;
        wc.hbrBackground = c.background;
        wc.lpszClassName = c.name;
        RegisterClass(&wc);
    }
}
