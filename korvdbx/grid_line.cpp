#include "StdAfx.h"

#include "korv_grid_line.h"
#include "library_call.h"

// The descriptors of the grid line classes are the library calls an inventory makes when it
// tells a grid line's kind, so desc() passes through a call point; isA() answers without one,
// as it is also how the host itself asks an object its class.
#define KORV_GRID_LINE_DEFINE_MEMBERS(CLASS_NAME, PARENT_CLASS, DXF_NAME)                     \
    AcRxClass* CLASS_NAME::gpDesc = nullptr;                                                  \
    AcRxClass* CLASS_NAME::isA() const {                                                      \
        if (gpDesc == nullptr) CLASS_NAME::rxInit();                                          \
        return gpDesc;                                                                        \
    }                                                                                         \
    AcRxClass* CLASS_NAME::desc() {                                                           \
        host_test::library_call_point(#CLASS_NAME "::desc", AcDbObjectId());                  \
        if (gpDesc == nullptr) CLASS_NAME::rxInit();                                          \
        return gpDesc;                                                                        \
    }                                                                                         \
    void CLASS_NAME::rxInit(AppNameChangeFuncPtr func) {                                      \
        if (gpDesc != nullptr) return;                                                        \
        PARENT_CLASS::rxInit();                                                               \
        gpDesc = newAcRxClass(ACRX_T(#CLASS_NAME), ACRX_T(#PARENT_CLASS), AcDb::kDHL_CURRENT, \
                              AcDb::kMReleaseCurrent, 0, KORV_RX_MAKER(CLASS_NAME),           \
                              ACRX_T(#DXF_NAME), ACRX_T("KORVDBX"), func);                    \
    }                                                                                         \
    void CLASS_NAME::rxInit() {                                                               \
        CLASS_NAME::rxInit(static_cast<AppNameChangeFuncPtr>(nullptr));                       \
    }                                                                                         \
    static_assert(true, "")

ACRX_DXF_DEFINE_MEMBERS(KORVGrid_line_parent, AcDbEntity, AcDb::kDHL_CURRENT,
                        AcDb::kMReleaseCurrent, 0, KORVGRIDLINEPARENT, KORVDBX);
KORV_GRID_LINE_DEFINE_MEMBERS(KORVMaster_grid_line, KORVGrid_line_parent, KORVMASTERGRIDLINE);
KORV_GRID_LINE_DEFINE_MEMBERS(KORVTrimmed_master_grid_line, KORVMaster_grid_line,
                              KORVTRIMMEDMASTERGRIDLINE);
KORV_GRID_LINE_DEFINE_MEMBERS(KORVRadial_grid_line, KORVMaster_grid_line, KORVRADIALGRIDLINE);
KORV_GRID_LINE_DEFINE_MEMBERS(KORVCircle_grid_line, KORVGrid_line_parent, KORVCIRCLEGRIDLINE);

// ----- every grid line ---------------------------------------------------------------------

KORVGrid_line_parent::KORVGrid_line_parent() = default;
KORVGrid_line_parent::~KORVGrid_line_parent() = default;

Acad::ErrorStatus KORVGrid_line_parent::set_grid_system_name(const std::wstring& name) {
    assertWriteEnabled();
    mGridSystemName = name;
    return Acad::eOk;
}

Acad::ErrorStatus KORVGrid_line_parent::set_label(const std::wstring& label) {
    assertWriteEnabled();
    mLabel = label;
    return Acad::eOk;
}

// ----- straight lines ------------------------------------------------------------------------

KORVMaster_grid_line::KORVMaster_grid_line() = default;

KORVMaster_grid_line::KORVMaster_grid_line(const std::wstring& grid_system_name,
                                           const std::wstring& label, const AcGePoint3d& start,
                                           const AcGePoint3d& end)
    : mStart(start), mEnd(end) {
    mGridSystemName = grid_system_name;
    mLabel = label;
}

KORVMaster_grid_line::~KORVMaster_grid_line() = default;

Acad::ErrorStatus KORVMaster_grid_line::set_points(const AcGePoint3d& start,
                                                   const AcGePoint3d& end) {
    assertWriteEnabled();
    mStart = start;
    mEnd = end;
    return Acad::eOk;
}

Acad::ErrorStatus KORVMaster_grid_line::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    mStart = xform * mStart;
    mEnd = xform * mEnd;
    return Acad::eOk;
}

KORVTrimmed_master_grid_line::KORVTrimmed_master_grid_line() = default;

KORVTrimmed_master_grid_line::KORVTrimmed_master_grid_line(const std::wstring& grid_system_name,
                                                           const std::wstring& label,
                                                           const AcGePoint3d& start,
                                                           const AcGePoint3d& end,
                                                           double start_trim, double end_trim)
    : KORVMaster_grid_line(grid_system_name, label, start, end),
      mStartTrim(start_trim),
      mEndTrim(end_trim) {}

KORVTrimmed_master_grid_line::~KORVTrimmed_master_grid_line() = default;

// ----- radial grids --------------------------------------------------------------------------

KORVRadial_grid_line::KORVRadial_grid_line() = default;

KORVRadial_grid_line::KORVRadial_grid_line(const std::wstring& grid_system_name,
                                           const std::wstring& label, const AcGePoint3d& center,
                                           const AcGePoint3d& start, const AcGePoint3d& end)
    : KORVMaster_grid_line(grid_system_name, label, start, end), mCenter(center) {}

KORVRadial_grid_line::~KORVRadial_grid_line() = default;

Acad::ErrorStatus KORVRadial_grid_line::transformBy(const AcGeMatrix3d& xform) {
    const Acad::ErrorStatus es = KORVMaster_grid_line::transformBy(xform);
    if (es == Acad::eOk) mCenter = xform * mCenter;
    return es;
}

KORVCircle_grid_line::KORVCircle_grid_line() = default;

KORVCircle_grid_line::KORVCircle_grid_line(const std::wstring& grid_system_name,
                                           const std::wstring& label, const AcGePoint3d& center,
                                           double radius)
    : mCenter(center), mRadius(radius) {
    mGridSystemName = grid_system_name;
    mLabel = label;
}

KORVCircle_grid_line::~KORVCircle_grid_line() = default;

Acad::ErrorStatus KORVCircle_grid_line::transformBy(const AcGeMatrix3d& xform) {
    assertWriteEnabled();
    // The radius follows the transform's scale in the circle's plane.
    mRadius *= (xform * AcGeVector3d::kXAxis).length();
    mCenter = xform * mCenter;
    return Acad::eOk;
}
