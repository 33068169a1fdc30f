// DialogInit, DialogRun, DialogFree, SendDlgMessage and DefDlgProc, with scripted answers.
#include "host_state.h"

namespace far3host {
namespace {

DialogItemCopy CopyItem(const far3::FarDialogItem& item) {
    DialogItemCopy copy{item, CopyText(item.Data)};
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
    std::vector<DialogCall>& calls = Host().records.dialogCalls;
    return dialog.callIndex < calls.size() ? &calls[dialog.callIndex] : nullptr;
}

bool IsEdit(far3::FARDIALOGITEMTYPES type) {
    return type == far3::DI_EDIT || type == far3::DI_PSWEDIT || type == far3::DI_FIXEDIT ||
           type == far3::DI_COMBOBOX;
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
        }
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
        LiveDialog dialog{host.records.dialogCalls.size(), {}, dialogProc, param};
        for (const DialogItemCopy& copy : call.items) {
            dialog.items.push_back(copy.item);
        }
        host.dialogs[call.handle] = dialog;
    }
    host.records.dialogCalls.push_back(call);
    return host.records.dialogCalls.back().handle;
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

intptr_t WINAPI HostSendDlgMessage(HANDLE handle, intptr_t message, intptr_t param1, void*) {
    LiveDialog* dialog = FindDialog(handle);
    if (dialog == nullptr) {
        return 0;
    }
    switch (message) {
    case far3::DM_GETCHECK: {
        if (!ValidItem(*dialog, param1)) {
            return 0;
        }
        const far3::FarDialogItem& item = dialog->items[static_cast<size_t>(param1)];
        return item.Type == far3::DI_CHECKBOX || item.Type == far3::DI_RADIOBUTTON ? item.Selected
                                                                                   : 0;
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
    return Host().records.dialogCalls;
}

size_t OpenDialogs() {
    return Host().dialogs.size();
}

} // namespace far3host
