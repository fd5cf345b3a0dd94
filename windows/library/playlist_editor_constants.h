#pragma once
// What the files of the playlist editor share: the window's title (also the title of its
// messages) and the pitch of the buttons beside the collection.

namespace tunecrest {

constexpr const char* kTitle = "Playlist Editor";
// Buttons beside the collection sit one touch row apart.
constexpr int kButtonPitch = 53;

}  // namespace tunecrest
