// Ids of Velumo's texts in the host's language files (VelumoEng.lng, VelumoRus.lng): the n-th
// quoted line of a file is id n, so the ids are listed here in the files' order and numbered by
// the compiler from 0.
#pragma once

enum MessageId : int {
    kMsgOk,
    kMsgCancel,
    kMsgUnused,
    kMsgPluginMenuEntry,
    kMsgDisksMenuEntry,
    kMsgToggleKeyLabel,
    kMsgPanelTitle,
    kMsgNameColumn,
    kMsgStatusColumn,
    kMsgHandleColumn,
    kMsgConfigTitle,
    kMsgAddToDisksMenu,
    kMsgDisksMenuDigit,
    kMsgShowDesktopIcon,
    kMsgShowOwnerWindow,
    kMsgShowInvisibleWindow,
    kMsgShowAllWindowAtExit,
    kMsgWindowsLeftVisible, // the count goes in place of its first '#'
    kMsgProgramColumn,
    kMsgProcessIdColumn,
    kMessageCount // how many texts each language file holds: ids 0 to kMessageCount - 1
};
