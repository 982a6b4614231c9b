#pragma once
// Text drawn with Cairo by the renderers of the host: glyphs placed by a font matrix.
#include <cairo.h>

// Draws UTF-8 text at (x, y) with the font matrix; text larger than a few hundred pixels is
// filled as outlines (Cairo's glyph cache does not take it). The path is left empty.
CADHOST_API void acgiShowText(cairo_t* cr, const char* utf8, const cairo_matrix_t& fontMatrix, double x, double y);
