#pragma once
// The user's profile of the host: sections with integer and text values, kept in
// $CADHOST_PROFILE when set, else $XDG_CONFIG_HOME/cadhost/profile.ini, else
// ~/.config/cadhost/profile.ini. Every write reads the file again, changes the one value and
// replaces the file atomically, so values written by another session are kept.
#include <string>
#include "rx/export.h"

class CADHOST_API AcEdProfile {
public:
    static std::string path();
    // The default when the value is missing or is not a whole number.
    static int getInt(const char* section, const char* entry, int defaultValue);
    static bool setInt(const char* section, const char* entry, int value);
    static std::string getString(const char* section, const char* entry, const char* defaultValue = "");
    // A null value removes the entry; false when the file cannot be written or cannot hold the
    // text (line ends).
    static bool setString(const char* section, const char* entry, const char* value);
    static bool removeSection(const char* section);
};
