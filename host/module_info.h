#pragma once
// The VST3 module information file (Contents/Resources/moduleinfo.json) of a
// loaded module: what hosts read to learn a bundle's classes without loading
// it. Written from the module's own factory, so it cannot disagree with it.
#include <functional>
#include <string>
#include <vector>

#include "host/module.h"

namespace vst3host {

// An editor picture for a host's plug-in browser, relative to Resources/.
struct Snapshot {
  double scaleFactor = 1.0;
  std::string path;                  // e.g. "Snapshots/<CID>_snapshot.png"
};

// The class ID as moduleinfo.json writes it: its four 32-bit words in hex,
// the same text on every platform whatever the byte order of the TUID.
std::string moduleInfoClassId(const ClassId& id);

// moduleinfo.json for `module` named `name` (the bundle's name without
// ".vst3"); `snapshots(cid)` lists the pictures of the class with that ID
// (cid as moduleInfoClassId gives it), none when it is empty.
std::string moduleInfoJson(Module& module, const std::string& name,
                           const std::function<std::vector<Snapshot>(const std::string& cid)>& snapshots = {});

// The pictures of class `cid` in a bundle's Resources/Snapshots folder:
// <cid>_snapshot.png (scale 1) and <cid>_snapshot_<factor>x.png.
std::vector<Snapshot> findSnapshots(const std::string& resourcesDir, const std::string& cid);

}  // namespace vst3host
