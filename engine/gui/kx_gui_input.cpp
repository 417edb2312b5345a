// Pointer and keyboard input on the GUI items (see kx_gui.h).
#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"

namespace {

bool valid(int item) { return item >= 0 && item < kx_gui.count; }

void call(int item, int slot) {
    if (valid(item) && kx_gui.items[item].handlers[slot]) kx_gui.items[item].handlers[slot](item);
}

void rebuild(int item) { call(item, KX_GUI_ON_BUILD); }

// Slider value from the stored pointer: (px - x - h/2) / (w - h), clamped to 0..1; a
// slider no wider than it is high gives 0.
void slider_follow(int item) {
    kx_gui_item_t* it = &kx_gui.items[item];
    const int span = it->w - it->h;
    float value = 0.0f;
    if (span > 0) {
        value = (static_cast<float>(kx_gui.pointer_x - it->x) - static_cast<float>(it->h) * 0.5f) /
                static_cast<float>(span);
        value = value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
    }
    kx_gui_set_param(it, 0, value);
}

}  // namespace

void kx_gui_set_pointer(int x, int y) {
    kx_gui.pointer_x = x;
    kx_gui.pointer_y = y;
}

void kx_gui_set_hover(int item) {
    if (!valid(item)) return;
    const int old = kx_gui.hover;
    kx_gui.hover = item;
    if (old != item) rebuild(old);
    rebuild(item);
}

int kx_gui_pointer_down() {
    kx_gui.keyboard_mode = 0;
    if (kx_gui.count <= 0) return 0;
    kx_gui_set_hover(kx_gui_hit_test(kx_gui.pointer_x, kx_gui.pointer_y));
    const int item = kx_gui.hover;
    if (item != 0 && kx_gui.items[item].type == KX_GUI_SLIDER) {
        kxAppMarkDragging();
        call(item, KX_GUI_ON_GRAB);
        if (valid(item)) {
            slider_follow(item);
            rebuild(item);
            call(item, KX_GUI_ON_VALUE);
        }
    }
    kx_gui.pressed = kx_gui.hover;
    if (kx_gui.pressed == 0 || !valid(kx_gui.pressed)) return 0;
    kx_gui.items[kx_gui.pressed].flags |= KX_GUI_PRESSED;
    call(kx_gui.pressed, KX_GUI_ON_PRESS);
    return 1;
}

int kx_gui_pointer_up() {
    if (kx_gui.count <= 0) return 0;
    kx_gui_set_hover(0);
    const int item = kx_gui.pressed;
    if (item == 0 || !valid(item)) return 0;
    kx_gui.items[item].flags &= ~uint32_t{KX_GUI_PRESSED};
    call(item, KX_GUI_ON_RELEASE);
    return 1;
}

void kx_gui_activate() {
    const int item = kx_gui.hover;
    if (item == 0 || !valid(item)) return;
    kx_gui_item_t* it = &kx_gui.items[item];
    const int type = it->type;
    const bool checked = (it->flags & KX_GUI_CHECKED) != 0;
    const bool clicks = type == KX_GUI_CHECKBOX || type == KX_GUI_IMAGE_TOGGLE ||
                        (!checked && (type == KX_GUI_BUTTON || type == KX_GUI_CHOICE || type == KX_GUI_RADIO ||
                                      type == KX_GUI_IMAGE_BUTTON));
    if (kx_gui.click_on && kx_gui.click_sound && clicks) kx_sound_play(kx_gui.click_sound);
    if (type == KX_GUI_CHECKBOX || type == KX_GUI_IMAGE_TOGGLE) {
        it->flags ^= KX_GUI_CHECKED;
    } else if (type == KX_GUI_CHOICE) {
        const int max = it->value_max < 1 ? 1 : it->value_max;
        int value = static_cast<int>((static_cast<long>(it->value) + 1) % max);
        it->value = value < 0 ? value + max : value;
    } else if (type == KX_GUI_RADIO && !checked) {
        for (int j = 0; j < kx_gui.count; j++) {
            kx_gui_item_t* other = &kx_gui.items[j];
            if (other->type == KX_GUI_RADIO && other->value == it->value) {
                other->flags &= ~uint32_t{KX_GUI_CHECKED};
                rebuild(j);
            }
        }
        it->flags |= KX_GUI_CHECKED;
    }
    call(item, KX_GUI_ON_ACTIVATE);
    rebuild(item);  // ignored when the handler left fewer items
}

void kx_gui_drag_start() { kx_gui_set_hover(0); }

void kx_gui_drag_end() { call(kx_gui.hover, KX_GUI_ON_DROP); }

int kx_gui_drag_move() {
    const int item = kx_gui.hover;
    if (!valid(item)) return 0;
    int sliding = 0;
    if (kx_gui.items[item].type == KX_GUI_SLIDER) {
        slider_follow(item);
        sliding = 1;
    }
    rebuild(item);
    call(item, KX_GUI_ON_VALUE);
    return sliding;
}

int kx_gui_key(int key, int screen_item) {
    int link;
    if (key == KX_KEY_DOWN) {
        link = KX_GUI_NAV_DOWN;
    } else if (key == KX_KEY_UP) {
        link = KX_GUI_NAV_UP;
    } else if (key == KX_KEY_RIGHT) {
        link = KX_GUI_NAV_RIGHT;
    } else if (key == KX_KEY_LEFT) {
        link = KX_GUI_NAV_LEFT;
    } else if (key == KX_KEY_RETURN) {
        kx_gui.keyboard_mode = 1;
        kx_gui_activate();
        return 1;
    } else {
        return 0;
    }
    kx_gui.keyboard_mode = 1;
    const int from = kx_gui.hover != 0 ? kx_gui.hover : screen_item;
    if (!valid(from)) return 1;
    const long target = static_cast<long>(from) + kx_gui.items[from].nav[kx_gui.hover != 0 ? link : KX_GUI_NAV_DOWN];
    if (target > 0 && target < kx_gui.count) kx_gui_set_hover(static_cast<int>(target));
    return 1;
}

void kx_gui_set_keyboard_mode(int on) { kx_gui.keyboard_mode = on ? 1 : 0; }
