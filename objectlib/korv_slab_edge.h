// korv_slab_edge.h: KORVSlab_edge, one straight piece of a slab's outline as drawn on a floor
// plan. Outlines run counter-clockwise seen from above, so the slab lies on the left of each
// edge, looking from its start to its end.
//
// Slab outlines are also drawn as plain lines, arcs and lightweight polylines on the
// default slab edge layer; those carry no slab side and answer no geometry questions.
#pragma once

#include <list>
#include <string>

#include "StdAfx.h"
#include "korvdbx_api.h"

class KORVDBX_API KORVSlab_edge : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(KORVSlab_edge);
    KORVSlab_edge();
    KORVSlab_edge(const AcGePoint3d& start, const AcGePoint3d& end);
    ~KORVSlab_edge() override;

    // The layer slab outlines are drawn on: "S-SLAB-EDGE".
    static std::wstring get_default_layer_name();

    AcGePoint3d start_point() const;
    AcGePoint3d end_point() const;
    Acad::ErrorStatus set_end_points(const AcGePoint3d& start, const AcGePoint3d& end);

    // The stretch of the line from `start` to `end` (a beam or wall line) along which this
    // edge runs, in this edge's drawing's coordinates. The edge runs along the line when it
    // is parallel to it (AcGeContext::gTol) and both its ends lie within `distance` of the
    // line, measured square to it. When `side` lies off the line, the slab must also lie on
    // side's side of the line (the edge's left points there); a `side` on the line accepts
    // either. The stretch is the edge projected onto the line, cut to start-end.
    //
    // When there is such a stretch with a length, appends its two parameters along the line
    // (0 at start, 1 at end, in increasing order) to `parameters` and the two points of the
    // line at them to `points`; otherwise appends nothing. Never clears either list. A line
    // of no length, a negative distance or an edge of no length give nothing.
    virtual void get_intervals_aligned_with_edges(const AcGePoint3d& start, const AcGePoint3d& end,
                                                  const AcGePoint3d& side, double distance,
                                                  std::list<double>& parameters,
                                                  std::list<AcGePoint3d>& points) const;

    // Filing (korvdbx/filing.cpp): each class files its own data after its parent's.
    Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
    Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;
    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

private:
    AcGePoint3d mStart;
    AcGePoint3d mEnd;
};
