// korvdbx_api.h: import/export of the structural object library's symbols. The library's
// own build defines KORVDBX_EXPORTS; every other module imports.
// Included after StdAfx.h, which brings the platform's declaration words.
#pragma once

#ifdef KORVDBX_EXPORTS
#define KORVDBX_API __declspec(dllexport)
#else
#define KORVDBX_API __declspec(dllimport)
#endif
