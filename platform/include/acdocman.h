// acdocman.h: the host's documents. Each open drawing window is a document with its own
// database; the document manager knows which one is current (null when none is open).
#pragma once

#include "dbmain.h"

class AcApDocument : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcApDocument);
    virtual AcDbDatabase* database() const = 0;
    virtual const ACHAR* fileName() const = 0;

protected:
    AcApDocument() = default;
};

class AcApDocManager : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcApDocManager);
    virtual AcApDocument* curDocument() const = 0;
    virtual AcApDocument* mdiActiveDocument() const = 0;
    virtual int documentCount() const = 0;

protected:
    AcApDocManager() = default;
};

class AcApDocManagerReactor : public AcRxObject {
public:
    virtual void documentToBeDestroyed(AcApDocument*) {}
};

AcApDocManager* acDocManagerPtr();
#define acDocManager acDocManagerPtr()
inline AcApDocument* curDoc() {
    return acDocManager->curDocument();
}
