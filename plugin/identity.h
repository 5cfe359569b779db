#pragma once
// Varnock's identity: what the host and the user see of the maker and the
// product. The factory, the class registration, the plug-in configuration
// and the editor's web link read it from here.
#include <cstdint>

#include "framework/plugin_base.h"

namespace varnock {

inline constexpr const char* kPluginName = "Varnock";
inline constexpr const char* kMakerName = "Pellwick";
inline constexpr const char* kMakerWebAddress = "https://pellwick.audio";
inline constexpr const char* kMakerWebHost = "pellwick.audio";             // shown by the editor's link
inline constexpr const char* kMakerWebLinkHelp = "Open pellwick.audio in your browser";
inline constexpr const char* kMakerEmail = "support@pellwick.audio";

inline constexpr int kVendorVersion = 0x00010900;      // 0xMMMMmmrr: 1.9.0
inline constexpr const char* kVersionText = "1.9.0";
inline constexpr int kUniqueId = iplug::MakeFourCC('V', 'r', 'n', 'k');
inline constexpr int kMakerId = iplug::MakeFourCC('P', 'l', 'w', 'k');

// The VST3 class ID as four 32-bit words: two fixed words, the maker ID and
// the plug-in ID.
inline constexpr uint32_t kClassIdWords[4] = {0xF2AEE70Du, 0x00DE4F4Eu, static_cast<uint32_t>(kMakerId),
                                              static_cast<uint32_t>(kUniqueId)};

inline constexpr const char* kClassCategory = "Audio Module Class";
inline constexpr const char* kSubCategories = "Fx|Dynamics";
inline constexpr uint32_t kClassFlags = 2;              // simple mode supported
inline constexpr const char* kSdkVersionText = "VST 3.8.1";

} // namespace varnock
