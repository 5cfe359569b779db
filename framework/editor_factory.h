#pragma once
// The editor factory: the plug-in's UI library defines InstallEditor(), the
// plug-in's constructor calls it. The framework only declares it, so the
// plug-in's own code compiles without any of its editor's headers; the module
// that links the UI library gets the editor.
namespace iplug {

class IPlugAPIBase;

// Installs the editor delegate's graphics-creation and layout hooks
// (mMakeGraphicsFunc, mLayoutFunc) on `plugin`; does nothing for a plug-in
// the UI library does not know. UI thread, inside the plug-in's constructor.
void InstallEditor(IPlugAPIBase& plugin);

} // namespace iplug
