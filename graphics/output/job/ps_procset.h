// The PostScript procedure set "CalyxonDict" that every PostScript job carries
// in its prolog. All later PostScript output (paths, rectangles, images, text,
// downloaded fonts, page saves) calls its procedures by name, so the texts here
// are the contract between the prolog and the writers.
//
// A prolog is written as: PsProcSetText(variant), then PsErrorHandlerText()
// when the error handler is asked for, then "\n" (dictionary left open) or
// " end\n". The pieces are also given one by one, in the order they appear in
// PsProcSetText: PsProcSetBaseText(variant), PsPageSaveText(),
// PsCompositeFontText(), PsShowProcText(), PsImageProcText().
//
// Procedures and operand orders (operands listed bottom to top of the stack):
//   o d bd                load, def, {bind def}
//   m M l L C             moveto rmoveto lineto rlineto rcurveto
//   ef f S cp np          eofill fill stroke closepath newpath
//   spd gs gr sv re       setpagedevice gsave grestore save restore
//   g lw lc lj sd         setgray setlinewidth setlinecap setlinejoin setdash
//   rc rs rf              rectclip rectstroke rectfill: x y w h
//   B                     w h x y B: rectangle path from x y (open; CB closes)
//   CB                    w h x y CB: closes the rectangle and clips even-odd
//   Fit                   string width Fit: ashow spread to the width
//   bufM bufS             scratch matrix, 256-byte scratch string
//   SF                    /font size SF: selectfont with the y axis flipped
//   ANSIVector            ISO Latin-1 with the Windows 1252 additions
//   ANSIName              /font ANSIName -> /font-ANSI
//   ANSIEncode            /newfont /font ANSIEncode: copy of font, Encoding ANSIVector
//   SDF                   /font size SDF: SF of /font-ANSI, made on first use
//   CF                    /font em CF: Type 3 font with glyph space em units, y up
//   AC                    /Cn {proc} [wx wy x0 y0 x1 y1] code fontdict AC
//   UDF                   /font UDF: undefinefont
//   freeVM                1 vmreclaim
//   SS RS                 page save into pagesave / restore of it
//   xF                    /new font size xF: stores the scaled font in the dictionary
//   mFB                   /new font mFB: stores the font under a second name
//   mFI                   /new font mFI: stores the font slanted by iM
//   XSE                   string [dx ...] XSE: xshow (emulated by emuxs on old interpreters)
//   emuxs                 string [dx ...] emuxs: xshow emulated through cshow
//   mF_FE                 /JFn 0 /PSName /CIDBase /CMap mF_FE: horizontal Japanese font
//   mF_V_FE               /JFn 0 /PSName /CIDBase /CMap mF_V_FE: vertical Japanese font
//                         (both store the font as JFn; the 0 is reserved and ignored)
//   sbB ssB SB FitB       string X: bold (twice, offset 1 1), outline, heavy (four times)
//   Fitb                  string width Fitb: bold form of Fit
//   XS xbB xsB XB         string [dx ...] X: xshow, bold, outline, heavy
//   XYS xybB xysB XYB     string [dx dy ...] X: xyshow, bold, outline, heavy
//   ImGray ImMask ImRGB ImIndex
//                         rle a85 [sw 0 0 sh 0 0] [decode] bpc sw sh dw dh dx dy X
//                         followed in the file by the image data (ASCII85 when a85,
//                         run-length encoded with its end marker when rle)
#pragma once

// Name of the dictionary, as returned to the DOWNLOADHEADER escape.
constexpr char kPsProcSetName[] = "CalyxonDict";

// The two variants: for EPS printing and for every other job. They differ in
// the dictionary size and in the Type 3 BuildChar of CF (the EPS variant
// tolerates glyphs whose metrics or procedure are missing).
constexpr int kPsProcSetEps = 70;
constexpr int kPsProcSetNormal = 80;

// The whole procedure set of a variant (70 or 80), from the dictionary opening
// "\n/CalyxonDict 80 dict def CalyxonDict begin\n" through the image
// procedures, leaving the dictionary open. nullptr for any other variant.
const char* PsProcSetText(int variant);

// The pieces of PsProcSetText, in their order.
// Dictionary opening and the basic, font and rectangle procedures; nullptr for
// an unknown variant.
const char* PsProcSetBaseText(int variant);
// "/SS {/pagesave save d}bd /RS {pagesave restore}bd\n"
const char* PsPageSaveText();
// Japanese composite fonts (the same in both variants).
const char* PsCompositeFontText();
// Bold, outline and positioned show procedures.
const char* PsShowProcText();
// ImGray, ImMask, ImRGB, ImIndex.
const char* PsImageProcText();

// The error handler that prints the error, the offending command and the
// operand stack on the page; it ends "}put " so that the prolog's closing
// "\n" or " end\n" follows it.
const char* PsErrorHandlerText();
