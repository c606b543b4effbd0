// Filing of the library's classes: each files its own data after its parent's.
#include "StdAfx.h"

#include "korvdbx.h"

Acad::ErrorStatus KORVLinear_structural_member::dwgInFields(AcDbDwgFiler* filer) {
    return AcDbEntity::dwgInFields(filer);
}
Acad::ErrorStatus KORVLinear_structural_member::dwgOutFields(AcDbDwgFiler* filer) const {
    return AcDbEntity::dwgOutFields(filer);
}
Acad::ErrorStatus KORVLinear_structural_member::dxfInFields(AcDbDxfFiler* filer) {
    return AcDbEntity::dxfInFields(filer);
}
Acad::ErrorStatus KORVLinear_structural_member::dxfOutFields(AcDbDxfFiler* filer) const {
    return AcDbEntity::dxfOutFields(filer);
}
Acad::ErrorStatus KORVWall_3::dwgInFields(AcDbDwgFiler* filer) {
    return KORVLinear_structural_member::dwgInFields(filer);
}
Acad::ErrorStatus KORVWall_3::dwgOutFields(AcDbDwgFiler* filer) const {
    return KORVLinear_structural_member::dwgOutFields(filer);
}
Acad::ErrorStatus KORVWall_3::dxfInFields(AcDbDxfFiler* filer) {
    return KORVLinear_structural_member::dxfInFields(filer);
}
Acad::ErrorStatus KORVWall_3::dxfOutFields(AcDbDxfFiler* filer) const {
    return KORVLinear_structural_member::dxfOutFields(filer);
}
Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dwgInFields(AcDbDwgFiler* filer) {
    return AcDbEntity::dwgInFields(filer);
}
Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dwgOutFields(AcDbDwgFiler* filer) const {
    return AcDbEntity::dwgOutFields(filer);
}
Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dxfInFields(AcDbDxfFiler* filer) {
    return AcDbEntity::dxfInFields(filer);
}
Acad::ErrorStatus KORVConcrete_lateral_beam_plan_rep::dxfOutFields(AcDbDxfFiler* filer) const {
    return AcDbEntity::dxfOutFields(filer);
}
Acad::ErrorStatus KORVWall_reinforcement::dwgInFields(AcDbDwgFiler* filer) {
    return AcDbEntity::dwgInFields(filer);
}
Acad::ErrorStatus KORVWall_reinforcement::dwgOutFields(AcDbDwgFiler* filer) const {
    return AcDbEntity::dwgOutFields(filer);
}
Acad::ErrorStatus KORVWall_reinforcement::dxfInFields(AcDbDxfFiler* filer) {
    return AcDbEntity::dxfInFields(filer);
}
Acad::ErrorStatus KORVWall_reinforcement::dxfOutFields(AcDbDxfFiler* filer) const {
    return AcDbEntity::dxfOutFields(filer);
}
