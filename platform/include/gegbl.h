// gegbl.h: what every AcGe class shares: the global tolerance and the error conditions.
//
// AcGeContext::gTol is the one mutable, process-wide AcGeTol; it is the default of every
// `tol` argument, so changing it changes what "equal", "parallel" and "zero length" mean for
// every caller that does not pass its own tolerance. AcGe::ErrorCondition (AcGeError) is the
// out-flag of the overloads that report why a test could not be decided.
#pragma once

#include "adesk.h"
#include "getol.h"

struct AcGe {
    enum ErrorCondition {
        kOk,
        k0This,  // the object the call was made on is of zero length
        k0Arg1,  // the first argument is of zero length
        k0Arg2,
    };
};

typedef AcGe::ErrorCondition AcGeError;

struct AcGeContext {
    static AcGeTol gTol;
};
