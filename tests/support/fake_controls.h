// In-memory windows and controls: what the program put where, and what a user would change,
// set by tests through the same state a real toolkit keeps.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace drape::test {

class FakeControls : public platform::Controls {
  public:
    struct Window {
        platform::WindowSpec spec;
        std::vector<platform::ControlSpec> controls;
        bool visible = true;
        bool open = true;
    };
    struct Control {
        platform::ControlSpec spec;
        platform::WindowId window = 0;
        std::string text;
        bool ticked = false;
        int index = 0;
        bool enabled = true;
        bool visible = true;
    };
    struct Chooser {
        std::string kind;  // "file" or "folder"
        std::string title;
        std::string filter;
    };

    bool available = true;          // false: windows cannot be opened
    const bool* display = nullptr;  // when set, windows open only while it is true
    std::map<platform::WindowId, Window> windows;
    std::map<int, Control> controls;
    // Every showWindow call, in order: (window, visible).
    std::vector<std::pair<platform::WindowId, bool>> shows;
    std::vector<platform::WindowId> closeRequests;
    // Called for every close request, e.g. to queue the platform's close event.
    std::function<void(platform::WindowId)> onCloseRequest;
    std::deque<std::string> chooserAnswers;  // "" (cancelled) when it runs dry
    std::vector<Chooser> choosers;
    std::vector<std::pair<int, std::string>> textLog;  // every setControlText, in order
    std::vector<std::pair<int, bool>> enabledLog;      // every setEnabled, in order
    std::string clipboard;
    int clipboardWrites = 0;

    // The control with `id`; fails the test when there is none.
    Control& at(int id);
    // The open window whose title is `title`, or 0.
    platform::WindowId windowTitled(const std::string& title) const;

    platform::WindowId openWindow(const platform::WindowSpec& window,
                                  const std::vector<platform::ControlSpec>& specs) override;
    void closeWindow(platform::WindowId window) override;
    void showWindow(platform::WindowId window, bool visible) override;
    void requestClose(platform::WindowId window) override;
    std::string controlText(int id) override { return at(id).text; }
    void setControlText(int id, const std::string& text) override {
        at(id).text = text;
        textLog.emplace_back(id, text);
    }
    bool ticked(int id) override { return at(id).ticked; }
    void setTicked(int id, bool ticked) override { at(id).ticked = ticked; }
    int listIndex(int id) override { return at(id).index; }
    void setListIndex(int id, int index) override;
    void setEnabled(int id, bool enabled) override {
        at(id).enabled = enabled;
        enabledLog.emplace_back(id, enabled);
    }
    void setVisible(int id, bool visible) override { at(id).visible = visible; }
    std::string chooseFile(const std::string& title, const std::string& filter) override;
    std::string chooseFolder(const std::string& title) override;
    void setClipboardText(const std::string& text) override;

  private:
    platform::WindowId nextWindow_ = 1;
    Control missing_;
};

}  // namespace drape::test
