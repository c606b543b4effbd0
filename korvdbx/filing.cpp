// Filing of the library's classes: each files its own data after its parent's, opening its
// DXF data with its subclass marker, and reads back what it wrote (unknown groups of its
// own subclass are passed over, a malformed value fails the read with eBadDxfSequence).
//
// Group codes: members 70 kind, 71 material, 72 flags (1 lateral, 2 unsupported start, 4
// unsupported end), 10/11 axis ends, 1 name, 3 section, 90 imported marker, 91 GUID count and
// 300 each GUID ("{8-4-4-4-12}"), 330 the concrete data's object (soft pointer, only when
// the member carries concrete data); walls 40/41 start and end heights; plan reps 10/11 end
// points and 320 the handle of the member shown (only when there is one); wall
// reinforcements 290 has-geometry, 10/11 line, 91 host count and 330 each host wall (soft
// pointer); concrete beamlines 10/11 the ends (each only when set), 1 mark, 290 kind flag.
// Slab edges 10/11 start and end.
// Grid lines: 1 grid system name, 3 label; master lines 10/11 ends; trimmed lines 40/41
// trims; radial lines 10 centre; circle lines 10 centre, 40 radius.
// Levels 1 name and 40 elevation, level dictionaries 90 level count and then each level;
// grid callouts 1 name and 10/11 corners; elevation grids 1 name and 10/11 line.
// Schedules 10 table corner, 1 title, 340 data object (hard pointer); schedule data 90 row
// count and 1 each row; tie pattern type reactors 330 target (soft pointer).
//
// The library registers its classes when it loads, as an object library does in its
// initialisation, so that a drawing read before any of them was used still finds them.
#include "StdAfx.h"

#include <cstdio>
#include <string>

#include "korvdbx.h"

namespace {

// The library's classes exist while it is loaded: registered on load, removed (derived
// classes first) on unload, as an object library's entry point does.
struct Class_registration {
    Class_registration() {
        KORVLinear_structural_member::rxInit();
        KORVWall_3::rxInit();
        KORVConcrete_lateral_beam_plan_rep::rxInit();
        KORVConcrete_lat_cant_beam_plan_rep::rxInit();
        KORVWall_reinforcement::rxInit();
        KORVSlab_edge::rxInit();
        // grid lines
        KORVGrid_line_parent::rxInit();
        KORVMaster_grid_line::rxInit();
        KORVTrimmed_master_grid_line::rxInit();
        KORVRadial_grid_line::rxInit();
        KORVCircle_grid_line::rxInit();
        KORVLevel_dictionary::rxInit();
        KORVRectangular_grid_callout::rxInit();
        KORVElevation2_0::rxInit();
        KORVConcrete_beamline::rxInit();
        // Schedules, their data and the tie pattern reactor.
        KORVSchedule::rxInit();
        KORVColumn_schedule::rxInit();
        KORVConcrete_column_schedule::rxInit();
        KORVConcrete_beam_schedule::rxInit();
        KORVSchedule_data::rxInit();
        KORVConcrete_column_schedule_data::rxInit();
        KORVConcrete_beam_schedule_data::rxInit();
        KORVTie_pattern_type_reactor::rxInit();
    }
    ~Class_registration() {
        for (AcRxClass* descriptor :
             {KORVTie_pattern_type_reactor::desc(), KORVConcrete_beam_schedule_data::desc(),
              KORVConcrete_column_schedule_data::desc(), KORVSchedule_data::desc(),
              KORVConcrete_beam_schedule::desc(), KORVConcrete_column_schedule::desc(),
              KORVColumn_schedule::desc(), KORVSchedule::desc()}) {
            deleteAcRxClass(descriptor);
        }
        // grid lines (their descriptors taken without the call point desc() has)
        for (AcRxClass* descriptor : {KORVCircle_grid_line::gpDesc, KORVRadial_grid_line::gpDesc,
                                      KORVTrimmed_master_grid_line::gpDesc,
                                      KORVMaster_grid_line::gpDesc, KORVGrid_line_parent::desc()}) {
            deleteAcRxClass(descriptor);
        }
        for (AcRxClass* descriptor :
             {KORVElevation2_0::desc(), KORVRectangular_grid_callout::desc(),
              KORVLevel_dictionary::desc(), KORVSlab_edge::desc(), KORVConcrete_beamline::desc(),
              KORVWall_reinforcement::desc(), KORVConcrete_lat_cant_beam_plan_rep::desc(),
              KORVConcrete_lateral_beam_plan_rep::desc(), KORVWall_3::desc(),
              KORVLinear_structural_member::desc()}) {
            deleteAcRxClass(descriptor);
        }
    }
} class_registration;

std::wstring guid_text(const GUID& guid) {
    wchar_t text[40];
    std::swprintf(text, 40, L"{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                  guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

bool parse_guid(const ACHAR* text, GUID& guid) {
    unsigned data1 = 0, data2 = 0, data3 = 0, bytes[8] = {};
    wchar_t close = 0;
    int read = 0;
    if (text == nullptr || std::wcslen(text) != 38 ||
        std::swscanf(text, L"{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x%lc%n", &data1, &data2, &data3,
                     &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4], &bytes[5], &bytes[6],
                     &bytes[7], &close, &read) != 12 ||
        close != L'}' || read != 38) {
        return false;
    }
    guid.Data1 = data1;
    guid.Data2 = static_cast<unsigned short>(data2);
    guid.Data3 = static_cast<unsigned short>(data3);
    for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<unsigned char>(bytes[i]);
    return true;
}

enum Member_flags : Adesk::Int16 { kLateral = 1, kUnsupportedStart = 2, kUnsupportedEnd = 4 };

Adesk::Int16 member_flags(bool lateral, bool unsupported_start, bool unsupported_end) {
    return static_cast<Adesk::Int16>((lateral ? kLateral : 0) |
                                     (unsupported_start ? kUnsupportedStart : 0) |
                                     (unsupported_end ? kUnsupportedEnd : 0));
}

AcGePoint3d point_of(const resbuf& rb) {
    return AcGePoint3d(rb.resval.rpoint[0], rb.resval.rpoint[1], rb.resval.rpoint[2]);
}

// The object a pointer group names; the null id for a null handle.
bool object_id_of(const resbuf& rb, AcDbObjectId& id) {
    if (rb.resval.rlname[0] == 0 && rb.resval.rlname[1] == 0) {
        id = AcDbObjectId::kNull;
        return true;
    }
    return acdbGetObjectId(id, rb.resval.rlname) == Acad::eOk;
}

// A handle written as hexadecimal text.
bool handle_of(const ACHAR* text, AcDbHandle& handle) {
    const size_t length = text ? std::wcslen(text) : 0;
    if (length == 0 || length > 16 || std::wcsspn(text, L"0123456789abcdefABCDEF") != length) {
        return false;
    }
    handle = AcDbHandle(text);
    return true;
}

// Reads the items of one subclass (after its marker) up to the next marker or the end,
// handing each to take; a false answer from take fails the read.
template <class Take>
Acad::ErrorStatus read_items(AcDbDxfFiler* filer, const ACHAR* subclass, Take take) {
    if (!filer->atSubclassData(subclass)) {
        return filer->setError(Acad::eBadDxfSequence, L"missing %ls data", subclass);
    }
    resbuf rb{};
    Acad::ErrorStatus es;
    while ((es = filer->readItem(&rb)) == Acad::eOk) {
        if (rb.restype == AcDb::kDxfSubclass) {
            filer->pushBackItem();
            break;
        }
        if (!take(rb)) {
            return filer->setError(Acad::eBadDxfSequence, L"%ls: bad group %d", subclass,
                                   rb.restype);
        }
    }
    if (es != Acad::eOk && es != Acad::eEndOfFile) return es;
    return filer->filerStatus();
}

}  // namespace

// ----- members -------------------------------------------------------------------------------

Acad::ErrorStatus KORVLinear_structural_member::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(static_cast<Adesk::Int16>(mKind));
    filer->writeItem(static_cast<Adesk::Int16>(mMaterial));
    filer->writeItem(member_flags(mLateral, mUnsupportedStart, mUnsupportedEnd));
    filer->writeItem(mStart);
    filer->writeItem(mEnd);
    filer->writeItem(mName.c_str());
    filer->writeItem(mSection.c_str());
    filer->writeItem(static_cast<Adesk::Int32>(mImported));
    filer->writeItem(static_cast<Adesk::UInt32>(mGuids.size()));
    for (const GUID& guid : mGuids) filer->writeItem(guid_text(guid).c_str());
    filer->writeItem(static_cast<Adesk::Boolean>(mHasConcreteData));
    filer->writeItem(AcDbSoftPointerId(mConcreteData.get_id()));
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLinear_structural_member::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::Int16 kind = 0, material = 0, flags = 0;
    Adesk::Int32 imported = 0;
    Adesk::UInt32 count = 0;
    AcString name, section;
    filer->readItem(&kind);
    filer->readItem(&material);
    filer->readItem(&flags);
    filer->readItem(&mStart);
    filer->readItem(&mEnd);
    filer->readItem(name);
    filer->readItem(section);
    filer->readItem(&imported);
    filer->readItem(&count);
    mGuids.clear();
    for (Adesk::UInt32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        AcString text;
        GUID guid{};
        filer->readItem(text);
        if (parse_guid(text.kwszPtr(), guid)) mGuids.push_back(guid);
    }
    Adesk::Boolean has_concrete_data = false;
    AcDbSoftPointerId concrete_data;
    filer->readItem(&has_concrete_data);
    filer->readItem(&concrete_data);
    mHasConcreteData = has_concrete_data;
    mConcreteData = KORVConcrete_member_data(concrete_data);
    mKind = static_cast<Kind>(kind);
    mMaterial = static_cast<Material>(material);
    mLateral = (flags & kLateral) != 0;
    mUnsupportedStart = (flags & kUnsupportedStart) != 0;
    mUnsupportedEnd = (flags & kUnsupportedEnd) != 0;
    mName = name.text();
    mSection = section.text();
    mImported = imported;
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLinear_structural_member::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVLinear_structural_member");
    filer->writeInt16(AcDb::kDxfInt16, static_cast<Adesk::Int16>(mKind));
    filer->writeInt16(static_cast<AcDb::DxfCode>(71), static_cast<Adesk::Int16>(mMaterial));
    filer->writeInt16(static_cast<AcDb::DxfCode>(72),
                      member_flags(mLateral, mUnsupportedStart, mUnsupportedEnd));
    filer->writePoint3d(AcDb::kDxfXCoord, mStart);
    filer->writePoint3d(static_cast<AcDb::DxfCode>(11), mEnd);
    filer->writeString(AcDb::kDxfText, mName.c_str());
    filer->writeString(static_cast<AcDb::DxfCode>(3), mSection.c_str());
    filer->writeInt32(AcDb::kDxfInt32, mImported);
    filer->writeInt32(static_cast<AcDb::DxfCode>(91), static_cast<Adesk::Int32>(mGuids.size()));
    for (const GUID& guid : mGuids) {
        filer->writeString(AcDb::kDxfXTextString, guid_text(guid).c_str());
    }
    if (mHasConcreteData) filer->writeObjectId(AcDb::kDxfSoftPointerId, mConcreteData.get_id());
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLinear_structural_member::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mGuids.clear();
    mHasConcreteData = false;
    mConcreteData = KORVConcrete_member_data();
    return read_items(filer, L"KORVLinear_structural_member", [this](const resbuf& rb) {
        GUID guid{};
        AcDbObjectId concrete_data;
        switch (rb.restype) {
            case 70:
                if (rb.resval.rint < kColumn || rb.resval.rint > kWall) return false;
                mKind = static_cast<Kind>(rb.resval.rint);
                return true;
            case 71:
                if (rb.resval.rint < kSteel || rb.resval.rint > kOtherMaterial) return false;
                mMaterial = static_cast<Material>(rb.resval.rint);
                return true;
            case 72:
                mLateral = (rb.resval.rint & kLateral) != 0;
                mUnsupportedStart = (rb.resval.rint & kUnsupportedStart) != 0;
                mUnsupportedEnd = (rb.resval.rint & kUnsupportedEnd) != 0;
                return true;
            case 10:
                mStart = point_of(rb);
                return true;
            case 11:
                mEnd = point_of(rb);
                return true;
            case 1:
                mName = rb.resval.rstring;
                return true;
            case 3:
                mSection = rb.resval.rstring;
                return true;
            case 90:
                mImported = rb.resval.rlong;
                return true;
            case 300:
                if (!parse_guid(rb.resval.rstring, guid)) return false;
                mGuids.push_back(guid);
                return true;
            case 330:
                if (!object_id_of(rb, concrete_data)) return false;
                mHasConcreteData = true;
                mConcreteData = KORVConcrete_member_data(concrete_data);
                return true;
            default:
                return true;
        }
    });
}

// ----- walls ---------------------------------------------------------------------------------

Acad::ErrorStatus KORVWall_3::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = KORVLinear_structural_member::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mStartHeight);
    filer->writeItem(mEndHeight);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVWall_3::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = KORVLinear_structural_member::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    filer->readItem(&mStartHeight);
    filer->readItem(&mEndHeight);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVWall_3::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = KORVLinear_structural_member::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVWall_3");
    filer->writeDouble(AcDb::kDxfReal, mStartHeight);
    filer->writeDouble(static_cast<AcDb::DxfCode>(41), mEndHeight);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVWall_3::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = KORVLinear_structural_member::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_items(filer, L"KORVWall_3", [this](const resbuf& rb) {
        if (rb.restype == 40) mStartHeight = rb.resval.rreal;
        if (rb.restype == 41) mEndHeight = rb.resval.rreal;
        return mStartHeight >= 0.0 && mEndHeight >= 0.0;
    });
}

// ----- plan reps ------------------------------------------------------------------------------

Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mStart);
    filer->writeItem(mEnd);
    filer->writeItem(mMember.get_handle());
    return filer->filerStatus();
}

Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    AcDbHandle member;
    filer->readItem(&mStart);
    filer->readItem(&mEnd);
    filer->readItem(&member);
    mMember = KORVref_to_member(member);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVConcrete_lateral_beam_plan_rep");
    filer->writePoint3d(AcDb::kDxfXCoord, mStart);
    filer->writePoint3d(static_cast<AcDb::DxfCode>(11), mEnd);
    if (!mMember.get_handle().isNull()) {
        filer->writeHandle(AcDb::kDxfArbHandle, mMember.get_handle());
    }
    return filer->filerStatus();
}

Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mMember = KORVref_to_member();
    return read_items(filer, L"KORVConcrete_lateral_beam_plan_rep", [this](const resbuf& rb) {
        if (rb.restype == 10) mStart = point_of(rb);
        if (rb.restype == 11) mEnd = point_of(rb);
        if (rb.restype == 320) {
            AcDbHandle member;
            if (!handle_of(rb.resval.rstring, member)) return false;
            mMember = KORVref_to_member(member);
        }
        return true;
    });
}

// ----- wall reinforcements ----------------------------------------------------------------------

Acad::ErrorStatus KORVWall_reinforcement::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mHasGeometry);
    filer->writeItem(mFirst);
    filer->writeItem(mSecond);
    filer->writeItem(static_cast<Adesk::UInt32>(mHosts.size()));
    for (const AcDbObjectId& host : mHosts) filer->writeItem(AcDbSoftPointerId(host));
    return filer->filerStatus();
}

Acad::ErrorStatus KORVWall_reinforcement::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::UInt32 count = 0;
    filer->readItem(&mHasGeometry);
    filer->readItem(&mFirst);
    filer->readItem(&mSecond);
    filer->readItem(&count);
    mHosts.clear();
    for (Adesk::UInt32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        AcDbSoftPointerId host;
        filer->readItem(&host);
        mHosts.push_back(host);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus KORVWall_reinforcement::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVWall_reinforcement");
    filer->writeBool(AcDb::kDxfBool, mHasGeometry);
    filer->writePoint3d(AcDb::kDxfXCoord, mFirst);
    filer->writePoint3d(static_cast<AcDb::DxfCode>(11), mSecond);
    filer->writeInt32(static_cast<AcDb::DxfCode>(91), static_cast<Adesk::Int32>(mHosts.size()));
    for (const AcDbObjectId& host : mHosts) filer->writeObjectId(AcDb::kDxfSoftPointerId, host);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVWall_reinforcement::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mHosts.clear();
    return read_items(filer, L"KORVWall_reinforcement", [this](const resbuf& rb) {
        AcDbObjectId host;
        switch (rb.restype) {
            case 290:
                mHasGeometry = rb.resval.rint != 0;
                return true;
            case 10:
                mFirst = point_of(rb);
                return true;
            case 11:
                mSecond = point_of(rb);
                return true;
            case 330:
                if (!object_id_of(rb, host)) return false;
                mHosts.push_back(host);
                return true;
            default:
                return true;
        }
    });
}

// ----- slab edges ----------------------------------------------------------------------------

Acad::ErrorStatus KORVSlab_edge::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mStart);
    filer->writeItem(mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSlab_edge::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    filer->readItem(&mStart);
    filer->readItem(&mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSlab_edge::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVSlab_edge");
    filer->writePoint3d(AcDb::kDxfXCoord, mStart);
    filer->writePoint3d(static_cast<AcDb::DxfCode>(11), mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSlab_edge::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_items(filer, L"KORVSlab_edge", [this](const resbuf& rb) {
        if (rb.restype == 10) mStart = point_of(rb);
        if (rb.restype == 11) mEnd = point_of(rb);
        return true;
    });
}

// ----- grid lines ------------------------------------------------------------------------------

Acad::ErrorStatus KORVGrid_line_parent::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mGridSystemName.c_str());
    filer->writeItem(mLabel.c_str());
    return filer->filerStatus();
}

Acad::ErrorStatus KORVGrid_line_parent::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    AcString name, label;
    filer->readItem(name);
    filer->readItem(label);
    mGridSystemName = name.text();
    mLabel = label.text();
    return filer->filerStatus();
}

Acad::ErrorStatus KORVGrid_line_parent::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVGrid_line_parent");
    filer->writeString(AcDb::kDxfText, mGridSystemName.c_str());
    filer->writeString(static_cast<AcDb::DxfCode>(3), mLabel.c_str());
    return filer->filerStatus();
}

Acad::ErrorStatus KORVGrid_line_parent::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_items(filer, L"KORVGrid_line_parent", [this](const resbuf& rb) {
        if (rb.restype == 1) mGridSystemName = rb.resval.rstring;
        if (rb.restype == 3) mLabel = rb.resval.rstring;
        return true;
    });
}

Acad::ErrorStatus KORVMaster_grid_line::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = KORVGrid_line_parent::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mStart);
    filer->writeItem(mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVMaster_grid_line::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = KORVGrid_line_parent::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    filer->readItem(&mStart);
    filer->readItem(&mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVMaster_grid_line::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = KORVGrid_line_parent::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVMaster_grid_line");
    filer->writePoint3d(AcDb::kDxfXCoord, mStart);
    filer->writePoint3d(static_cast<AcDb::DxfCode>(11), mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVMaster_grid_line::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = KORVGrid_line_parent::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_items(filer, L"KORVMaster_grid_line", [this](const resbuf& rb) {
        if (rb.restype == 10) mStart = point_of(rb);
        if (rb.restype == 11) mEnd = point_of(rb);
        return true;
    });
}

Acad::ErrorStatus KORVTrimmed_master_grid_line::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = KORVMaster_grid_line::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mStartTrim);
    filer->writeItem(mEndTrim);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVTrimmed_master_grid_line::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = KORVMaster_grid_line::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    filer->readItem(&mStartTrim);
    filer->readItem(&mEndTrim);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVTrimmed_master_grid_line::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = KORVMaster_grid_line::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVTrimmed_master_grid_line");
    filer->writeDouble(AcDb::kDxfReal, mStartTrim);
    filer->writeDouble(static_cast<AcDb::DxfCode>(41), mEndTrim);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVTrimmed_master_grid_line::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = KORVMaster_grid_line::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_items(filer, L"KORVTrimmed_master_grid_line", [this](const resbuf& rb) {
        if (rb.restype == 40) mStartTrim = rb.resval.rreal;
        if (rb.restype == 41) mEndTrim = rb.resval.rreal;
        return true;
    });
}

Acad::ErrorStatus KORVRadial_grid_line::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = KORVMaster_grid_line::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mCenter);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVRadial_grid_line::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = KORVMaster_grid_line::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    filer->readItem(&mCenter);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVRadial_grid_line::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = KORVMaster_grid_line::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVRadial_grid_line");
    filer->writePoint3d(AcDb::kDxfXCoord, mCenter);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVRadial_grid_line::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = KORVMaster_grid_line::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_items(filer, L"KORVRadial_grid_line", [this](const resbuf& rb) {
        if (rb.restype == 10) mCenter = point_of(rb);
        return true;
    });
}

Acad::ErrorStatus KORVCircle_grid_line::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = KORVGrid_line_parent::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mCenter);
    filer->writeItem(mRadius);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVCircle_grid_line::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = KORVGrid_line_parent::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    filer->readItem(&mCenter);
    filer->readItem(&mRadius);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVCircle_grid_line::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = KORVGrid_line_parent::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVCircle_grid_line");
    filer->writePoint3d(AcDb::kDxfXCoord, mCenter);
    filer->writeDouble(AcDb::kDxfReal, mRadius);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVCircle_grid_line::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = KORVGrid_line_parent::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_items(filer, L"KORVCircle_grid_line", [this](const resbuf& rb) {
        if (rb.restype == 10) mCenter = point_of(rb);
        if (rb.restype == 40) mRadius = rb.resval.rreal;
        return mRadius >= 0.0;
    });
}

// ----- levels ------------------------------------------------------------------------------

Acad::ErrorStatus KORVLevel::dwgOutFields(AcDbDwgFiler* filer) const {
    filer->writeItem(mName.c_str());
    filer->writeItem(mElevation);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLevel::dwgInFields(AcDbDwgFiler* filer) {
    AcString name;
    filer->readItem(name);
    filer->readItem(&mElevation);
    mName = name.text();
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLevel::dxfOutFields(AcDbDxfFiler* filer) const {
    filer->writeString(AcDb::kDxfText, mName.c_str());
    filer->writeDouble(AcDb::kDxfReal, mElevation);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLevel::dxfInFields(AcDbDxfFiler* filer) {
    resbuf rb{};
    if (filer->readItem(&rb) != Acad::eOk || rb.restype != AcDb::kDxfText) {
        return filer->setError(Acad::eBadDxfSequence, L"KORVLevel: name expected");
    }
    mName = rb.resval.rstring;
    if (filer->readItem(&rb) != Acad::eOk || rb.restype != AcDb::kDxfReal) {
        return filer->setError(Acad::eBadDxfSequence, L"KORVLevel: elevation expected");
    }
    mElevation = rb.resval.rreal;
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLevel_dictionary::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(static_cast<Adesk::UInt32>(mLevels.size()));
    for (const KORVLevel& level : mLevels) {
        if ((es = level.dwgOutFields(filer)) != Acad::eOk) return es;
    }
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLevel_dictionary::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::UInt32 count = 0;
    filer->readItem(&count);
    mLevels.clear();
    for (Adesk::UInt32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        KORVLevel level;
        if ((es = level.dwgInFields(filer)) != Acad::eOk) return es;
        mLevels.push_back(level);
    }
    return filer->filerStatus();
}

Acad::ErrorStatus KORVLevel_dictionary::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVLevel_dictionary");
    filer->writeInt32(AcDb::kDxfInt32, static_cast<Adesk::Int32>(mLevels.size()));
    for (const KORVLevel& level : mLevels) {
        if ((es = level.dxfOutFields(filer)) != Acad::eOk) return es;
    }
    return filer->filerStatus();
}

// The count comes first; each level then reads its own groups.
Acad::ErrorStatus KORVLevel_dictionary::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mLevels.clear();
    return read_items(filer, L"KORVLevel_dictionary", [this, filer](const resbuf& rb) {
        if (rb.restype != AcDb::kDxfInt32) return true;
        if (rb.resval.rlong < 0 || !mLevels.empty()) return false;
        for (Adesk::Int32 i = 0; i < rb.resval.rlong; ++i) {
            KORVLevel level;
            if (level.dxfInFields(filer) != Acad::eOk) return false;
            mLevels.push_back(level);
        }
        return true;
    });
}

// ----- plan grid callouts and elevation grids ----------------------------------------------------

namespace {

// The three items the callouts and elevation grids file: a name and two points.
void write_named_points(AcDbDwgFiler* filer, const std::wstring& name, const AcGePoint3d& first,
                        const AcGePoint3d& second) {
    filer->writeItem(name.c_str());
    filer->writeItem(first);
    filer->writeItem(second);
}

void read_named_points(AcDbDwgFiler* filer, std::wstring& name, AcGePoint3d& first,
                       AcGePoint3d& second) {
    AcString text;
    filer->readItem(text);
    filer->readItem(&first);
    filer->readItem(&second);
    name = text.text();
}

Acad::ErrorStatus write_named_points(AcDbDxfFiler* filer, const ACHAR* subclass,
                                     const std::wstring& name, const AcGePoint3d& first,
                                     const AcGePoint3d& second) {
    filer->writeItem(AcDb::kDxfSubclass, subclass);
    filer->writeString(AcDb::kDxfText, name.c_str());
    filer->writePoint3d(AcDb::kDxfXCoord, first);
    filer->writePoint3d(static_cast<AcDb::DxfCode>(11), second);
    return filer->filerStatus();
}

Acad::ErrorStatus read_named_points(AcDbDxfFiler* filer, const ACHAR* subclass, std::wstring& name,
                                    AcGePoint3d& first, AcGePoint3d& second) {
    return read_items(filer, subclass, [&](const resbuf& rb) {
        if (rb.restype == 1) name = rb.resval.rstring;
        if (rb.restype == 10) first = point_of(rb);
        if (rb.restype == 11) second = point_of(rb);
        return true;
    });
}

}  // namespace

Acad::ErrorStatus KORVRectangular_grid_callout::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    write_named_points(filer, mName, mCorner1, mCorner2);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVRectangular_grid_callout::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    read_named_points(filer, mName, mCorner1, mCorner2);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVRectangular_grid_callout::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    return write_named_points(filer, L"KORVRectangular_grid_callout", mName, mCorner1, mCorner2);
}

Acad::ErrorStatus KORVRectangular_grid_callout::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_named_points(filer, L"KORVRectangular_grid_callout", mName, mCorner1, mCorner2);
}

Acad::ErrorStatus KORVElevation2_0::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    write_named_points(filer, mName, mStart, mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVElevation2_0::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    read_named_points(filer, mName, mStart, mEnd);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVElevation2_0::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    return write_named_points(filer, L"KORVElevation2_0", mName, mStart, mEnd);
}

Acad::ErrorStatus KORVElevation2_0::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    return read_named_points(filer, L"KORVElevation2_0", mName, mStart, mEnd);
}

// ----- concrete beamlines ------------------------------------------------------------------------

Acad::ErrorStatus KORVConcrete_beamline::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(static_cast<Adesk::Boolean>(mHasStart));
    filer->writeItem(static_cast<Adesk::Boolean>(mHasEnd));
    filer->writeItem(mStart);
    filer->writeItem(mEnd);
    filer->writeItem(mMark.c_str());
    filer->writeItem(static_cast<Adesk::Boolean>(mKindFlag));
    return filer->filerStatus();
}

Acad::ErrorStatus KORVConcrete_beamline::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::Boolean has_start = false, has_end = false, kind_flag = false;
    AcString mark;
    filer->readItem(&has_start);
    filer->readItem(&has_end);
    filer->readItem(&mStart);
    filer->readItem(&mEnd);
    filer->readItem(mark);
    filer->readItem(&kind_flag);
    mHasStart = has_start;
    mHasEnd = has_end;
    mMark = mark.text();
    mKindFlag = kind_flag;
    return filer->filerStatus();
}

Acad::ErrorStatus KORVConcrete_beamline::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVConcrete_beamline");
    if (mHasStart) filer->writePoint3d(AcDb::kDxfXCoord, mStart);
    if (mHasEnd) filer->writePoint3d(static_cast<AcDb::DxfCode>(11), mEnd);
    filer->writeString(AcDb::kDxfText, mMark.c_str());
    filer->writeBool(AcDb::kDxfBool, mKindFlag);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVConcrete_beamline::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mHasStart = mHasEnd = mKindFlag = false;
    mMark.clear();
    return read_items(filer, L"KORVConcrete_beamline", [this](const resbuf& rb) {
        switch (rb.restype) {
            case 10:
                mStart = point_of(rb);
                mHasStart = true;
                return true;
            case 11:
                mEnd = point_of(rb);
                mHasEnd = true;
                return true;
            case 1:
                mMark = rb.resval.rstring;
                return true;
            case 290:
                mKindFlag = rb.resval.rint != 0;
                return true;
            default:
                return true;
        }
    });
}

// ----- schedules -------------------------------------------------------------------------------

Acad::ErrorStatus KORVSchedule::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(mCorner);
    filer->writeItem(mTitle.c_str());
    filer->writeItem(AcDbHardPointerId(mData));
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSchedule::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    AcString title;
    AcDbHardPointerId data;
    filer->readItem(&mCorner);
    filer->readItem(title);
    filer->readItem(&data);
    mTitle = title.text();
    mData = data;
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSchedule::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbEntity::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVSchedule");
    filer->writePoint3d(AcDb::kDxfXCoord, mCorner);
    filer->writeString(AcDb::kDxfText, mTitle.c_str());
    if (!mData.isNull()) filer->writeObjectId(AcDb::kDxfHardPointerId, mData);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSchedule::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbEntity::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mData.setNull();
    return read_items(filer, L"KORVSchedule", [this](const resbuf& rb) {
        switch (rb.restype) {
            case 10:
                mCorner = point_of(rb);
                return true;
            case 1:
                mTitle = rb.resval.rstring;
                return true;
            case 340:
                // A data object that did not survive is no data.
                if (acdbGetObjectId(mData, rb.resval.rlname) != Acad::eOk) mData.setNull();
                return true;
            default:
                return true;
        }
    });
}

// ----- schedule data ----------------------------------------------------------------------------

Acad::ErrorStatus KORVSchedule_data::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(static_cast<Adesk::UInt32>(mRows.size()));
    for (const std::wstring& row : mRows) filer->writeItem(row.c_str());
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSchedule_data::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    Adesk::UInt32 count = 0;
    filer->readItem(&count);
    mRows.clear();
    for (Adesk::UInt32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
        AcString row;
        filer->readItem(row);
        mRows.push_back(row.text());
    }
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSchedule_data::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVSchedule_data");
    filer->writeInt32(AcDb::kDxfInt32, static_cast<Adesk::Int32>(mRows.size()));
    for (const std::wstring& row : mRows) filer->writeString(AcDb::kDxfText, row.c_str());
    return filer->filerStatus();
}

Acad::ErrorStatus KORVSchedule_data::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mRows.clear();
    return read_items(filer, L"KORVSchedule_data", [this](const resbuf& rb) {
        if (rb.restype == 1) mRows.push_back(rb.resval.rstring);
        return true;
    });
}

// ----- tie pattern type reactors
// ------------------------------------------------------------------

Acad::ErrorStatus KORVTie_pattern_type_reactor::dwgOutFields(AcDbDwgFiler* filer) const {
    Acad::ErrorStatus es = AcDbObject::dwgOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDbSoftPointerId(mTarget));
    return filer->filerStatus();
}

Acad::ErrorStatus KORVTie_pattern_type_reactor::dwgInFields(AcDbDwgFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dwgInFields(filer);
    if (es != Acad::eOk) return es;
    AcDbSoftPointerId target;
    filer->readItem(&target);
    mTarget = target;
    return filer->filerStatus();
}

Acad::ErrorStatus KORVTie_pattern_type_reactor::dxfOutFields(AcDbDxfFiler* filer) const {
    Acad::ErrorStatus es = AcDbObject::dxfOutFields(filer);
    if (es != Acad::eOk) return es;
    filer->writeItem(AcDb::kDxfSubclass, L"KORVTie_pattern_type_reactor");
    if (!mTarget.isNull()) filer->writeObjectId(AcDb::kDxfSoftPointerId, mTarget);
    return filer->filerStatus();
}

Acad::ErrorStatus KORVTie_pattern_type_reactor::dxfInFields(AcDbDxfFiler* filer) {
    Acad::ErrorStatus es = AcDbObject::dxfInFields(filer);
    if (es != Acad::eOk) return es;
    mTarget.setNull();
    return read_items(filer, L"KORVTie_pattern_type_reactor", [this](const resbuf& rb) {
        if (rb.restype == 330 && acdbGetObjectId(mTarget, rb.resval.rlname) != Acad::eOk) {
            mTarget.setNull();
        }
        return true;
    });
}
