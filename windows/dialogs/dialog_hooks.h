#pragma once
// Gives core the windows it opens through hooks of its own: the tag-reader plug-in list
// of the tagger loader and the column window of the media-library report.
namespace tunecrest {

void InstallDialogHooks();

}  // namespace tunecrest
