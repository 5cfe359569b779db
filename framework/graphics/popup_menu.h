#pragma once
// IPopupMenu: a list of entries with texts, tags, check marks and separators.
// A control fills one and asks IGraphics::CreatePopupMenu() to show it; the
// framework draws the menu over the editor, and when the user chooses an entry
// it calls the control's OnPopupMenuSelection(menu, index of the entry).
// Dismissing the menu without a choice calls OnPopupMenuSelection(nullptr, -1).
// UI thread only. Filling a menu allocates; do it only when a menu is shown.
#include <memory>
#include <string>
#include <vector>

namespace iplug::igraphics {

class IPopupMenu {
public:
  class Item {
  public:
    enum Flags { kNoFlags = 0, kDisabled = 1 << 0, kTitle = 1 << 1, kChecked = 1 << 2, kSeparator = 1 << 3 };
    Item(const char* text, int flags = kNoFlags, int tag = -1) : mText(text ? text : ""), mFlags(flags), mTag(tag) {}
    const char* GetText() const { return mText.c_str(); }
    int GetFlags() const { return mFlags; }
    int GetTag() const { return mTag; }
    bool GetEnabled() const { return (mFlags & kDisabled) == 0; }
    bool GetChecked() const { return (mFlags & kChecked) != 0; }
    bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }
    void SetChecked(bool on) { mFlags = on ? (mFlags | kChecked) : (mFlags & ~kChecked); }
    void SetTag(int tag) { mTag = tag; }
  private:
    std::string mText;
    int mFlags;
    int mTag;
  };

  IPopupMenu() = default;
  // Appends an entry and returns it (owned by the menu).
  Item* AddItem(const char* text, int flags = Item::kNoFlags, int tag = -1);
  Item* AddSeparator();                        // empty text, separator flag, tag -1
  void Clear();
  int NItems() const { return static_cast<int>(mItems.size()); }
  Item* GetItem(int index);                    // nullptr when out of range
  const Item* GetItem(int index) const;
  int GetChosenItemIdx() const { return mChosenIdx; }
  void SetChosenItemIdx(int index) { mChosenIdx = index; }

private:
  std::vector<std::unique_ptr<Item>> mItems;
  int mChosenIdx = -1;
};

} // namespace iplug::igraphics
