// DialogInit, DialogRun, DialogFree, SendDlgMessage and DefDlgProc, with scripted answers.
#include "host_state.h"

#include <algorithm>

namespace far3host {
namespace {

DialogItemCopy CopyItem(const far3::FarDialogItem& item) {
    DialogItemCopy copy{item, CopyText(item.Data), CopyText(item.History), CopyText(item.Mask)};
    copy.item.Data = nullptr;
    copy.item.History = nullptr;
    copy.item.Mask = nullptr;
    return copy;
}

LiveDialog* FindDialog(HANDLE dialog) {
    auto found = Host().dialogs.find(dialog);
    if (found == Host().dialogs.end()) {
        NoteAnomaly(Anomaly::UnknownDialogHandle);
        return nullptr;
    }
    return &found->second;
}

// The dialog's record, or null once ClearRecords dropped it.
DialogCall* CallOf(const LiveDialog& dialog) {
    std::vector<DialogCall>& calls = Host().dialogCalls;
    return dialog.callIndex < calls.size() ? &calls[dialog.callIndex] : nullptr;
}

bool IsEdit(far3::FARDIALOGITEMTYPES type) {
    return type == far3::DI_EDIT || type == far3::DI_PSWEDIT || type == far3::DI_FIXEDIT ||
           type == far3::DI_COMBOBOX;
}

bool IsDigit(WCHAR c) {
    return c >= '0' && c <= '9';
}

// Whether FAR's masked edit accepts `c` at a position whose mask character is `mask`; false
// also for a literal mask character, which FAR fills in itself.
bool MaskAccepts(WCHAR mask, WCHAR c) {
    switch (mask) {
    case '9':
        return IsDigit(c);
    case 'N':
        return IsDigit(c) || c == ' ';
    case '#':
        return IsDigit(c) || c == ' ' || c == '-';
    case 'A':
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0xC0;
    case 'H':
        return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    case 'X':
        return true;
    default:
        return false;
    }
}

bool IsMaskTemplate(WCHAR mask) {
    return mask == '9' || mask == 'N' || mask == '#' || mask == 'A' || mask == 'H' || mask == 'X';
}

// What an edit item holds after the user typed `typed` in place of its text: no more than
// MaxLength characters, a fixed edit no wider than its field, and with a mask only what each
// position accepts (literal positions filled with the mask's character).
Text TypeInto(const far3::FarDialogItem& item, const Text& mask, const Text& typed) {
    size_t limit = item.MaxLength;
    if (item.Type == far3::DI_FIXEDIT && item.X2 >= item.X1) {
        size_t width = static_cast<size_t>(item.X2 - item.X1 + 1);
        limit = limit == 0 ? width : std::min(limit, width);
    }
    bool masked = (item.Flags & far3::DIF_MASKEDIT) != 0 &&
                  mask.find_first_not_of(FAR3_TEXT(" ")) != Text::npos;
    if (masked) {
        limit = limit == 0 ? mask.size() : std::min(limit, mask.size());
    }
    Text result;
    for (WCHAR c : typed) {
        while (masked && result.size() < limit && !IsMaskTemplate(mask[result.size()])) {
            result.push_back(mask[result.size()]);
        }
        if (limit != 0 && result.size() >= limit) {
            break;
        }
        if (!masked || MaskAccepts(mask[result.size()], c)) {
            result.push_back(c);
        }
    }
    return result;
}

void ApplyEdits(LiveDialog& dialog, const DialogAnswer& answer) {
    for (const auto& check : answer.checks) {
        if (check.first >= dialog.items.size()) {
            NoteAnomaly(Anomaly::BadItemIndex, static_cast<intptr_t>(check.first));
            continue;
        }
        dialog.items[check.first].Selected = check.second;
    }
    for (const auto& text : answer.texts) {
        if (text.first >= dialog.items.size() || !IsEdit(dialog.items[text.first].Type)) {
            NoteAnomaly(Anomaly::BadItemIndex, static_cast<intptr_t>(text.first));
            continue;
        }
        dialog.texts[text.first] =
            TypeInto(dialog.items[text.first], dialog.masks[text.first], text.second);
    }
}

// The exit code of the answer: the button pressed, or for Enter on a non-button item the
// DIF_DEFAULTBUTTON item (that item itself when there is none).
intptr_t ExitCode(const LiveDialog& dialog, const DialogAnswer& answer) {
    if (answer.enterOnItem < 0) {
        return answer.result;
    }
    size_t entered = static_cast<size_t>(answer.enterOnItem);
    if (entered >= dialog.items.size()) {
        NoteAnomaly(Anomaly::BadItemIndex, answer.enterOnItem);
        return -1;
    }
    if (dialog.items[entered].Type == far3::DI_BUTTON) {
        return answer.enterOnItem;
    }
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        if ((dialog.items[i].Flags & far3::DIF_DEFAULTBUTTON) != 0) {
            return static_cast<intptr_t>(i);
        }
    }
    return answer.enterOnItem;
}

bool ValidItem(const LiveDialog& dialog, intptr_t index) {
    if (index >= 0 && static_cast<size_t>(index) < dialog.items.size()) {
        return true;
    }
    NoteAnomaly(Anomaly::BadItemIndex, index);
    return false;
}

} // namespace

HANDLE WINAPI HostDialogInit(const GUID* pluginId, const GUID* id, intptr_t x1, intptr_t y1,
                             intptr_t x2, intptr_t y2, const WCHAR* helpTopic,
                             const far3::FarDialogItem* items, size_t itemsNumber, intptr_t,
                             far3::FARDIALOGFLAGS flags, far3::DialogProcFn dialogProc,
                             void* param) {
    HostState& host = Host();
    DialogCall call;
    call.pluginId = pluginId != nullptr ? *pluginId : GUID{};
    call.dialogId = id != nullptr ? *id : GUID{};
    call.x1 = x1;
    call.y1 = y1;
    call.x2 = x2;
    call.y2 = y2;
    call.helpTopic = CopyText(helpTopic);
    call.flags = flags;
    call.hasDialogProc = dialogProc != nullptr;
    if (items != nullptr) {
        for (size_t i = 0; i < itemsNumber; ++i) {
            call.items.push_back(CopyItem(items[i]));
        }
    }
    call.handle = INVALID_HANDLE_VALUE;
    bool accepted = IsPluginGuid(pluginId) && id != nullptr && items != nullptr &&
                    itemsNumber > 0 && !host.failDialogInit;
    if (accepted) {
        call.handle = reinterpret_cast<HANDLE>(0xD1A10000u + ++host.dialogsMade);
        LiveDialog dialog{host.dialogCalls.size(), {}, {}, {}, dialogProc, param};
        for (const DialogItemCopy& copy : call.items) {
            dialog.items.push_back(copy.item);
            dialog.texts.push_back(copy.data);
            dialog.masks.push_back(copy.mask);
        }
        host.dialogs[call.handle] = dialog;
    }
    host.dialogCalls.push_back(call);
    return host.dialogCalls.back().handle;
}

intptr_t WINAPI HostDialogRun(HANDLE handle) {
    HostState& host = Host();
    LiveDialog* dialog = FindDialog(handle);
    if (dialog == nullptr) {
        return -1;
    }
    if (dialog->proc != nullptr) {
        dialog->proc(handle, far3::DN_INITDIALOG, 0, dialog->param);
    }
    intptr_t result = -1;
    for (;;) {
        DialogAnswer answer; // none queued: Esc
        bool answered = !host.dialogAnswers.empty();
        if (answered) {
            answer = host.dialogAnswers.front();
            host.dialogAnswers.pop_front();
        }
        dialog = FindDialog(handle); // the dialog procedure may have touched the map
        if (dialog == nullptr) {
            return -1;
        }
        ApplyEdits(*dialog, answer);
        result = ExitCode(*dialog, answer);
        if (dialog->proc == nullptr || dialog->proc(handle, far3::DN_CLOSE, result, nullptr)) {
            break;
        }
        if (!answered || host.dialogAnswers.empty()) {
            NoteAnomaly(Anomaly::DialogCloseRefused, result);
            break;
        }
    }
    dialog = FindDialog(handle);
    DialogCall* call = dialog != nullptr ? CallOf(*dialog) : nullptr;
    if (call != nullptr) {
        call->ran = true;
        call->result = result;
        call->itemsAfterRun.clear();
        for (size_t i = 0; i < dialog->items.size(); ++i) {
            DialogItemCopy copy = call->items[i];
            copy.item.Selected = dialog->items[i].Selected;
            copy.data = dialog->texts[i];
            call->itemsAfterRun.push_back(copy);
        }
    }
    return result;
}

void WINAPI HostDialogFree(HANDLE handle) {
    LiveDialog* dialog = FindDialog(handle);
    if (dialog == nullptr) {
        return;
    }
    DialogCall* call = CallOf(*dialog);
    if (call != nullptr) {
        call->freed = true;
    }
    Host().dialogs.erase(handle);
}

intptr_t WINAPI HostSendDlgMessage(HANDLE handle, intptr_t message, intptr_t param1, void* param2) {
    LiveDialog* dialog = FindDialog(handle);
    if (dialog == nullptr) {
        return 0;
    }
    switch (message) {
    case far3::DM_GETCHECK:
        if (!ValidItem(*dialog, param1)) {
            return 0;
        }
        return dialog->items[static_cast<size_t>(param1)].Type == far3::DI_CHECKBOX ||
                       dialog->items[static_cast<size_t>(param1)].Type == far3::DI_RADIOBUTTON
                   ? dialog->items[static_cast<size_t>(param1)].Selected
                   : 0;
    case far3::DM_GETCONSTTEXTPTR:
        if (!ValidItem(*dialog, param1)) {
            return 0;
        }
        return reinterpret_cast<intptr_t>(dialog->texts[static_cast<size_t>(param1)].c_str());
    case far3::DM_GETTEXT: {
        if (!ValidItem(*dialog, param1)) {
            return 0;
        }
        const Text& text = dialog->texts[static_cast<size_t>(param1)];
        if (param2 == nullptr) {
            return static_cast<intptr_t>(text.size());
        }
        auto* data = static_cast<far3::FarDialogItemData*>(param2);
        if (!StructSizeFits(data, sizeof(far3::FarDialogItemData))) {
            return 0;
        }
        if (data->PtrLength == 0) {
            data->PtrLength = text.size(); // the length asked for; nothing copied
            return static_cast<intptr_t>(text.size());
        }
        // The buffer holds PtrLength characters and the terminator.
        size_t length = std::min(text.size(), data->PtrLength);
        if (data->PtrData != nullptr) {
            text.copy(data->PtrData, length);
            data->PtrData[length] = 0;
        }
        return static_cast<intptr_t>(length);
    }
    default:
        NoteAnomaly(Anomaly::UnsupportedCommand, message);
        return 0;
    }
}

intptr_t WINAPI HostDefDlgProc(HANDLE, intptr_t message, intptr_t, void*) {
    return message == far3::DN_CLOSE ? TRUE : FALSE; // FAR's default lets the dialog close
}

void QueueDialogAnswer(const DialogAnswer& answer) {
    Host().dialogAnswers.push_back(answer);
}

void FailDialogInit(bool fail) {
    Host().failDialogInit = fail;
}

const std::vector<DialogCall>& DialogCalls() {
    return Host().dialogCalls;
}

size_t OpenDialogs() {
    return Host().dialogs.size();
}

} // namespace far3host
