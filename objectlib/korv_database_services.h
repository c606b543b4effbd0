// korv_database_services.h: the library's free functions on drawings: clip values of an
// external reference's insert, and frozen-layer tests.
#pragma once

#include "StdAfx.h"
#include "korvdbx_api.h"

// The clip of an insert: the clip direction and, for the front and back planes, whether
// they apply and their depth along that direction. Without a clip: zero vector, false, 0.0.
// The result tells whether the insert has a clip at all.
KORVDBX_API bool KORVget_clip_depth_values(const AcDbBlockReference* reference,
                                           AcGeVector3d& clip_normal, bool& front_clip_on,
                                           double& front_clip_depth, bool& back_clip_on,
                                           double& back_clip_depth);
// Records the clip of an insert (the insert open for write).
KORVDBX_API Acad::ErrorStatus KORVset_clip_depth_values(AcDbBlockReference* reference,
                                                        const AcGeVector3d& clip_normal,
                                                        bool front_clip_on, double front_clip_depth,
                                                        bool back_clip_on, double back_clip_depth);
// True when the entity's own layer is frozen; false when it is not or cannot be read.
KORVDBX_API bool KORVis_on_frozen_layer(const AcDbEntity* entity);

// The length below which two points of the drawing count as one (the drawing's own
// setting; 0.0005 drawing units unless set). A null database gives the default.
KORVDBX_API double KORVget_database_length_tolerance(const AcDbDatabase* database);
KORVDBX_API void KORVset_database_length_tolerance(const AcDbDatabase* database, double tolerance);
