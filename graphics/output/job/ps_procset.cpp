#include "graphics/output/job/ps_procset.h"

#include <string>

namespace {

// Lines stay below 255 characters, the longest line a printer must accept.

constexpr char kOpeningEps[] = "\n/CalyxonDict 70 dict def CalyxonDict begin\n";
constexpr char kOpeningNormal[] = "\n/CalyxonDict 80 dict def CalyxonDict begin\n";

// Short names for the operators the writers use, the rectangle forms and the
// single-byte font handling. The rectangle forms are in both variants: the
// writers emit them whether or not the job is EPS printing.
constexpr char kBaseProcs[] = R"PS(/o /load load def /d /def o def /bd {bind def} bind d
/m /moveto o d /M /rmoveto o d /l /lineto o d /L /rlineto o d /C /rcurveto o d
/ef /eofill o d /f /fill o d /S /stroke o d /cp /closepath o d /np /newpath o d
/spd /setpagedevice o d /gs /gsave o d /gr /grestore o d /sv /save o d /re /restore o d
/g /setgray o d /lw /setlinewidth o d /lc /setlinecap o d /lj /setlinejoin o d /sd /setdash o d
/rc /rectclip o d /rs /rectstroke o d /rf /rectfill o d
/B {m exch dup 0 L 0 2 index L neg 0 L neg 0 exch L}bd
/CB {B cp eoclip}bd
/Fit {1 index stringwidth pop sub 1 index length div 0 3 -1 roll ashow}bd
/bufM 6 array d /bufS 256 string d
/SF {0 0 2 index neg 0 0 bufM astore selectfont}bd
/ANSIVector ISOLatin1Encoding 256 array copy d
[39/quotesingle 45/hyphen 96/grave 128/Euro 130/quotesinglbase 131/florin 132/quotedblbase 133/ellipsis
134/dagger 135/daggerdbl 136/circumflex 137/perthousand 138/Scaron 139/guilsinglleft 140/OE 142/Zcaron
144/space 145/quoteleft 146/quoteright 147/quotedblleft 148/quotedblright 149/bullet 150/endash
151/emdash 152/tilde 153/trademark 154/scaron 155/guilsinglright 156/oe 157/space 158/zcaron
159/Ydieresis] aload length 2 idiv {ANSIVector 3 1 roll put} repeat
/ANSIName {bufS cvs length dup bufS exch (-ANSI) putinterval bufS exch 0 exch 5 add getinterval cvn}bd
/ANSIEncode {findfont dup length 1 add dict begin {1 index /FID ne {d}{pop pop}ifelse}forall
/Encoding ANSIVector d currentdict end definefont pop}bd
/SDF {exch dup ANSIName dup FontDirectory exch known {exch pop}{dup 3 -1 roll ANSIEncode}ifelse exch SF}bd
)PS";

// CF makes a Type 3 font whose glyphs AC adds one by one. Glyph space is in em
// units with y up (SF flips it for the page's y-down space). The bounding box
// of a metrics array may come with its corners in either order (bitmap glyphs
// give top before bottom); BuildChar orders them for setcachedevice.
constexpr char kTypeThreeHead[] = R"PS(/CF {10 dict begin /FontType 3 d /PaintType 0 d
1 1 index div dup 0 0 3 -1 roll 0 0 6 array astore /FontMatrix exch d
dup neg dup 2 index dup 4 array astore /FontBBox exch d pop
/Encoding 256 array d 0 1 255 {Encoding exch /.notdef put}for
/Metrics 256 dict d Metrics /.notdef [0 0 0 0 0 0] put
/CharProcs 256 dict d CharProcs /.notdef {} put
)PS";

// Every glyph added by AC has an array metric and a procedure.
constexpr char kBuildCharNormal[] = R"PS(/BuildChar {exch begin Encoding exch get dup Metrics exch get aload pop
3 -1 roll 2 copy gt {exch}if 4 2 roll 2 copy gt {exch}if 4 2 roll 3 -1 roll exch
setcachedevice CharProcs exch get exec end} d
)PS";

// EPS data may reach the font by other paths: a glyph name missing from
// CharProcs falls back to the name AC gives code n (Cn), then to .notdef; a
// metric that is a plain width sets the width without caching.
constexpr char kBuildCharEps[] = R"PS(/BuildChar {exch begin dup Encoding exch get CharProcs 1 index known {exch pop}
{pop //bufS 0 (C) putinterval 10 //bufS 1 254 getinterval cvrs length 1 add //bufS exch 0 exch getinterval cvn
CharProcs 1 index known not {pop /.notdef}if}ifelse
dup Metrics exch 2 copy known {get}{pop pop 0}ifelse
dup type dup /arraytype eq exch /packedarraytype eq or
{aload pop 3 -1 roll 2 copy gt {exch}if 4 2 roll 2 copy gt {exch}if 4 2 roll 3 -1 roll exch setcachedevice}
{0 setcharwidth}ifelse
CharProcs exch get exec end} d
)PS";

constexpr char kTypeThreeTail[] = R"PS(currentdict end definefont pop}bd
/AC {begin Encoding exch 4 index put Metrics 3 index 3 -1 roll put CharProcs 3 1 roll put end}bd
/UDF /undefinefont o d /freeVM {1 vmreclaim}bd
)PS";

constexpr char kPageSave[] = "/SS {/pagesave save d}bd /RS {pagesave restore}bd\n";

// Japanese composite fonts. The fonts are built from the CID font named by the
// third operand, with the Shift-JIS CMaps; the name given first is defined as
// a font resource (so that UDF releases it) and stored, y-flipped by fM, in
// this dictionary (Pscript_Windows_Font), where "JFn setfont" and xF find it.
//
// Horizontal: 90ms-RKSJ-H directly; the proportional face (83pv-RKSJ-H) is a
// rearranged font whose base is the 83pv font and whose Windows extension rows
// (NEC row 13, NEC-selected and IBM kanji) come from the 90ms font.
//
// Vertical ("@" faces, which the text writer draws in a frame turned so that
// the text runs along x): a rearranged font whose base is the 90ms-RKSJ-V font
// (WMode 1) and whose single-byte codes come from the horizontal font turned
// back by hrM, so that they lie along the line as Windows draws them. The whole
// font is then turned by -90 degrees, which makes the vertical advance run
// along x, and moved across the line by pd_hrMTx em so that a full-width glyph
// (vertical origin at its top centre) fills the cell between ascent and
// descent. The single-byte part carries the opposite move in its own matrix,
// and, where the CID font is a native CID-keyed one, a CDevProc
// (hrCDevProcV-J) that gives each glyph its horizontal width as its vertical
// advance and its horizontal origin as its vertical origin.
//
// Interpreters with a CIDParams build-compatibility switch are put in native
// mode while the fonts are built. Without the CID font, the printer's own
// composite font named by the second operand is used as it is.
constexpr char kCompositeFontProcs[] = R"PS(/pd_scratch 128 string d /pd_LParams 8 dict d
/fM [1 0 0 -1 0 0] d /hrM [0 -1 1 0 0 0] d /iM [1 0 0.212557 neg 1 0 0] d
/Pscript_Windows_Font currentdict d
/hrCDevProcV-J {pop pop pop pop pop pop 5 index 0 0 0}bd
/xF {scalefont Pscript_Windows_Font 3 1 roll put}bd
/emuxs {currentfont dup /FontType get 0 eq 4 2 roll 0 0 {pop pop pop 4 index {3 index 2 index get
dup 16#81 ge 1 index 16#9F le and exch dup 16#E0 ge exch 16#FC le and or {2}{1}ifelse}{1}ifelse
dup 3 index add 5 index length gt {pop 1}if 4 index 3 index 2 index getinterval
gsave 7 index setfont show grestore 3 -1 roll add exch 2 index 1 index get 0 rmoveto 1 add}
4 index cshow pop pop pop pop pop setfont}bd
version {cvr}stopped {pop 0 $error /newerror false put}if 2015 ge {/XSE /xshow o d}{/XSE {emuxs}bd}ifelse
/mFB {Pscript_Windows_Font 3 1 roll put}bd
/mFI {iM makefont Pscript_Windows_Font 3 1 roll put}bd
/pd_concatnames {exch pd_scratch cvs length dup pd_scratch exch (-) putinterval 1 add exch
pd_scratch 2 index dup 128 exch sub getinterval cvs length add pd_scratch exch 0 exch getinterval cvn}bd
/pd_SwitchToPrevious {pd_LParams /pd_prevMode get dup type /booleantype eq
{/CIDParams /ProcSet findresource /SetBuildCompatible get exec}{pop}ifelse}bd
/pd_InstallCDevProcV {dup /CIDFont findresource dup /CIDFontType get 0 eq
{1 index /hrV pd_concatnames dup /CIDFont resourcestatus {pop pop 3 1 roll pop pop}
{exch dup length 1 add dict copy dup /FID undef dup /CDevProc /hrCDevProcV-J load put
1 index exch /CIDFont defineresource pop exch pop}ifelse}{pop}ifelse}bd
/pd_gen90ms {{/90ms-RKSJ-V}{/90ms-RKSJ-H}ifelse}bd
/pd_compose {2 copy pd_concatnames dup /Font resourcestatus {pop pop 3 1 roll pop pop}
{dup 4 2 roll exch /CIDFont findresource 1 array astore composefont pop}ifelse}bd
/mF_V_CID {pd_base pd_InstallCDevProcV exch pd_compose findfont hrM 6 array copy dup 4 pd_hrMTx put makefont
pd_name /hr pd_concatnames dup 3 1 roll exch definefont pop
pd_base true pd_gen90ms pd_compose exch 2 array astore pd_name exch
/CIDInit /ProcSet findresource begin beginrearrangedfont 1 usefont
3 beginbfrange <00> <80> <00> <a0> <df> <a0> <fd> <ff> <fd> endbfrange
endrearrangedfont end pd_name findfont}bd
/mF_83V_CID {/83pv-RKSJ-H mF_V_CID}bd
/pd_SwitchToNative {pd_IsModeSwitchAble {/CIDParams /ProcSet findresource dup /GetBuildCompatible get exec
pd_LParams exch /pd_prevMode exch put false exch /SetBuildCompatible get exec}
{pd_LParams /pd_prevMode null put}ifelse}bd
/pd_IsModeSwitchAble {/CIDParams /ProcSet resourcestatus
{pop pop /CIDParams /ProcSet findresource dup /SetBuildCompatible known exch /GetBuildCompatible known and}
{false}ifelse}bd
/pd_DefLocalVParams {pd_DefLocalParams pd_LParams /pd_hrMTx -0.38 put}bd
/pd_mF_V_Finally {fM makefont hrM 6 array copy dup 5 pd_LParams /pd_hrMTx get put makefont
Pscript_Windows_Font exch pd_LParams /pd_name get exch put}bd
/mF_V_FE {pd_DefLocalVParams pd_SwitchToNative pd_LParams begin pd_base /CIDFont resourcestatus
{pop pop pd_cmap /83pv-RKSJ-H eq {mF_83V_CID}{false pd_gen90ms mF_V_CID}ifelse}{pd_psname findfont}ifelse
end pd_mF_V_Finally pd_SwitchToPrevious}bd
/mF_83pv_CID {pd_name pd_base /83pv-RKSJ-H pd_compose pd_base false pd_gen90ms pd_compose 2 array astore
/CIDInit /ProcSet findresource begin beginrearrangedfont 1 usefont
3 beginbfrange <8740> <879c> <8740> <ed40> <eefc> <ed40> <fa40> <fc4b> <fa40> endbfrange
endrearrangedfont end pd_name findfont}bd
/pd_DefLocalParams {pd_LParams begin /pd_cmap exch d /pd_base exch d /pd_psname exch d /pd_flag exch d
/pd_name exch d /pd_charset 128 d /pd_hrMTx 0 d end}bd
/pd_mF_Finally {fM makefont Pscript_Windows_Font exch pd_LParams /pd_name get exch put}bd
/mF_FE {pd_DefLocalParams pd_SwitchToNative pd_LParams begin pd_base /CIDFont resourcestatus
{pop pop pd_cmap /83pv-RKSJ-H eq {mF_83pv_CID}{pd_name pd_cmap [pd_base /CIDFont findresource] composefont}ifelse}
{pd_psname findfont}ifelse end pd_mF_Finally pd_SwitchToPrevious}bd
)PS";

// Simulated bold (lower-case b: twice, offset 1 1; upper-case B: four times at
// offsets of 2) and outline (s: outlines stroked 2 wide, then filled) forms of
// show, xshow, xyshow and Fit. ssW strokes the outline of each glyph of a
// string at the positions of an xshow (1) or xyshow (2) array.
constexpr char kShowProcs[] = R"PS(/sbB {gsave 1 1 rmoveto dup show grestore show}bd
/ssB {gsave dup false charpath 2 setlinewidth stroke grestore show}bd
/SB {gsave 2 0 rmoveto dup show grestore gsave 0 2 rmoveto dup show grestore
gsave 2 2 rmoveto dup show grestore show}bd
/ssW {gsave 2 setlinewidth 3 -1 roll 0 1 2 index length 1 sub {2 copy 1 getinterval
currentpoint 3 -1 roll false charpath stroke moveto 2 index mul 3 index exch 3 index getinterval
dup length 1 eq {0 get 0}{aload pop}ifelse rmoveto}for pop pop pop grestore}bd
/XS /xshow o d
/xbB {gsave 1 1 rmoveto 2 copy xshow grestore xshow}bd
/xsB {2 copy 1 ssW xshow}bd
/XB {gsave 2 0 rmoveto 2 copy xshow grestore gsave 0 2 rmoveto 2 copy xshow grestore
gsave 2 2 rmoveto 2 copy xshow grestore xshow}bd
/XYS /xyshow o d
/xybB {gsave 1 1 rmoveto 2 copy xyshow grestore xyshow}bd
/xysB {2 copy 2 ssW xyshow}bd
/XYB {gsave 2 0 rmoveto 2 copy xyshow grestore gsave 0 2 rmoveto 2 copy xyshow grestore
gsave 2 2 rmoveto 2 copy xyshow grestore xyshow}bd
/Fitb {gsave 1 1 rmoveto 2 copy Fit grestore Fit}bd
/FitB {gsave 2 0 rmoveto dup show grestore gsave 0 2 rmoveto dup show grestore
gsave 2 2 rmoveto dup show grestore show}bd
)PS";

// Images read their data from the job itself (currentfile). After the image,
// the decoding filters are read to their end so that a run-length end marker
// or an ASCII85 "~>" that the image did not need is not left for the
// interpreter's scanner. ImMask paints black whatever colour was set before;
// ImPaint paints in the colour (or pattern) in force.
constexpr char kImageProcs[] =
    R"PS(/ImD {10 dict begin /Height exch d /Width exch d /BitsPerComponent exch d /Decode exch d
/ImageMatrix exch d /ImageType 1 d currentfile exch {/ASCII85Decode filter dup /ImA exch d}if
exch {/RunLengthDecode filter dup /ImR exch d}if /DataSource exch d currentdict end}bd
/ImEnd {dup /ImR known {dup /ImR get flushfile}if dup /ImA known {dup /ImA get flushfile}if pop}bd
/ImGray {translate scale /DeviceGray setcolorspace ImD dup image ImEnd}bd
/ImMask {translate scale /DeviceGray setcolorspace 0 g ImD dup imagemask ImEnd}bd
/ImPaint {translate scale ImD dup imagemask ImEnd}bd
/ImRGB {translate scale /DeviceRGB setcolorspace ImD dup image ImEnd}bd
/ImIndex {translate scale ImD dup image ImEnd}bd
)PS";

// Runs outside the dictionary (an error may come while application code has
// ended it), so it uses operators only. The page is an A4 page scaled to the
// current page size; each line sits on a white box so that it reads over
// whatever the page already shows.
constexpr char kErrorHandler[] = R"PS(errordict /handleerror {$error begin newerror {/newerror false def
(%%[ Error: ) print errorname =only (; OffendingCommand: ) print /command load =only ( ]%%) = flush
20 dict begin
/EHcvs {dup type dup /stringtype eq {pop}{/nametype eq {dup length string cvs}{256 string cvs}ifelse}ifelse
dup length 80 gt {0 80 getinterval}if}def
/EHpage {initgraphics currentpagedevice /PageSize get aload pop 842 div exch 595 div exch scale
/Courier findfont 10 scalefont setfont /EHy 770 def}def
/EHline {EHy 72 lt {systemdict /showpage get exec EHpage}if
1 index stringwidth pop 1 index stringwidth pop add 1 setgray 70 EHy 3 sub 3 -1 roll 4 add 12 rectfill
0 setgray 72 EHy moveto exch show show /EHy EHy 12 sub def}def
EHpage (ERROR: ) errorname EHcvs EHline (OFFENDING COMMAND: ) /command load EHcvs EHline (STACK: ) () EHline
$error /ostack known {$error /ostack get}{[]}ifelse
dup length 1 sub -1 0 {1 index exch get () exch EHcvs EHline}for pop
systemdict /showpage get exec end}if end}put )PS";

std::string JoinProcSet(const char* opening, const char* buildChar) {
  std::string text;
  text += opening;
  text += kBaseProcs;
  text += kTypeThreeHead;
  text += buildChar;
  text += kTypeThreeTail;
  text += kPageSave;
  text += kCompositeFontProcs;
  text += kShowProcs;
  text += kImageProcs;
  return text;
}

std::string JoinBase(const char* opening, const char* buildChar) {
  std::string text;
  text += opening;
  text += kBaseProcs;
  text += kTypeThreeHead;
  text += buildChar;
  text += kTypeThreeTail;
  return text;
}

}  // namespace

const char* PsProcSetText(int variant) {
  static const std::string eps = JoinProcSet(kOpeningEps, kBuildCharEps);
  static const std::string normal = JoinProcSet(kOpeningNormal, kBuildCharNormal);
  if (variant == kPsProcSetEps) return eps.c_str();
  if (variant == kPsProcSetNormal) return normal.c_str();
  return nullptr;
}

const char* PsProcSetBaseText(int variant) {
  static const std::string eps = JoinBase(kOpeningEps, kBuildCharEps);
  static const std::string normal = JoinBase(kOpeningNormal, kBuildCharNormal);
  if (variant == kPsProcSetEps) return eps.c_str();
  if (variant == kPsProcSetNormal) return normal.c_str();
  return nullptr;
}

const char* PsPageSaveText() { return kPageSave; }
const char* PsCompositeFontText() { return kCompositeFontProcs; }
const char* PsShowProcText() { return kShowProcs; }
const char* PsImageProcText() { return kImageProcs; }
const char* PsErrorHandlerText() { return kErrorHandler; }
