#include "db/attributefields.h"
#include "db/dxffiler.h"
#include "db/entitysupport.h"
#include "rx/print.h"

namespace cadhost::ent {

void AttributeFields::setFlag(Adesk::Int16 bit, bool value) {
    flags = static_cast<Adesk::Int16>(value ? (flags | bit) : (flags & ~bit));
}

void AttributeFields::dwgOutRest(AcDbDwgFiler* filer) const {
    filer->writeUInt16(fieldLength);
    filer->writeInt16(flags);
    filer->writeBool(lockPosition);
}

void AttributeFields::dwgInRest(AcDbDwgFiler* filer) {
    filer->readUInt16(&fieldLength);
    filer->readInt16(&flags);
    filer->readBool(&lockPosition);
    flags &= 15;
}

void AttributeFields::dxfOut(AcDbDxfFiler* filer, int verticalMode) const {
    filer->writeString(2, tag.c_str());
    filer->writeInt16(70, flags);
    if (fieldLength != 0) filer->writeInt16(73, static_cast<Adesk::Int16>(fieldLength));
    if (verticalMode != AcDb::kTextBase) filer->writeInt16(74, static_cast<Adesk::Int16>(verticalMode));
    if (lockPosition) filer->writeInt8(280, 1);
}

bool AttributeFields::dxfInGroup(const resbuf& rb) {
    switch (rb.restype) {
        case 2: tag = groupString(rb); return true;
        case 70: flags = static_cast<Adesk::Int16>(groupInt(rb) & 15); return true;
        case 73: fieldLength = static_cast<Adesk::UInt16>(groupInt(rb)); return true;
        case 280: lockPosition = groupInt(rb) != 0; return true;  // the last 280 is the lock flag
        default: return false;
    }
}

void AttributeFields::listTag() const { acutPrintf("                    Tag = %s\n", tag.c_str()); }

void AttributeFields::listFlags() const {
    acutPrintf("                  Flags =%s%s%s%s\n", (flags & 1) ? " invisible" : "", (flags & 2) ? " constant" : "",
               (flags & 4) ? " verify" : "", (flags & 8) ? " preset" : "");
}

}  // namespace cadhost::ent
