// Ids of Velumo's texts in the host's language files (VelumoEng.lng, VelumoRus.lng): the n-th
// quoted line of a file is id n.
#pragma once

enum MessageId : int {
    kMsgOk = 0,
    kMsgCancel = 1,
    kMsgUnused = 2,
    kMsgPluginMenuEntry = 3,
    kMsgDisksMenuEntry = 4,
    kMsgToggleKeyLabel = 5,
    kMsgPanelTitle = 6,
    kMsgNameColumn = 7,
    kMsgStatusColumn = 8,
    kMsgHandleColumn = 9,
    kMsgConfigTitle = 10,
    kMsgAddToDisksMenu = 11,
    kMsgDisksMenuDigit = 12,
    kMsgShowDesktopIcon = 13,
    kMsgShowOwnerWindow = 14,
    kMsgShowInvisibleWindow = 15,
    kMsgShowAllWindowAtExit = 16,
    kMsgWindowsLeftVisible = 17, // the count goes in place of its first '#'
    kMessageCount // how many texts each language file holds: ids 0 to kMessageCount - 1
};
