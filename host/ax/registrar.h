#pragma once
// Registry scripts: the text a module carries to describe what it writes to the registry when
// it registers and what it takes out again when it unregisters.
//
// Syntax:
//   script  := { root block }                      root: HKCR, HKLM, HKCU (or long names)
//   block   := '{' { entry } '}'
//   entry   := [ 'ForceRemove' | 'NoRemove' ] name [ '=' 's' text ] [ block ]    a key
//            | 'val' name '=' 's' text                                          a value
//   name    := word | text            word: any run of characters but blanks, { } = and '
//   text    := 'characters'           '' inside stands for one quotation mark
// Before parsing, each %NAME% is replaced by the text given for NAME and %% by one %; an
// unknown NAME is an error. A key's "= s text" is its default value.
//
// Registering creates each key (a ForceRemove key is first deleted with everything beneath it)
// and sets the values. Unregistering removes the values named in the script; a ForceRemove key
// goes with everything beneath it; a NoRemove key stays (its entries are still unregistered);
// any other key is deleted once its own entries are gone, unless something the script did not
// write (another subkey or value) is left in it. Keys that are not there are skipped.
#include <map>
#include <string>
#include "ax/comtypes.h"

using AxReplacements = std::map<std::string, std::string>;

// A syntax error or an unknown replacement changes nothing and answers E_INVALIDARG. When
// registering, the first refused change stops the script and its status is answered; when
// unregistering, every entry is tried and the first failure is answered.
CADHOST_API HRESULT axApplyRegistryScript(const char* script, const AxReplacements& replacements, bool doRegister,
                                          std::string* error = nullptr);
