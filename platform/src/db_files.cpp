// Drawing files: not yet available on this platform. Reading and saving answer
// eNotImplementedYet; the filing virtuals file nothing.
#include "host_state.h"

Acad::ErrorStatus AcDbDatabase::readDwgFile(const ACHAR*, OpenMode, bool, const wchar_t*) {
    return Acad::eNotImplementedYet;
}
Acad::ErrorStatus AcDbDatabase::closeInput(bool) { return Acad::eOk; }
Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR*) { return Acad::eNotImplementedYet; }
Acad::ErrorStatus AcDbDatabase::getNamedObjectsDictionary(AcDbDictionary*& pDict,
                                                          AcDb::OpenMode) {
    pDict = nullptr;
    return Acad::eNotImplementedYet;
}

Acad::ErrorStatus AcDbObject::dwgInFields(AcDbDwgFiler*) { return Acad::eOk; }
Acad::ErrorStatus AcDbObject::dwgOutFields(AcDbDwgFiler*) const { return Acad::eOk; }
Acad::ErrorStatus AcDbObject::dxfInFields(AcDbDxfFiler*) { return Acad::eOk; }
Acad::ErrorStatus AcDbObject::dxfOutFields(AcDbDxfFiler*) const { return Acad::eOk; }
Acad::ErrorStatus AcDbEntity::dxfInFields(AcDbDxfFiler* filer) {
    return AcDbObject::dxfInFields(filer);
}
Acad::ErrorStatus AcDbEntity::dxfOutFields(AcDbDxfFiler* filer) const {
    return AcDbObject::dxfOutFields(filer);
}
