// Skin command message and its command codes (shared by the manager, forms,
// controls and adapters). Portable: no system headers.
#pragma once

// Private window message; WParam = code * 65536 + argument.
constexpr unsigned SM_SKINCMD = 0xA100;

constexpr int SKC_SKINLOADED = 1;         // LParam: the manager
constexpr int SKC_SKINREMOVED = 2;        // LParam: the manager
constexpr int SKC_REFRESH = 3;            // LParam: the manager
constexpr int SKC_GETPROVIDER = 4;        // answers the form's provider
constexpr int SKC_CHILDPAINT = 5;
constexpr int SKC_PARENTREADY = 6;
constexpr int SKC_ISSKINNED = 7;          // answers 1 when the receiver handles skin commands
constexpr int SKC_SETUPDATING = 8;        // low word 1 = on
constexpr int SKC_SETURGENT = 9;          // low word 1 = on
constexpr int SKC_ISUPDATING = 10;
constexpr int SKC_ISHALFVISIBLE = 11;
constexpr int SKC_SECTIONCHANGED = 13;
constexpr int SKC_MENUREGION = 14;
constexpr int SKC_SETSECTION = 15;        // LParam: TacSectionInfo*
constexpr int SKC_STOPANIMATION = 16;
constexpr int SKC_BGCHANGED = 17;
constexpr int SKC_REPAINTNOW = 18;
constexpr int SKC_ISPOSITIONDEPENDENT = 19;
constexpr int SKC_MOVED = 20;             // low word 1 = redraw at once
constexpr int SKC_GETCOLOR = 21;
constexpr int SKC_SETHALFVISIBLE = 22;
constexpr int SKC_PREPARECACHE = 23;
constexpr int SKC_FADEFRAME = 24;         // LParam: the intermediate picture
constexpr int SKC_CONTROLADDED = 25;      // LParam: the windowed control, or 0
constexpr int SKC_GETSKININDEX = 26;      // LParam: int32_t* receiving the section index
constexpr int SKC_GETMANAGER = 27;
constexpr int SKC_MOUSEENTER = 29;        // LParam: the manager
constexpr int SKC_MOUSELEAVE = 30;        // LParam: the manager
constexpr int SKC_BEGINUPDATE = 31;
constexpr int SKC_ENDUPDATE = 32;
constexpr int SKC_CLEARCACHE = 33;
constexpr int SKC_GETBACKGROUND = 34;     // LParam: TBGRequest*
constexpr int SKC_DISABLEDPAINT = 35;     // LParam: byte* preset to 1
constexpr int SKC_SKINSTATE = 36;         // LParam 1 = recompute and pass on
constexpr int SKC_GETSKINLINK = 37;
constexpr int SKC_SETPRINTDC = 38;        // LParam: a device context or 0
constexpr int SKC_BEGINSCROLL = 51;       // LParam: low word scroll code, high word scroll message
constexpr int SKC_ENDSCROLL = 52;
constexpr int SKC_GETAPPLICATION = 60;
constexpr int SKC_GETOFFSET = 61;         // answers x in the low word, y in the high word
constexpr int SKC_TITLECHANGED = 62;      // LParam 1 = background changed too

// Codes whose LParam is a pointer or handle: honoured only for trusted senders.
constexpr bool SkinCommandCarriesPointer(int code) {
  return code == SKC_SETSECTION || code == SKC_FADEFRAME || code == SKC_GETSKININDEX ||
         code == SKC_GETBACKGROUND || code == SKC_DISABLEDPAINT || code == SKC_SETPRINTDC;
}
// Codes that answer an object address: 0 for untrusted senders.
constexpr bool SkinCommandAnswersAddress(int code) {
  return code == SKC_GETPROVIDER || code == SKC_GETMANAGER || code == SKC_GETSKINLINK ||
         code == SKC_GETAPPLICATION;
}
