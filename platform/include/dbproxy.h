// dbproxy.h: AcDbProxyEntity, the stand-in the host keeps for an entity whose class it does
// not know.
//
// When a drawing holds an entity of a class that no loaded application defines (a foreign
// program's entity, or a custom entity of an application that is not loaded), the host
// neither drops it nor guesses at it: it keeps the entity's own data untouched, shows its
// common properties (layer, colour, lineweight), and writes the data back unchanged when
// the drawing is saved. The entity keeps its handle.
#pragma once

#include <string>
#include <vector>

#include "dbmain.h"

class AcDbProxyEntity : public AcDbEntity {
public:
    ACRX_DECLARE_MEMBERS(AcDbProxyEntity);
    AcDbProxyEntity();
    ~AcDbProxyEntity() override;

    // The name of the entity's own class ("" when the file did not say) and its type name
    // in drawing files ("LWPOLYLINE").
    const ACHAR* originalClassName() const;
    const ACHAR* originalDxfName() const;
    // The application that defined the class ("" when unknown).
    const ACHAR* originalAppName() const;

    Acad::ErrorStatus dxfInFields(AcDbDxfFiler* filer) override;
    Acad::ErrorStatus dxfOutFields(AcDbDxfFiler* filer) const override;

    // Host-internal: the kept data, one (group code, text) pair per item, after the common
    // entity properties.
    struct Item {
        int code = 0;
        std::wstring text;
    };
    void setOriginal(const std::wstring& className, const std::wstring& dxfName,
                     const std::wstring& appName);
    const std::vector<Item>& items() const { return mItems; }

private:
    std::wstring mClassName;
    std::wstring mDxfName;
    std::wstring mAppName;
    std::vector<Item> mItems;
};
