/* The program's version and names: the Windows version block, the build, the
   information box and the desktop entry read them from here. The version is
   the four numbers; its texts are made from them. */
#pragma once

#define TARVIK_VERSION_MAJOR 1
#define TARVIK_VERSION_MINOR 0
#define TARVIK_VERSION_PATCH 0
#define TARVIK_VERSION_TWEAK 1

#define TARVIK_QUOTE_(number) #number
#define TARVIK_QUOTE(number) TARVIK_QUOTE_(number)
#define TARVIK_MAJOR_TEXT TARVIK_QUOTE(TARVIK_VERSION_MAJOR)
#define TARVIK_MINOR_TEXT TARVIK_QUOTE(TARVIK_VERSION_MINOR)
#define TARVIK_PATCH_TEXT TARVIK_QUOTE(TARVIK_VERSION_PATCH)
#define TARVIK_TWEAK_TEXT TARVIK_QUOTE(TARVIK_VERSION_TWEAK)
/* "1.0.0.1" */
#define TARVIK_VERSION_STRING \
    TARVIK_MAJOR_TEXT "." TARVIK_MINOR_TEXT "." TARVIK_PATCH_TEXT "." TARVIK_TWEAK_TEXT
/* "1, 0, 0, 1": the version block's way */
#define TARVIK_VERSION_TEXT \
    TARVIK_MAJOR_TEXT ", " TARVIK_MINOR_TEXT ", " TARVIK_PATCH_TEXT ", " TARVIK_TWEAK_TEXT
/* "1.0": the information box's way */
#define TARVIK_VERSION_SHORT TARVIK_MAJOR_TEXT "." TARVIK_MINOR_TEXT

#define TARVIK_FILE_DESCRIPTION "Tarvik"
#define TARVIK_INTERNAL_NAME "Tarvik"
#define TARVIK_PRODUCT_NAME "Anwendung Tarvik"
#define TARVIK_ORIGINAL_FILENAME "Tarvik.EXE"
#define TARVIK_COMPANY_NAME "Tarvik"
#define TARVIK_LEGAL_COPYRIGHT "Copyright (C) 2026 Tarvik developers, MIT License"
