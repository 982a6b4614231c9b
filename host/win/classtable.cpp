// The table of predefined classes.
#include "win/systemclasses.h"

const std::vector<SystemClass>& systemClasses() {
    static const std::vector<SystemClass> classes = {dialogSystemClass(), buttonSystemClass(), editSystemClass(),
                                                     staticSystemClass(), listViewSystemClass(),
                                                     tabControlSystemClass(), toolTipSystemClass(),
                                                     listBoxSystemClass(), comboListSystemClass(), comboBoxSystemClass()};
    return classes;
}
