// lat_conc_beam_plan_rep_inventory.h: the index from a beam to the lateral concrete plan rep
// that shows it, one per document. A document's index is made from the working drawing's
// model space on the first request while the document is current, is never refreshed, and
// goes with the document.
#pragma once

#include "StdAfx.h"

// Drops the document's index.
void drop_lat_conc_beam_plan_reps(AcApDocument* document);
