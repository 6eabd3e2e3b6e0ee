// Forms: Tab order, the first control to focus, and the dialog keys.
#include <windows.h>

#include <algorithm>

#include "platform/stdControls.h"
#include "platform/toolkit.h"
#include "platform/win/gdiHandles.h"
#include "platform/win/formInternal.h"
#include "platform/win/winInternal.h"

namespace tk {

namespace {

// Controls that take part in Tab navigation, in tab order.
std::vector<TWinControl*> TabSequence(const std::vector<TWinControl*>& controls) {
    std::vector<TWinControl*> sequence;
    for (TWinControl* control : controls) {
        if (control->TabStop() && control->Enabled() && IsWindowVisible(control->Handle())) sequence.push_back(control);
    }
    std::stable_sort(sequence.begin(), sequence.end(), [](TWinControl* a, TWinControl* b) {
        if (a->ContainerTabOrder != b->ContainerTabOrder) {
            // A control outside any container sorts by its own tab order
            // against the containers' tab orders.
            int32_t ka = a->ContainerTabOrder >= 0 ? a->ContainerTabOrder : a->TabOrder();
            int32_t kb = b->ContainerTabOrder >= 0 ? b->ContainerTabOrder : b->TabOrder();
            if (ka != kb) return ka < kb;
            return a->ContainerTabOrder >= 0 && b->ContainerTabOrder < 0;
        }
        return a->TabOrder() < b->TabOrder();
    });
    return sequence;
}

// Shift, Ctrl or Alt held: Enter then presses no button.
bool ModifierDown() {
    return (GetKeyState(VK_SHIFT) & 0x8000) != 0 || (GetKeyState(VK_CONTROL) & 0x8000) != 0 ||
           (GetKeyState(VK_MENU) & 0x8000) != 0;
}

}  // namespace

TWinControl* ControlOf(const std::vector<TWinControl*>& controls, HWND window) {
    for (TWinControl* control : controls) {
        if (control->Handle() == window || IsChild(control->Handle(), window)) return control;
    }
    return nullptr;
}

void TForm::SelectNext(TWinControl* current, bool forward) {
    std::vector<TWinControl*> sequence = TabSequence(winControls_);
    if (sequence.empty()) return;
    const auto found = std::find(sequence.begin(), sequence.end(), current);
    const int32_t at = found == sequence.end() ? -1 : static_cast<int32_t>(found - sequence.begin());
    const int32_t next = NextInTabOrder(at, static_cast<int32_t>(sequence.size()), forward);
    if (next >= 0) sequence[static_cast<size_t>(next)]->SetFocus();
}

void TForm::FocusFirst() {
    std::vector<TWinControl*> sequence = TabSequence(winControls_);
    if (!sequence.empty()) sequence.front()->SetFocus();
}

bool TForm::DialogKey(const TMessage& msg) {
    if (winControls_.empty()) return false;
    TWinControl* focused = ControlOf(winControls_, GetFocus());
    const bool onButton = dynamic_cast<TButton*>(focused) != nullptr;
    const bool onCheckBox = dynamic_cast<TCheckBox*>(focused) != nullptr;
    if (msg.Message == WM_KEYDOWN) {
        const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
        switch (msg.WParam) {
            case VK_TAB:
                if ((GetKeyState(VK_CONTROL) & 0x8000) != 0) return false;
                SelectNext(focused, !shift);
                return true;
            case VK_LEFT:
            case VK_UP:
            case VK_RIGHT:
            case VK_DOWN:
                if (focused != nullptr && focused->WantsArrows()) return false;
                if (!onButton && !onCheckBox) return false;
                SelectNext(focused, msg.WParam == VK_RIGHT || msg.WParam == VK_DOWN);
                return true;
            default: return false;
        }
    }
    if (msg.Message == WM_CHAR && msg.WParam == VK_RETURN && onButton && !ModifierDown()) {
        // Enter presses the focused button; its key-press handler sees it first.
        char key = static_cast<char>(msg.WParam);
        if (focused->OnKeyPress) focused->OnKeyPress(focused, key);
        if (key != 0) static_cast<TButton*>(focused)->Click();
        return true;
    }
    const bool alt = msg.Message == WM_SYSCHAR;
    if (alt || (msg.Message == WM_CHAR && (onButton || onCheckBox || focused == nullptr))) {
        const std::vector<TWinControl*> sequence = TabSequence(winControls_);
        std::vector<char> accelerators;
        for (TWinControl* control : sequence) {
            if (auto* button = dynamic_cast<TButton*>(control)) {
                accelerators.push_back(button->Accelerator());
            } else if (auto* box = dynamic_cast<TCheckBox*>(control)) {
                accelerators.push_back(box->Accelerator());
            } else {
                accelerators.push_back(0);
            }
        }
        const int32_t target = AcceleratorTarget(accelerators, static_cast<char>(msg.WParam));
        if (target >= 0) {
            TWinControl* control = sequence[static_cast<size_t>(target)];
            if (auto* button = dynamic_cast<TButton*>(control)) {
                if (!alt && focused != nullptr && focused->OnKeyPress) {
                    char key = static_cast<char>(msg.WParam);
                    focused->OnKeyPress(focused, key);
                    if (key == 0) return true;
                }
                button->SetFocus();
                button->Click();
                return true;
            }
            if (auto* box = dynamic_cast<TCheckBox*>(control)) {
                box->SetFocus();
                box->SetChecked(!box->Checked());
                return true;
            }
        }
    }
    return false;
}

}  // namespace tk
