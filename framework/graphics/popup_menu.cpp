#include "framework/graphics/popup_menu.h"

namespace iplug::igraphics {

IPopupMenu::Item* IPopupMenu::AddItem(const char* text, int flags, int tag) {
  mItems.push_back(std::make_unique<Item>(text, flags, tag));
  return mItems.back().get();
}

IPopupMenu::Item* IPopupMenu::AddSeparator() { return AddItem("", Item::kSeparator, -1); }

void IPopupMenu::Clear() {
  mItems.clear();
  mChosenIdx = -1;
}

IPopupMenu::Item* IPopupMenu::GetItem(int index) {
  return index >= 0 && index < NItems() ? mItems[static_cast<std::size_t>(index)].get() : nullptr;
}

const IPopupMenu::Item* IPopupMenu::GetItem(int index) const {
  return index >= 0 && index < NItems() ? mItems[static_cast<std::size_t>(index)].get() : nullptr;
}

} // namespace iplug::igraphics
