/* The program's version and names: the Windows version block, the build and
   the desktop entry read them from here. */
#pragma once

#define TARVIK_VERSION_MAJOR 1
#define TARVIK_VERSION_MINOR 0
#define TARVIK_VERSION_PATCH 0
#define TARVIK_VERSION_TWEAK 1
#define TARVIK_VERSION_TEXT "1, 0, 0, 1"
#define TARVIK_FILE_DESCRIPTION "Tarvik"
#define TARVIK_INTERNAL_NAME "Tarvik"
#define TARVIK_PRODUCT_NAME "Anwendung Tarvik"
#define TARVIK_ORIGINAL_FILENAME "Tarvik.EXE"
#define TARVIK_COMPANY_NAME "Tarvik"
#define TARVIK_LEGAL_COPYRIGHT "Copyright (C) 2026 Tarvik developers, MIT License"
#define TARVIK_VERSION_STRING "1.0.0.1"
