// The image list object: attached lists by handle, and temporaries for lists made elsewhere.
#include "ui/imagelist.h"
#include <memory>
#include "ui/handlemap.h"

namespace {

HandleObjects<HIMAGELIST, CImageList>& objects() {
    static HandleObjects<HIMAGELIST, CImageList> o;
    return o;
}

bool alive(HIMAGELIST list) {
    int cx = 0, cy = 0;
    return ImageList_GetIconSize(list, &cx, &cy) != FALSE;
}

}  // namespace

CImageList::~CImageList() {
    if (!m_temporary) DeleteImageList();
}

BOOL CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    return Attach(ImageList_Create(cx, cy, flags, initial, grow));
}

BOOL CImageList::Attach(HIMAGELIST list) {
    if (!list || m_hImageList) return FALSE;
    m_hImageList = list;
    objects().attach(list, this);
    return TRUE;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST list = m_hImageList;
    if (list && !m_temporary) objects().detach(list);
    m_hImageList = nullptr;
    return list;
}

BOOL CImageList::DeleteImageList() {
    if (!m_hImageList) return FALSE;
    return ImageList_Destroy(Detach());
}

CImageList* CImageList::FromHandle(HIMAGELIST list) {
    return objects().find(list, alive, [](HIMAGELIST h) {
        auto o = std::make_unique<CImageList>();
        o->m_temporary = true;
        o->m_hImageList = h;
        return o;
    });
}
