// The table of predefined classes.
#include "win/systemclasses.h"

const std::vector<SystemClass>& systemClasses() {
    static const std::vector<SystemClass> classes = [] {
        std::vector<SystemClass> all = {dialogSystemClass(),     buttonSystemClass(),    editSystemClass(),
                                        staticSystemClass(),     listViewSystemClass(),  tabControlSystemClass(),
                                        toolTipSystemClass(),    listBoxSystemClass(),   comboListSystemClass(),
                                        comboBoxSystemClass(),   popupMenuSystemClass()};
        for (const SystemClass& c : richEditSystemClasses()) all.push_back(c);
        all.push_back(treeViewSystemClass());
        return all;
    }();
    return classes;
}
