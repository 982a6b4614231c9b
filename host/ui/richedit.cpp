// Rich-edit support of the framework.
#include "ui/richedit.h"
#include "win/systemclasses.h"

BOOL AfxInitRichEdit2() {
    cadhostRegisterControlClasses();
    WNDCLASS wc{};
    return GetClassInfo(nullptr, RICHEDIT_CLASS, &wc);
}
