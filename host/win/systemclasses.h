#pragma once
// The predefined window classes (dialog, button, edit, static, list view) and their atoms in templates.
#include <vector>
#include "win/windef.h"

struct SystemClass {
    const char* name;
    WORD atom;  // the class's ordinal in dialog templates, 0 for none
    UINT style;
    WNDPROC proc;
    int extraBytes;
    HBRUSH background;
};

const SystemClass& dialogSystemClass();
const SystemClass& buttonSystemClass();
const SystemClass& editSystemClass();
const SystemClass& staticSystemClass();
const SystemClass& listViewSystemClass();
const SystemClass& tabControlSystemClass();
const SystemClass& toolTipSystemClass();
const SystemClass& listBoxSystemClass();
const SystemClass& comboListSystemClass();
const SystemClass& comboBoxSystemClass();
const SystemClass& popupMenuSystemClass();
const SystemClass& treeViewSystemClass();
// The rich-edit control under each of its class names.
const std::vector<SystemClass>& richEditSystemClasses();
// Every predefined class, in the order they are registered.
const std::vector<SystemClass>& systemClasses();
// Registers the predefined classes once (CreateWindowEx calls it).
CADHOST_API void cadhostRegisterControlClasses();
