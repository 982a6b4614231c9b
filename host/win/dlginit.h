#pragma once
// Initial data of a dialog's controls ("DLGINIT" resources): records of a control id, a message
// in its 16-bit numbering, a 32-bit length and that many bytes, ended by a zero id.
#include <cstddef>
#include <string>
#include <vector>
#include "rx/export.h"

struct DlgInitEntry {
    unsigned control = 0;
    unsigned message = 0;  // as stored: 0x0401 adds a list-box string, 0x0403 a combo-box string
    std::string text;      // up to the first NUL of the bytes
};

// Reads every record; false with a message when a record runs past the data (the records
// before it are kept).
CADHOST_API bool cadhostReadDlgInit(const void* data, std::size_t size, std::vector<DlgInitEntry>& out,
                                    std::string* error = nullptr);
