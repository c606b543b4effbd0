// dbapserv.h: the host application's services to databases. The working database is the
// one new objects and commands act on; the host usually makes it the current document's
// database, but it is set independently (side-database work), and may be null.
#pragma once

#include "dbmain.h"

class AcDbHostApplicationServices : public AcRxObject {
public:
    ACRX_DECLARE_MEMBERS(AcDbHostApplicationServices);
    AcDbDatabase* workingDatabase() const { return mWorkingDatabase; }
    void setWorkingDatabase(AcDbDatabase* pDatabase) { mWorkingDatabase = pDatabase; }

private:
    AcDbDatabase* mWorkingDatabase = nullptr;
};

AcDbHostApplicationServices* acdbHostApplicationServices();
