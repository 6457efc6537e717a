// drape98's own run state: its settings record with its defaults, and the command words.
//
// The monitor table and the interpreter's working monitor are the shared ones of the state
// layer (`state().monitors`, `state().monitor`), so that the painting both programs share
// sees the same monitors; everything else drape98 keeps here, apart from drape's record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace drape {

// The command words, already split, with a current position: none before the first `next`.
class TokenList {
  public:
    void append(std::string word) { words_.push_back(std::move(word)); }
    void clear() {
        words_.clear();
        current_ = kNone;
    }
    bool empty() const { return words_.empty(); }
    size_t size() const { return words_.size(); }
    const std::vector<std::string>& words() const { return words_; }
    std::vector<std::string>& words() { return words_; }

    // Back before the first word: no word is current.
    void goToStart() { current_ = kNone; }
    // Makes the next word current; false at the end, where the current word stays.
    bool next() {
        const size_t after = current_ == kNone ? 0 : current_ + 1;
        if (after >= words_.size()) {
            return false;
        }
        current_ = after;
        return true;
    }
    // The current word's string; empty when no word is current.
    const std::string& current() const {
        static const std::string none;
        return current_ == kNone ? none : words_[current_];
    }

  private:
    static constexpr size_t kNone = static_cast<size_t>(-1);
    std::vector<std::string> words_;
    size_t current_ = kNone;
};

struct Settings98 {
    bool silent = false;
    bool transparent = false;
    uint32_t textColour = 0;  // red in the low byte
    std::string fontName;
    int32_t fontSize = 0;
    int32_t distort = 0;
    int32_t expand = 0;
    int32_t renew = 0;   // seconds; 0 = no timed renewal
    int32_t nouser = 0;  // kept, never read
    bool resident = false;
    std::string outputPath;
    int32_t monitorSelection = -1;  // -1 = all monitors
    uint32_t renewStart = 0;        // tick the renewal interval began at; 0 = not started
};

struct State98 {
    Settings98 settings;
    TokenList tokens;
};

State98& state98();
inline Settings98& settings98() {
    return state98().settings;
}

// drape98's start-up defaults, with the output in the 8-bit temporary folder; the shared state
// (monitor table, working monitor, images and fonts) is cleared as well.
void ApplyDefaults98();

}  // namespace drape
