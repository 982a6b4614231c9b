#pragma once
// Prompts of the drawing and editing commands answered in drawing terms, and the messages and
// names they deal in.
//
// The ask functions answer as ed/prompts.h does: RTNORM, RTNONE for an empty answer where it
// is allowed, RTKWORD (the keyword's global name in *keyword), RTCAN, RTERROR.
#include <string>
#include "db/database.h"
#include "rx/ads.h"

namespace hostcmd {

// The current document's drawing, or null after printing that none is open.
AcDbDatabase* currentDrawing();

// Marks the running command failed with the message; answers RTERROR.
int failWith(const std::string& message);
// A wrong answer that the prompt itself could not see: a person is told and asked again
// (true), a script fails the command (false).
bool retryAfter(const std::string& message);

int askPoint(const char* prompt, AcGePoint3d& point, int flags = 0, const char* keywords = nullptr,
             std::string* keyword = nullptr);
// A distance, or a point whose distance from base (LASTPOINT when null) is taken.
int askDistance(const char* prompt, const AcGePoint3d* base, double& value, int flags = 0,
                const char* keywords = nullptr, std::string* keyword = nullptr);
int askReal(const char* prompt, double& value, int flags = 0);
// An angle in the drawing's angle units ("-" turns clockwise), or a point whose direction
// from base is taken.
int askAngle(const char* prompt, const AcGePoint3d* base, double& angle, bool emptyAllowed);
// Text up to the line end (spaces kept) or up to a space.
int askText(const char* prompt, std::string& text, bool spaces);
int askKeyword(const char* prompt, const char* keywords, std::string& keyword, int flags = 0);
// A file name up to the line end, surrounding blanks and quotes removed, as a Linux path
// (drive paths are mapped; a path the drives cannot map fails the command).
int askFileName(const char* prompt, std::string& name);
// Sets LASTPOINT, the base of "@" answers.
void setLastPoint(const AcGePoint3d& point);

// The name of a status ("eDuplicateKey").
std::string statusText(Acad::ErrorStatus es);
// A coordinate or a point in the drawing's units.
std::string formatDistance(double value);
std::string formatPoint(const AcGePoint3d& point);

// Symbol names a person may give (the tables' rule, no "*" or "|"); why says what is wrong.
bool isValidName(const std::string& name, std::string& why);
// Wildcards of names: "*" and "?", comma-separated alternatives, case-insensitive.
bool wildcardMatch(const std::string& pattern, const std::string& name);
std::string upperCase(std::string text);
std::string trimmed(const std::string& text);

}  // namespace hostcmd
