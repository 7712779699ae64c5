#include "mainwnd/MainWindowRunner.h"

#include "mainwnd/OrvaneDlg.h"

namespace orvane {

void RunOrvaneMainWindow() {
    COrvaneDlg window;
    window.DoModal();
}

}  // namespace orvane
