#pragma once
// An SVG picture written to its file while it is drawn (through a file replacement, so that the
// file appears whole or not at all). Coordinates are device units, Y down. Strokes of one colour
// and width that follow each other are gathered into one path element; fills and text are
// elements of their own, in drawing order.
#include <string>
#include <string_view>
#include "db/filereplace.h"
#include "gi/palette.h"

// Length of the well-formed UTF-8 sequence at s[i] (1 for ASCII), 0 when there is none.
size_t acgiUtf8Length(std::string_view s, size_t i);
// Appends v with at most `decimals` decimals, trailing zeros and a trailing point left out.
CADHOST_API void acgiAppendFixed(std::string& out, double v, int decimals);
// Appends UTF-8 text as XML character data: markup characters escaped, characters XML cannot
// hold (controls, U+FFFE, U+FFFF, broken sequences) replaced.
CADHOST_API void acgiAppendXmlText(std::string& out, std::string_view utf8);

class CADHOST_API AcGiSvgWriter {
public:
    AcGiSvgWriter() { clearShape(); }
    AcGiSvgWriter(const AcGiSvgWriter&) = delete;
    AcGiSvgWriter& operator=(const AcGiSvgWriter&) = delete;

    // Starts the file with its header and the background; the target is untouched until finish().
    Acad::ErrorStatus open(const char* fileName, int width, int height, AcGiRgb background, std::string& error);

    // The path of the shape being drawn.
    void moveTo(double x, double y);
    void lineTo(double x, double y);
    void curveTo(double x1, double y1, double x2, double y2, double x3, double y3);
    void closePath();
    // Ends the shape: stroked (gathered with the strokes of its style before it) or filled; a
    // shape wholly off the picture is dropped.
    void stroke(AcGiRgb rgb, double width);
    void fill(AcGiRgb rgb);
    // Text of `size` pixels to the em placed by a 2x2 matrix (font units to device, size taken
    // out) at (x, y).
    void text(std::string_view utf8, const double matrix[4], double size, double x, double y, AcGiRgb rgb);

    // Closes the document and makes it the target file; on failure nothing is left behind.
    Acad::ErrorStatus finish(std::string& error);
    // Drops what was written; the target stays as it was.
    void abandon();

private:
    void point(double x, double y);
    void command(char c);
    void flushStrokes();
    bool shapeShows(double reach) const;  // the shape's control points come within reach of the picture
    void clearShape();
    void spill();  // hands the buffered text to the file when enough has gathered

    cadhost::db::FileReplacement m_file;
    std::string m_out;      // document text not yet written
    std::string m_shape;    // path data of the shape being drawn
    std::string m_strokes;  // path data of the gathered strokes
    char m_last = 0;        // last command letter in m_shape
    double m_minX, m_minY, m_maxX, m_maxY;  // bounds of the shape's points
    int m_width = 0, m_height = 0;
    AcGiRgb m_strokeRgb{};
    double m_strokeWidth = 0.0;
};
