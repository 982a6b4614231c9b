#include "gi/fontcaches.h"
#include <cairo.h>
#include <dlfcn.h>
#include <pango/pangocairo.h>
#include <cstdlib>

namespace {
void releaseFontCaches() {
    pango_cairo_font_map_set_default(nullptr);
    cairo_debug_reset_static_data();
    // Fontconfig is reached through Cairo's own dependency, not linked.
    if (void* fini = dlsym(RTLD_DEFAULT, "FcFini")) reinterpret_cast<void (*)()>(fini)();
}
}  // namespace

void cadhostReleaseFontCachesAtExit() {
    static const bool registered = std::atexit(releaseFontCaches) == 0;
    (void)registered;
}
