// The files of the product, in the order they are copied: the one place they
// are named. The program, the payload generator (tools/payload reads this
// file), the tests, the demonstration and the benchmarks all take them from
// here, so adding or renaming a file is one edit.
//
// Each entry: F(name, is a font, size in bytes of the demonstration file).
// Fonts are taken out of the system's font table before the copy. ORLO.EXE
// of the demonstration is a program the build makes, hence no size.
#ifndef ORLO_RES_PRODUCT_FILES_H
#define ORLO_RES_PRODUCT_FILES_H

// The three files that the program group's items start, and the group with
// its items' names.
#define ORLO_PROGRAM_FILE "ORLO.EXE"
#define ORLO_README_FILE "README.TXT"
#define ORLO_HELP_FILE "ORLO.HLP"
#define ORLO_GROUP_NAME "ORLO"
#define ORLO_PROGRAM_ITEM "ORLO"
#define ORLO_README_ITEM "README"
#define ORLO_HELP_ITEM "ORLO Help"

#define ORLO_PRODUCT_FILES(F)  \
  F(ORLO_PROGRAM_FILE, 0, 0)   \
  F(ORLO_README_FILE, 0, 3210) \
  F(ORLO_HELP_FILE, 0, 121344) \
  F("MFC30.DLL", 0, 316416)    \
  F("MFCN30.DLL", 0, 92160)    \
  F("MSVCRT20.DLL", 0, 253952) \
  F("TESK.FON", 1, 14336)      \
  F("TESKW.FON", 1, 16896)     \
  F("TESKDT.FON", 1, 12800)    \
  F("TESKDB.FON", 1, 41984)

// Helpers for the common uses: a list of the names, or of the fonts' names.
#define ORLO_PRODUCT_FILE_NAME(name, font, size) name,
#define ORLO_PRODUCT_FONT_NAME(name, font, size) (font ? name : 0),

#endif
