#pragma once
// The skins that ship beside the program ("Default", "Classic") are offered in every root:
// each one the root's Skins folder lacks is copied there at start-up. A skin folder the
// root has already (the user's own, or one edited and exported over) is never touched.
#include <string>
#include <vector>

namespace tunecrest {

// Copies every skin folder of `shippedSkins` (a subfolder with a "skin.usk") that
// `rootSkins` has no folder of that name for. A skin is copied whole into a hidden
// folder first and then renamed, so a failed copy leaves no half skin behind. Answers
// the names copied; failures are logged and the other skins still copied. Nothing
// happens when both name the same folder.
std::vector<std::string> CopyShippedSkins(const std::string& shippedSkins, const std::string& rootSkins);

}  // namespace tunecrest
