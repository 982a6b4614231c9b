#pragma once
// Drawing files of the host with the extension .dwg. AcDbDatabase::saveAs and readDwgFile
// (database.h) write and read the host's own files; the layout is described in dwglayout.h.
// Of a drawing written by another program only the preview image is read.
#include <cstdint>
#include <string>
#include <vector>
#include "rx/errorstatus.h"
#include "rx/export.h"

// The preview image of a DWG file (this host's or another program's, R13 to R2018) as a packed
// DIB: BITMAPINFOHEADER, palette, pixels, no file header. A PNG preview (R2013 and later) comes
// back as a 24-bit DIB. Answers eNotApplicable when the file keeps no preview image,
// eInvalidInput when it is no DWG file, eFilerError when its preview block is damaged, and
// eFileNotFound / eFileAccessErr when it cannot be read; error, when given, receives the reason.
CADHOST_API Acad::ErrorStatus acdbReadDwgPreview(const char* path, std::vector<uint8_t>& packedDib,
                                                 std::string* error = nullptr);
