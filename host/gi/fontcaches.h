#pragma once
// Pango's font map, Cairo's font caches and fontconfig are process-wide; everything that draws
// text asks for them to be given back at exit (once, Pango first, since its fonts hold Cairo's),
// so that leak checks of programs that draw text stay clean.
void cadhostReleaseFontCachesAtExit();
