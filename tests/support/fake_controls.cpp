#include "support/fake_controls.h"

#include <gtest/gtest.h>

namespace drape::test {

FakeControls::Control& FakeControls::at(int id) {
    const auto found = controls.find(id);
    if (found == controls.end()) {
        ADD_FAILURE() << "no control " << id;
        missing_ = Control{};
        return missing_;
    }
    return found->second;
}

platform::WindowId FakeControls::windowTitled(const std::string& title) const {
    for (const auto& [id, window] : windows) {
        if (window.open && window.spec.title == title) {
            return id;
        }
    }
    return 0;
}

platform::WindowId FakeControls::openWindow(const platform::WindowSpec& window,
                                            const std::vector<platform::ControlSpec>& specs) {
    if (!available || (display != nullptr && !*display)) {
        return 0;
    }
    const platform::WindowId id = nextWindow_++;
    windows[id] = {window, specs, true, true};
    for (const platform::ControlSpec& spec : specs) {
        EXPECT_EQ(controls.count(spec.id), 0u) << "control id " << spec.id << " used twice";
        Control control;
        control.spec = spec;
        control.window = id;
        control.text = spec.text;
        controls[spec.id] = control;
    }
    return id;
}

void FakeControls::closeWindow(platform::WindowId window) {
    const auto found = windows.find(window);
    ASSERT_NE(found, windows.end());
    found->second.open = false;
    found->second.visible = false;
    for (auto it = controls.begin(); it != controls.end();) {
        it = it->second.window == window ? controls.erase(it) : std::next(it);
    }
}

void FakeControls::showWindow(platform::WindowId window, bool visible) {
    shows.emplace_back(window, visible);
    windows[window].visible = visible;
}

void FakeControls::requestClose(platform::WindowId window) {
    closeRequests.push_back(window);
    if (onCloseRequest) {
        onCloseRequest(window);
    }
}

void FakeControls::setListIndex(int id, int index) {
    Control& control = at(id);
    // As a native list does, an index outside the entries selects nothing.
    control.index = index >= 0 && index < static_cast<int>(control.spec.items.size()) ? index : -1;
}

std::string FakeControls::chooseFile(const std::string& title, const std::string& filter) {
    choosers.push_back({"file", title, filter});
    if (chooserAnswers.empty()) {
        return {};
    }
    std::string answer = chooserAnswers.front();
    chooserAnswers.pop_front();
    return answer;
}

std::string FakeControls::chooseFolder(const std::string& title) {
    choosers.push_back({"folder", title, ""});
    if (chooserAnswers.empty()) {
        return {};
    }
    std::string answer = chooserAnswers.front();
    chooserAnswers.pop_front();
    return answer;
}

void FakeControls::setClipboardText(const std::string& text) {
    clipboard = text;
    ++clipboardWrites;
}

}  // namespace drape::test
