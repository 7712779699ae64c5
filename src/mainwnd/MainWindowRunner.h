// What the start-up runs as its main window: COrvaneDlg, modally, with the session plugged in.
#pragma once

namespace orvane {

void RunOrvaneMainWindow();

}  // namespace orvane
