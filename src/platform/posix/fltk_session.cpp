// [X] Windows of a fixed client size, centred on the screen, only a close box offered to the
//     window manager; the close box and Escape queue Close
// [X] Every control kind: labels (wrapping or not), frames, drop-down lists, check boxes,
//     single-line fields, push buttons, icon buttons and icons (BGRA with alpha), tooltips
// [X] Faces by name at a size in points for the display's DPI; "Courier New" is Liberation Mono
// [X] Keyboard: focus starts on the first control that takes it; Tab / Shift-Tab in table
//     order; Up / Down choose on a focused list without opening it; Space ticks; Return
//     presses a focused button; windows with reportKeys report their five keys instead
// [X] The wait runs Fl::wait with the time-out and FLTK watching the terminate socket
// [ ] Keyboard accelerators (Alt + letter) and a default button: the windows have none
// The session first: its header orders ours before FLTK's and Xlib's macros.
#include "platform/posix/fltk_session.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Tooltip.H>
#include <FL/x.H>

#include <algorithm>
#include <cctype>

namespace drape::platform::posix {

namespace {

// Windows' dialog font is 8 points: 11 pixels at 96 dots per inch.
constexpr int kDialogTextPixels = 11;
constexpr const char* kDialogFace = "Liberation Sans";
constexpr double kForever = 1e20;

// The sessions alive in this process; FLTK's event dispatch is one process-wide hook.
std::vector<FltkSession*> gSessions;

int dispatchEvent(int event, Fl_Window* window) {
    if (event == FL_KEYBOARD) {
        for (FltkSession* session : gSessions) {
            if (session->handleKey(window)) {
                return 1;
            }
        }
    }
    return Fl::handle_(event, window);
}

// FLTK draws "@..." as a symbol and, on buttons and menu entries, "&x" as an underlined
// shortcut; doubling them shows the text as it is. Lines end in LF alone for FLTK, CR LF in the
// program's texts.
std::string literalLabel(const std::string& text, bool shortcuts) {
    std::string out;
    for (const char c : text) {
        if (c == '\r') {
            continue;
        }
        if (c == '@' || (c == '&' && shortcuts)) {
            out += c;
        }
        out += c;
    }
    return out;
}

bool sameFace(const std::string& a, const char* b) {
    return std::equal(a.begin(), a.end(), b, b + std::char_traits<char>::length(b),
                      [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// Asks the window manager for a border, a title and a close box but no minimise or maximise
// box, as the settings window has on Windows (Motif hints, which most managers honour).
void offerOnlyCloseBox(Fl_Window& window) {
    struct MotifHints {
        unsigned long flags;
        unsigned long functions;
        unsigned long decorations;
        long inputMode;
        unsigned long status;
    };
    constexpr unsigned long kFunctions = 1, kDecorations = 2;
    constexpr unsigned long kMove = 4, kClose = 32;
    constexpr unsigned long kBorder = 2, kTitle = 8, kMenu = 16;
    MotifHints hints{kFunctions | kDecorations, kMove | kClose, kBorder | kTitle | kMenu, 0, 0};
    const Atom property = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, fl_xid(&window), property, property, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hints), 5);
}

void markReadable(int, void* flag) {
    *static_cast<bool*>(flag) = true;
}

bool drawsShortcuts(ControlKind kind) {
    return kind == ControlKind::CheckBox || kind == ControlKind::PushButton ||
           kind == ControlKind::IconButton;
}

bool takesFocus(const ControlSpec& spec) {
    switch (spec.kind) {
        case ControlKind::DropDownList:
        case ControlKind::CheckBox:
        case ControlKind::TextField:
        case ControlKind::PushButton:
        case ControlKind::IconButton:
            return true;
        default:
            return false;
    }
}

}  // namespace

FltkSession::FltkSession(int dpi) : dpi_(dpi) {
    fl_open_display();
    Fl::visual(FL_RGB);
    Fl::scheme("gtk+");
    Fl_Tooltip::size(kDialogTextPixels);
    if (gSessions.empty()) {
        Fl::event_dispatch(dispatchEvent);
    }
    gSessions.push_back(this);
}

FltkSession::~FltkSession() {
    while (!windows_.empty()) {
        closeWindow(windows_.begin()->first);
    }
    gSessions.erase(std::remove(gSessions.begin(), gSessions.end(), this), gSessions.end());
    if (gSessions.empty()) {
        Fl::event_dispatch(nullptr);
    }
}

Fl_Font FltkSession::faceNumber(const std::string& face) {
    // FLTK's font table is the process's and keeps the name's pointer, so the faces it was
    // given outlive every session: a later session that named the same slot again would make
    // FLTK compare against a freed name.
    static std::map<std::string, int> numbers;
    static std::deque<std::string> names;
    auto known = numbers.find(face);
    if (known == numbers.end()) {
        // The leading space asks Xft for the face's regular style.
        const int number = FL_FREE_FONT + static_cast<int>(numbers.size());
        known = numbers.emplace(face, number).first;
        names.push_back(" " + face);
        Fl::set_font(static_cast<Fl_Font>(number), names.back().c_str());
    }
    return static_cast<Fl_Font>(known->second);
}

void FltkSession::applyFont(Fl_Widget& widget, const ControlSpec& spec) {
    widget.labelsize(spec.fontPoints > 0 ? std::max(1, pointsToPixels(spec.fontPoints, dpi_))
                                         : kDialogTextPixels);
    // The viewer's fixed-pitch face and the dialog face have metric twins in
    // fonts-liberation; FLTK's own sans face is wider than a Windows dialog's and clips the
    // labels the window was laid out for.
    const std::string face = spec.fontFace.empty()                    ? kDialogFace
                             : sameFace(spec.fontFace, "Courier New") ? "Liberation Mono"
                                                                      : spec.fontFace;
    const Fl_Font font = faceNumber(face);
    widget.labelfont(font);
    if (auto* input = dynamic_cast<Fl_Input_*>(&widget)) {
        input->textfont(font);
    } else if (auto* menu = dynamic_cast<Fl_Menu_*>(&widget)) {
        menu->textfont(font);
    }
}

Fl_Widget* FltkSession::makeWidget(Control& control) {
    const ControlSpec& spec = control.spec;
    const ControlRect& r = spec.rect;
    control.label = literalLabel(spec.text, drawsShortcuts(spec.kind));
    Fl_Widget* widget = nullptr;
    switch (spec.kind) {
        case ControlKind::Label:
        case ControlKind::WrappingLabel: {
            auto* box = new Fl_Box(r.x, r.y, r.width, r.height);
            box->align(FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT | FL_ALIGN_CLIP |
                       (spec.kind == ControlKind::WrappingLabel ? FL_ALIGN_WRAP : 0));
            widget = box;
            break;
        }
        case ControlKind::GroupFrame:
            widget = new Fl_Box(FL_ENGRAVED_FRAME, r.x, r.y, r.width, r.height, nullptr);
            break;
        case ControlKind::DropDownList: {
            auto* list = new Fl_Choice(r.x, r.y, r.width, r.height);
            for (const std::string& item : spec.items) {
                control.itemLabels.push_back(literalLabel(item, true));
            }
            // Items by hand: Fl_Menu_::add would read '/' as a submenu and '_' as a divider.
            auto items = std::make_unique<Fl_Menu_Item[]>(control.itemLabels.size() + 1);
            for (size_t i = 0; i < control.itemLabels.size(); ++i) {
                items[i] = Fl_Menu_Item{};
                items[i].text = control.itemLabels[i].c_str();
                items[i].labelsize_ = kDialogTextPixels;
                items[i].labelfont_ = faceNumber(kDialogFace);
            }
            items[control.itemLabels.size()] = Fl_Menu_Item{};
            list->copy(items.get());  // FLTK copies the items, not the texts
            list->textsize(kDialogTextPixels);
            list->value(control.itemLabels.empty() ? -1 : 0);
            widget = list;
            break;
        }
        case ControlKind::CheckBox:
            widget = new Fl_Check_Button(r.x, r.y, r.width, r.height);
            break;
        case ControlKind::TextField: {
            auto* field = new Fl_Input(r.x, r.y, r.width, r.height);
            field->value(spec.text.c_str());
            field->textsize(kDialogTextPixels);
            field->when(FL_WHEN_CHANGED);
            control.label.clear();
            widget = field;
            break;
        }
        case ControlKind::PushButton:
            widget = new Fl_Button(r.x, r.y, r.width, r.height);
            break;
        case ControlKind::IconButton:
        case ControlKind::Icon: {
            Fl_Widget* holder =
                spec.kind == ControlKind::Icon
                    ? static_cast<Fl_Widget*>(new Fl_Box(r.x, r.y, r.width, r.height))
                    : new Fl_Button(r.x, r.y, r.width, r.height);
            const IconPixels& icon = spec.icon;
            const size_t count = static_cast<size_t>(std::max(0, icon.width)) *
                                 static_cast<size_t>(std::max(0, icon.height));
            if (count > 0 && icon.pixels.size() >= count * 4) {
                control.rgba.resize(count * 4);
                for (size_t i = 0; i < count; ++i) {
                    control.rgba[4 * i] = icon.pixels[4 * i + 2];
                    control.rgba[4 * i + 1] = icon.pixels[4 * i + 1];
                    control.rgba[4 * i + 2] = icon.pixels[4 * i];
                    control.rgba[4 * i + 3] = icon.pixels[4 * i + 3];
                }
                control.image =
                    std::make_unique<Fl_RGB_Image>(control.rgba.data(), icon.width, icon.height, 4);
                holder->image(control.image.get());
            }
            holder->align(FL_ALIGN_CENTER | FL_ALIGN_INSIDE);
            control.label.clear();
            widget = holder;
            break;
        }
    }
    applyFont(*widget, spec);
    if (!control.label.empty()) {
        widget->label(control.label.c_str());
    }
    if (!spec.tooltip.empty()) {
        widget->tooltip(control.spec.tooltip.c_str());
    }
    if (spec.id != 0 && takesFocus(spec)) {
        widget->callback(controlActed, &control);
    }
    return widget;
}

WindowId FltkSession::openWindow(const WindowSpec& spec, const std::vector<ControlSpec>& controls) {
    const WindowId id = nextWindow_++;
    int areaX = 0, areaY = 0, areaW = 0, areaH = 0;
    Fl::screen_work_area(areaX, areaY, areaW, areaH, 0);
    auto* window = new Fl_Double_Window(areaX + (areaW - spec.clientWidth) / 2,
                                        areaY + (areaH - spec.clientHeight) / 2, spec.clientWidth,
                                        spec.clientHeight);
    window->copy_label(spec.title.c_str());
    window->callback(windowClosing, this);
    Window& entry = windows_[id];
    entry.spec = spec;
    entry.window = window;
    Fl_Widget* first = nullptr;
    for (const ControlSpec& controlSpec : controls) {
        auto control = std::make_unique<Control>();
        control->spec = controlSpec;
        control->window = id;
        control->session = this;
        control->widget = makeWidget(*control);
        if (first == nullptr && takesFocus(controlSpec)) {
            first = control->widget;
        }
        // Ids are unique across windows; a repeated one, or the labels' 0, is not addressable.
        if (controlSpec.id != 0 && byId_.count(controlSpec.id) == 0) {
            byId_[controlSpec.id] = control.get();
        }
        entry.controls.push_back(std::move(control));
    }
    window->end();
    window->size_range(spec.clientWidth, spec.clientHeight, spec.clientWidth, spec.clientHeight);
    window->show();
    offerOnlyCloseBox(*window);
    if (first != nullptr) {
        first->take_focus();
    }
    Fl::flush();
    return id;
}

void FltkSession::closeWindow(WindowId id) {
    const auto found = windows_.find(id);
    if (found == windows_.end()) {
        return;
    }
    // The window's controls go with it, and so do their events still queued: a destroyed
    // window's messages never arrive.
    for (const auto& control : found->second.controls) {
        const auto named = byId_.find(control->spec.id);
        if (named != byId_.end() && named->second == control.get()) {
            byId_.erase(named);
        }
    }
    events_.erase(std::remove_if(events_.begin(), events_.end(),
                                 [id](const Event& event) { return event.window == id; }),
                  events_.end());
    // The widgets point at the entry's texts and pictures until they are gone.
    found->second.window->hide();
    delete found->second.window;
    windows_.erase(found);
    Fl::flush();
}

void FltkSession::showWindow(WindowId id, bool visible) {
    const auto found = windows_.find(id);
    if (found == windows_.end()) {
        return;
    }
    if (visible) {
        found->second.window->show();
    } else {
        found->second.window->hide();
    }
    Fl::flush();
}

void FltkSession::queueClose(WindowId id) {
    if (windows_.count(id) != 0) {
        push({EventKind::Close, 0, id});
    }
}

FltkSession::Control* FltkSession::find(int id) {
    const auto found = byId_.find(id);
    return found != byId_.end() ? found->second : nullptr;
}

WindowId FltkSession::windowIdOf(const Fl_Widget* window) const {
    for (const auto& [id, entry] : windows_) {
        if (entry.window == window) {
            return id;
        }
    }
    return 0;
}

std::string FltkSession::controlText(int id) {
    Control* control = find(id);
    if (control == nullptr) {
        return {};
    }
    switch (control->spec.kind) {
        case ControlKind::TextField:
            return static_cast<Fl_Input*>(control->widget)->value();
        case ControlKind::DropDownList: {
            const int index = static_cast<Fl_Choice*>(control->widget)->value();
            return index >= 0 && static_cast<size_t>(index) < control->spec.items.size()
                       ? control->spec.items[static_cast<size_t>(index)]
                       : std::string();
        }
        default:
            return control->spec.text;
    }
}

void FltkSession::setControlText(int id, const std::string& text) {
    Control* control = find(id);
    if (control == nullptr) {
        return;
    }
    switch (control->spec.kind) {
        case ControlKind::TextField:
            static_cast<Fl_Input*>(control->widget)->value(text.c_str());
            break;
        case ControlKind::DropDownList:
        case ControlKind::IconButton:
        case ControlKind::Icon:
            return;  // their text is not shown
        default:
            control->spec.text = text;
            control->label = literalLabel(text, drawsShortcuts(control->spec.kind));
            control->widget->label(control->label.c_str());
            break;
    }
    // A label's old text may stand outside the new one's box: the parent repaints the area.
    control->widget->redraw();
    if (control->widget->parent() != nullptr) {
        control->widget->parent()->damage(FL_DAMAGE_ALL, control->widget->x(), control->widget->y(),
                                          control->widget->w(), control->widget->h());
    }
}

bool FltkSession::ticked(int id) {
    Control* control = find(id);
    return control != nullptr && control->spec.kind == ControlKind::CheckBox &&
           static_cast<Fl_Check_Button*>(control->widget)->value() != 0;
}

void FltkSession::setTicked(int id, bool ticked) {
    Control* control = find(id);
    if (control != nullptr && control->spec.kind == ControlKind::CheckBox) {
        static_cast<Fl_Check_Button*>(control->widget)->value(ticked ? 1 : 0);
    }
}

int FltkSession::listIndex(int id) {
    Control* control = find(id);
    if (control == nullptr || control->spec.kind != ControlKind::DropDownList) {
        return -1;
    }
    return static_cast<Fl_Choice*>(control->widget)->value();
}

void FltkSession::setListIndex(int id, int index) {
    Control* control = find(id);
    if (control == nullptr || control->spec.kind != ControlKind::DropDownList) {
        return;
    }
    auto* list = static_cast<Fl_Choice*>(control->widget);
    if (index >= 0 && static_cast<size_t>(index) < control->spec.items.size()) {
        list->value(index);
    } else {
        list->value(static_cast<const Fl_Menu_Item*>(nullptr));
    }
    list->redraw();
}

void FltkSession::setEnabled(int id, bool enabled) {
    if (Control* control = find(id)) {
        if (enabled) {
            control->widget->activate();
        } else {
            control->widget->deactivate();
        }
    }
}

void FltkSession::setVisible(int id, bool visible) {
    Control* control = find(id);
    if (control == nullptr) {
        return;
    }
    if (visible) {
        control->widget->show();
    } else {
        control->widget->hide();
        if (control->widget->parent() != nullptr) {
            control->widget->parent()->redraw();
        }
    }
}

void FltkSession::controlActed(Fl_Widget*, void* data) {
    const Control& control = *static_cast<Control*>(data);
    control.session->push({EventKind::Control, control.spec.id, control.window});
}

void FltkSession::windowClosing(Fl_Widget* widget, void* data) {
    auto& session = *static_cast<FltkSession*>(data);
    if (const WindowId id = session.windowIdOf(widget)) {
        session.push({EventKind::Close, 0, id});
    }
}

bool FltkSession::handleKey(Fl_Window* window) {
    const WindowId id = windowIdOf(window);
    if (id == 0) {
        return false;  // a chooser or message box: FLTK's own rules
    }
    Window* entry = &windows_[id];
    if ((Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META)) != 0) {
        return false;
    }
    const int key = Fl::event_key();
    const bool isReturn = key == FL_Enter || key == FL_KP_Enter;
    if (entry->spec.reportKeys) {
        Key reported = Key::Return;
        if (isReturn) {
            reported = Key::Return;
        } else if (key == FL_Escape) {
            reported = Key::Escape;
        } else if (key == ' ') {
            reported = Key::Space;
        } else if (key == FL_Up) {
            reported = Key::Up;
        } else if (key == FL_Down) {
            reported = Key::Down;
        } else {
            return false;
        }
        push({EventKind::Key, 0, id, reported});
        return true;
    }
    if (key == FL_Escape) {
        push({EventKind::Close, 0, id});
        return true;
    }
    const auto focused =
        std::find_if(entry->controls.begin(), entry->controls.end(),
                     [](const auto& control) { return control->widget == Fl::focus(); });
    if (focused == entry->controls.end() || (*focused)->spec.id == 0) {
        return false;
    }
    Control& control = **focused;
    if (control.spec.kind == ControlKind::DropDownList && (key == FL_Up || key == FL_Down)) {
        // A closed combo box on Windows steps through its entries and reports each choice.
        auto* list = static_cast<Fl_Choice*>(control.widget);
        const int count = static_cast<int>(control.spec.items.size());
        const int next = std::clamp(list->value() + (key == FL_Down ? 1 : -1), 0, count - 1);
        if (count > 0 && next != list->value()) {
            list->value(next);
            list->redraw();
            push({EventKind::Control, control.spec.id, id});
        }
        return true;
    }
    if (isReturn && (control.spec.kind == ControlKind::PushButton ||
                     control.spec.kind == ControlKind::IconButton)) {
        push({EventKind::Control, control.spec.id, id});
        return true;
    }
    return false;
}

bool FltkSession::takeEvent(Event& event) {
    if (events_.empty()) {
        return false;
    }
    event = events_.front();
    events_.pop_front();
    return true;
}

void FltkSession::wait(uint32_t timeoutMs, int fd) {
    bool readable = false;
    if (fd >= 0) {
        Fl::add_fd(fd, FL_READ, markReadable, &readable);
    }
    Fl::wait(timeoutMs == kWaitForever ? kForever : timeoutMs / 1000.0);
    if (fd >= 0) {
        Fl::remove_fd(fd, FL_READ);
    }
}

}  // namespace drape::platform::posix
