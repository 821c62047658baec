// Window-free maths of glows and fades: the blend of a fade step, the fade
// timer's step counting and the glow window's size, crop and position.
// The Win32 timer and layered window only carry out what these decide.
#pragma once
#include "framework/core/Bitmap32.h"
#include "framework/core/Types.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

enum class TFadeDirection { fdNone, fdUp, fdDown };

// Button animation events; a set is a bit mask of (1 << event).
enum TacAnimatEvent { aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp, aeGlobalDef };
using TacAnimatEvents = uint32_t;
constexpr TacAnimatEvents AnimatEvent(TacAnimatEvent e) { return TacAnimatEvents(1) << e; }

// Event in Events, or, when Events defers to the manager, in its global set.
bool CanAnimate(TacAnimatEvent event, TacAnimatEvents events, TacAnimatEvents globalEvents);

// Weight of the old picture at a step: FadeLevel * 255 div Iterations, kept
// in 0..255; 255 when Iterations is not positive (the fade is over).
int FadeWeight(int fadeLevel, int iterations);

// One fade step over count pixels, every channel (alpha too):
// d = ((255 - b) * (old - new) + new * 256) >> 8
// dst may alias from or to.
void FadeBlendRow(uint32_t* dst, const uint32_t* from, const uint32_t* to, size_t count, int b);
// The same over two pictures; dst takes the size of the smaller overlap of
// both (pixels outside it are the new picture's). Empty inputs give an
// empty dst.
void FadeBlend(TBitmap32& dst, const TBitmap32& from, const TBitmap32& to, int b);

// The counting of one fade (TsFadeTimer's Iterations and FadeLevel).
struct TacFadeSteps {
  int Iterations = 0;
  int FadeLevel = 1;
  TFadeDirection Direction = TFadeDirection::fdNone;
  bool Exists = false;   // a timer object is there (a new fade reuses it)
  bool Running = false;  // the timer is enabled

  // Starts (or, with running == true, restarts) a fade of a section with
  // fadingIterations steps; clicked halves the steps. Returns false when the
  // section does not fade (nothing to prepare).
  bool Prepare(bool fadingEnabled, int fadingIterations, bool clicked, TFadeDirection direction);

  enum class TTick { tkNothing, tkFrame, tkFinished, tkDisabled };
  // One timer tick. tkFrame: blend with Weight() and then Advance();
  // tkFinished: send the end-of-fade command, the control paints its final
  // look; tkDisabled: repaint plainly. Both end the fade (Running false).
  // A fade held by the fade-stop flag is ended, not left waiting.
  TTick Tick(bool ownerAlive, bool ownerEnabled, bool fadeStop);
  int Weight() const { return FadeWeight(FadeLevel, Iterations); }
  void Advance() { ++FadeLevel; }
};

// Where a glow window goes and which part of its picture it shows.
struct TacGlowPlacement {
  int FullWidth = 0, FullHeight = 0;  // the picture the mask is drawn on
  TRect Source;                        // the part shown, in picture coordinates
  TPoint Pos;                          // window position, screen coordinates
  bool Empty() const { return Source.IsEmpty(); }
};

struct TacGlowMaskWidths {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// R: the control in screen coordinates; clip: its visible part in its own
// coordinates. A fully hidden control, or a glow that shrinks to nothing,
// gives an empty placement (no window).
TacGlowPlacement GlowPlacement(const TRect& r, const TRect& clip, const TacGlowMaskWidths& w, int margin);

// Whether a state change fades (else the control repaints at once). The
// glow follows in both cases.
struct TacFadeConditions {
  bool Skinned = false;
  bool Allowed = false;         // CanAnimate for the event
  bool SkinChanging = false;    // the manager loads a skin or changes its colours
  bool FadingEnabled = false;   // the section's
  bool FadeStop = false;        // the process-wide fade-stop flag
  bool HasCache = false;
  bool BGChanged = false;
};
bool StateChangeFades(const TacFadeConditions& c);

// What the link's glow does on a mouse enter (or a repeat).
enum class TacGlowAction { gaNone, gaHide, gaShow };
struct TacGlowConditions {
  bool EffectsAllowGlow = false;
  bool SectionValid = false;
  bool HotSuppressed = false;
  int GlowCount = 0;            // the section's
  bool MouseAbove = false;
  bool LeftButtonDown = false;  // held on the control
  bool Repeat = false;
  bool GlowExists = false;
  bool HasOwnerForm = false;
};
TacGlowAction LinkGlowAction(const TacGlowConditions& c);

// The process-wide glow table: an id is an index; a hidden glow's slot is
// taken again by the next one, so hours of hovering keep it small.
template <class T>
class TacGlowTable {
public:
  int Add(T* item) {
    for (size_t i = 0; i < FItems.size(); ++i)
      if (!FItems[i]) {
        FItems[i] = item;
        return int(i);
      }
    FItems.push_back(item);
    return int(FItems.size() - 1);
  }
  T* Get(int id) const { return id >= 0 && size_t(id) < FItems.size() ? FItems[size_t(id)] : nullptr; }
  // Takes the entry out (the caller frees it) and sets id to -1.
  T* Take(int& id) {
    T* item = Get(id);
    if (item) FItems[size_t(id)] = nullptr;
    id = -1;
    return item;
  }
  size_t Capacity() const { return FItems.size(); }
  std::vector<T*> TakeAll() { return std::exchange(FItems, {}); }

private:
  std::vector<T*> FItems;
};
