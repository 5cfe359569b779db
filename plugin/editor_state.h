#pragma once
// EditorState: what the editor keeps for longer than its window is open —
// the four curve toggles of the analyser and the mark that the current preset
// has been edited since it was loaded. The plug-in object owns it so that it
// survives closing and reopening the editor; it is never persisted, and the
// engine never reads it.
//
// Thread: the host's UI thread only (editor, preset application).
namespace varnock {

struct EditorState {
  bool showInput = true;         // legend "Input": draw the input spectrum
  bool showThreshold = true;     // legend "Threshold": draw the threshold curve
  bool showOutput = true;        // legend "Output": draw the output spectrum
  bool showGain = true;          // legend "Gain": draw the gain curve
  bool presetModified = false;   // the preset bar shows " *" after the name
};

} // namespace varnock
