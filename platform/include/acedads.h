// acedads.h: the editor's ADS services the module calls: system variables and entity
// redraw.
//
// System variables live in a table the host keeps: names compare without regard to case;
// values are strings (RTSTR), shorts (RTSHORT) or reals (RTREAL). DWGNAME and DWGPREFIX
// follow the current document (its file's base name, and its folder with a trailing
// separator) unless a test set them; with no current document they do not exist.
#pragma once

#include "adscodes.h"
#include "adsdef.h"

// Copies the variable's value into result: RTNORM on success; RTERROR for a name the host
// does not know (and for a null argument), leaving result untouched. For a string the
// host allocates result->resval.rstring with malloc; the caller releases it with free()
// or acutDelString.
int acedGetVar(const ACHAR* sym, struct resbuf* result);
// Sets a variable from val (of the variable's own type): RTNORM, or RTERROR for an
// unknown or read-only variable or a value of another type.
int acedSetVar(const ACHAR* sym, const struct resbuf* val);
// Regenerates the display of the entity: RTNORM, or RTERROR for a name that names no
// live entity. Nothing is drawn on this platform; the host records the call.
int acdbEntUpd(const ads_name ent);
