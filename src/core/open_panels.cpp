#include "open_panels.h"

#include "hidden_window_record.h"
#include "settings.h"
#include "visibility_actions.h"

int g_openPanelCount;

void NotePanelOpened() {
    ++g_openPanelCount;
    // A Velumo side by side may have ended since this one started: its windows are listed too.
    AdoptOrphanedWindows();
}

bool NotePanelClosed() {
    --g_openPanelCount;
    // Another panel still lists the hidden windows: they stay hidden until it closes too.
    if (g_openPanelCount > 0) {
        return false;
    }
    if (g_settings.ShowAllWindowAtExit) {
        RestoreAllWindows();
    }
    return true;
}
