#pragma once
// What an attribute and an attribute definition both carry besides their text: tag, field
// length, the flags of group 70 and the position lock; host-internal.
#include <string>
#include "db/filer.h"
#include "rx/ads.h"

namespace cadhost::ent {

struct AttributeFields {
    std::string tag;
    Adesk::UInt16 fieldLength = 0;
    Adesk::Int16 flags = 0;  // 1 invisible, 2 constant, 4 verify, 8 preset
    bool lockPosition = false;

    void setFlag(Adesk::Int16 bit, bool value);
    // DWG: the tag is filed by the owner (the definition files its prompt after it); these
    // write and read what follows.
    void dwgOutRest(AcDbDwgFiler* filer) const;
    void dwgInRest(AcDbDwgFiler* filer);
    // DXF: groups 2, 70, 73 and 280 (74, the vertical mode, belongs to the text part).
    void dxfOut(AcDbDxfFiler* filer, int verticalMode) const;
    bool dxfInGroup(const resbuf& rb);
    // The list lines of the tag and the flags.
    void listTag() const;
    void listFlags() const;
};

}  // namespace cadhost::ent
