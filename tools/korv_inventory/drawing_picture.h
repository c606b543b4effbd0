// drawing_picture.h: a drawing's model space, paper space or one block definition as a
// picture, for engineers who want to see what the inventories speak of.
//
// The scene is gathered through the host's API first (every object opened for read and
// closed before the next), as plain strokes and texts in the coordinates of the drawn space:
// lines, arcs, lightweight polylines with their bulges and widths (a wide closed polyline is
// how drawings make filled dots), texts and attributes, and block references followed into
// their definitions (nested ones and external references too) through their transforms.
// Entities on frozen or off layers are left out, with everything a reference on such a layer
// inserts. Colours are the entities' own, by layer or by block as the drawing says. The
// picture is then fitted to the scene's extents and written by cairo as SVG, PNG or PDF,
// chosen by the output file's extension.
#pragma once

#include <dbmain.h>

#include <ostream>
#include <string>
#include <vector>

#include <gepnt3d.h>

#include "tool_error.h"

namespace korv_tool {

struct Rgb {
    double red = 0, green = 0, blue = 0;
};

// A polyline of the scene: straight pieces through its points (arcs already flattened).
struct Stroke {
    std::vector<AcGePoint3d> points;
    double width = 0.0;  // drawing units; 0 draws the thinnest visible line
    Rgb colour;
};

struct Label {
    AcGePoint3d position;
    double height = 0.0;
    double rotation = 0.0;  // radians
    std::string text;       // UTF-8
    Rgb colour;
};

struct Scene {
    std::vector<Stroke> strokes;
    std::vector<Label> labels;
};

enum class DrawnSpace { kModel, kPaper };

// The scene of the database's model or paper space, or of the block definition called
// block_name when it is not empty. Throws ToolError (kArgument) for a block the drawing
// does not define, and (kDrawing) when the space cannot be opened.
Scene gather_scene(AcDbDatabase* database, DrawnSpace space, const std::wstring& block_name);

// Writes the scene to path as SVG, PNG or PDF by its extension, the longer side `size`
// pixels (points for SVG and PDF). Throws ToolError: kUsage for another extension, kFile
// when the file cannot be written.
void write_picture(const Scene& scene, const std::string& path, int size);

// The colour the drawing's colour index names (1 to 255), as the host shows it on a white
// background (index 7 is black there).
Rgb colour_of_index(int index);

}  // namespace korv_tool

namespace korv_tool {

struct DrawOptions {
    std::string drawing;
    std::string output;
    std::string space = "model";  // "model" or "paper"
    std::string block;            // a block definition to draw instead of a space
    int size = 1600;
};

// korv-inventory draw: opens the drawing with its references and writes the picture.
ExitCode run_draw(const DrawOptions& options, std::ostream& out);

}  // namespace korv_tool
