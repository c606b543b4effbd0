// db_drawing.h: host-internal geometry shared by the drawing objects' sources (texts and
// their extents).
#pragma once

#include <dbmain.h>

namespace korv_host {

// The world directions of a text's baseline and of its characters' upright, both of unit
// length, for a text in the plane of `normal` turned by `rotation` about it.
void text_axes(const AcGeVector3d& normal, double rotation, AcGeVector3d& along, AcGeVector3d& up);

}  // namespace korv_host
