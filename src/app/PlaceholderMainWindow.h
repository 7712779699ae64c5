// Stand-in for the main window (COrvaneDlg) until it lands: the same small topmost window in the
// top-right corner with the header band, the title, the close and compact buttons and the eight
// feature buttons with their pictures and tooltips, but no session. It shows the loading box while
// "connecting" for two seconds first. main() passes RunPlaceholderMainWindow to COrvaneApp; the real
// main window replaces exactly that one call. GUI thread only.
#pragma once

namespace orvane {

// Chooses g_scaleFactor from the primary screen, runs the window modally and returns when it ends.
void RunPlaceholderMainWindow();

}  // namespace orvane
