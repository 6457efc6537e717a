// [X] Controls on FLTK 1.3 when the X display answers; without one every call behaves as the
//     unavailable controls do, and FLTK is never started (decided at the first use)
// [X] Events for the program's one wait: controls, close box and requestClose queue
//     Control / Close / Key events that PosixWindowing::waitEvent hands out in order
// [X] Our chooser filter turned into FLTK's "Name (pattern)\tName (pattern)" form
// [ ] Several displays at once: the session stays on the display found at the first use
#include "platform/posix/fltk_controls.h"

#include <cmath>

#include "platform/posix/fltk_session.h"

namespace drape::platform::posix {

namespace {

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) {
            return parts;
        }
        start = end + 1;
    }
}

// "*.a;*.b" as one FLTK pattern. "*.*" means every file on Windows, also names without a dot.
std::string fltkPattern(const std::string& patterns) {
    std::vector<std::string> kept;
    for (const std::string& part : split(patterns, ';')) {
        const std::string pattern = trimmed(part);
        if (pattern == "*.*" || pattern == "*") {
            return "*";
        }
        if (!pattern.empty()) {
            kept.push_back(pattern);
        }
    }
    if (kept.empty()) {
        return "*";
    }
    if (kept.size() == 1) {
        return kept.front();
    }
    std::string joined = "{";
    for (size_t i = 0; i < kept.size(); ++i) {
        joined += (i > 0 ? "," : "") + kept[i];
    }
    return joined + "}";
}

// FLTK's chooser takes the pattern from the first parenthesis of an entry, so the name keeps
// none of its own: "Image (*.JPG)" loses its "(*.JPG)", which FLTK shows again from the pattern.
std::string fltkName(const std::string& name) {
    std::string kept = trimmed(name.substr(0, name.find('(')));
    std::string clean;
    for (const char c : kept) {
        if (c != ')' && c != '\t') {
            clean += c;
        }
    }
    return clean.empty() ? "Files" : clean;
}

}  // namespace

std::string fltkFileFilter(const std::string& filter) {
    const std::vector<std::string> parts = split(filter, '|');
    std::string out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (!out.empty()) {
            out += '\t';
        }
        out += fltkName(parts[i]) + " (" + fltkPattern(parts[i + 1]) + ")";
    }
    return out.empty() ? "All (*)" : out;
}

int pointsToPixels(int points, int dpi) {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

FltkControls::FltkControls(Windowing& windowing, Drawing& drawing)
    : windowing_(windowing), drawing_(drawing) {}

FltkControls::~FltkControls() = default;

FltkSession* FltkControls::session() {
    if (!decided_) {
        decided_ = true;
        if (windowing_.hasGraphicalDisplay()) {
            session_ = std::make_unique<FltkSession>(drawing_.displayDpiY());
        }
    }
    return session_.get();
}

WindowId FltkControls::openWindow(const WindowSpec& window,
                                  const std::vector<ControlSpec>& controls) {
    FltkSession* s = session();
    return s != nullptr ? s->openWindow(window, controls)
                        : unavailable_.openWindow(window, controls);
}

void FltkControls::closeWindow(WindowId window) {
    if (FltkSession* s = session()) {
        s->closeWindow(window);
    }
}

void FltkControls::showWindow(WindowId window, bool visible) {
    if (FltkSession* s = session()) {
        s->showWindow(window, visible);
    }
}

void FltkControls::requestClose(WindowId window) {
    if (FltkSession* s = session()) {
        s->queueClose(window);
    }
}

std::string FltkControls::controlText(int id) {
    FltkSession* s = session();
    return s != nullptr ? s->controlText(id) : unavailable_.controlText(id);
}

void FltkControls::setControlText(int id, const std::string& text) {
    if (FltkSession* s = session()) {
        s->setControlText(id, text);
    }
}

bool FltkControls::ticked(int id) {
    FltkSession* s = session();
    return s != nullptr ? s->ticked(id) : unavailable_.ticked(id);
}

void FltkControls::setTicked(int id, bool ticked) {
    if (FltkSession* s = session()) {
        s->setTicked(id, ticked);
    }
}

int FltkControls::listIndex(int id) {
    FltkSession* s = session();
    return s != nullptr ? s->listIndex(id) : unavailable_.listIndex(id);
}

void FltkControls::setListIndex(int id, int index) {
    if (FltkSession* s = session()) {
        s->setListIndex(id, index);
    }
}

void FltkControls::setEnabled(int id, bool enabled) {
    if (FltkSession* s = session()) {
        s->setEnabled(id, enabled);
    }
}

void FltkControls::setVisible(int id, bool visible) {
    if (FltkSession* s = session()) {
        s->setVisible(id, visible);
    }
}

std::string FltkControls::chooseFile(const std::string& title, const std::string& filter) {
    FltkSession* s = session();
    return s != nullptr ? s->chooseFile(title, filter) : unavailable_.chooseFile(title, filter);
}

std::string FltkControls::chooseFolder(const std::string& title) {
    FltkSession* s = session();
    return s != nullptr ? s->chooseFolder(title) : unavailable_.chooseFolder(title);
}

void FltkControls::setClipboardText(const std::string& text) {
    if (FltkSession* s = session()) {
        s->setClipboardText(text);
    }
}

// The wait asks before anything opened a window: that must not start FLTK either.
bool FltkControls::running() {
    return session_ != nullptr && session_->running();
}

bool FltkControls::takeEvent(Event& event) {
    return session_ != nullptr && session_->takeEvent(event);
}

void FltkControls::wait(uint32_t timeoutMs, int fd) {
    if (session_ != nullptr) {
        session_->wait(timeoutMs, fd);
    }
}

bool FltkControls::messageBox(const std::string& caption, const std::string& text, uint32_t flags) {
    FltkSession* s = session();
    if (s == nullptr) {
        return false;
    }
    s->messageBox(caption, text, flags);
    return true;
}

}  // namespace drape::platform::posix
