// What both front ends tell the host alike about their open panel. FAR 1.x's OpenPluginInfo and
// FAR 3's OpenPanelInfo name these fields the same and take the same values in them, in each
// host's own character type; the records' other fields differ and stay with each front end.
#pragma once

#include "../core/panel_description.h"

// A panel with no host file, no info lines and no description files, labelled `directory`, with
// its title, its view modes (starting at kStartViewMode) and its key bar.
template <typename Record, typename Char, typename Mode, typename KeyBar>
void FillSharedPanelFields(Record* info, const Char* directory, const Char* format,
                           const Char* title, const Mode (&modes)[kViewModeCount],
                           const KeyBar* keyBar) {
    info->HostFile = nullptr;
    info->CurDir = directory;
    info->Format = format;
    info->PanelTitle = title;
    info->InfoLines = nullptr;
    info->InfoLinesNumber = 0;
    info->DescrFiles = nullptr;
    info->DescrFilesNumber = 0;
    info->PanelModesArray = modes;
    info->PanelModesNumber = kViewModeCount;
    info->StartPanelMode = '0' + kStartViewMode; // the mode's digit character
    info->KeyBar = keyBar;
}
