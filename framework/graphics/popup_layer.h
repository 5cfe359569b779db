#pragma once
// The popup menu layer of IGraphics: one open menu at a time, drawn over the
// controls in the editor's own pixels (X11 has no native menus). The menu
// opens below its anchor rectangle, above it when there is no room below,
// and is kept inside the window. While it is open it takes all input: a
// press on a selectable entry chooses it, a press outside or Escape closes
// it without a choice; separators, titles and disabled entries are not
// selectable. The layer only decides; IGraphics tells the caller.
// UI thread; internal to the graphics layer.
#include <vector>

#include "framework/graphics/popup_menu.h"
#include "framework/graphics/types.h"

struct NVGcontext;

namespace iplug::igraphics {

class IControl;

class PopupLayer {
public:
  // What a press or a dismissal did to the menu.
  struct Outcome {
    bool closed = false;                       // the menu closed: tell `caller`
    IControl* caller = nullptr;
    IPopupMenu* menu = nullptr;                // nullptr when nothing was chosen
    int index = -1;                            // the chosen entry, or -1
  };

  // Text size (em, pixels) and row heights of the menu at scale 1; Open()'s
  // scale multiplies them (rounded to whole pixels).
  static constexpr float kTextSize = 13.f;
  static constexpr float kItemHeight = 20.f;
  static constexpr float kSeparatorHeight = 9.f;
  static constexpr float kPadding = 4.f;       // above the first and below the last row
  static constexpr float kTextLeft = 22.f;     // room for the check mark
  static constexpr float kTextRight = 16.f;

  bool IsOpen() const { return mMenu != nullptr; }
  bool IsDirty() const { return IsOpen() && mDirty; }
  const IRECT& Bounds() const { return mRect; }
  float Scale() const { return mScale; }
  int Highlighted() const { return mHighlight; }

  // Lays the menu out for a window of windowW x windowH; `vg` and `font`
  // (a NanoVG font handle, its line height per em) measure the entry texts.
  // `scale` sizes text, rows, padding, check marks and separators (the
  // caller's own scale, so the menu matches it); 1 when not above 0.
  void Open(IControl& caller, IPopupMenu& menu, const IRECT& anchor, float windowW, float windowH,
            NVGcontext* vg, int font, float lineHeightPerEm, float scale = 1.f);
  // Closes without telling anyone (the graphics context goes away).
  void Reset();

  void Draw(NVGcontext* vg, int font, float lineHeightPerEm);
  Outcome OnMouseDown(float x, float y);
  // Moves the highlight; true when it changed.
  bool OnMouseMove(float x, float y);
  // The pointer left the window: no entry is highlighted.
  void OnMouseOut();
  // Escape: closes without a choice.
  Outcome Dismiss();
  // The entry under (x, y), or -1 (outside, or on the padding).
  int EntryAt(float x, float y) const;

private:
  bool IsSelectable(int index) const;
  Outcome Close(IPopupMenu* chosenMenu, int index);
  // A length of the scale-1 layout at this menu's scale, in whole pixels (at least 1).
  float Scaled(float length) const;

  IControl* mCaller = nullptr;
  IPopupMenu* mMenu = nullptr;
  IRECT mRect;
  std::vector<float> mRowTops;                 // top of each entry's row; one extra entry: bottom of the last
  int mHighlight = -1;
  float mScale = 1.f;
  bool mDirty = false;
};

} // namespace iplug::igraphics
