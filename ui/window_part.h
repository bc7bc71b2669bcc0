#pragma once
// What the main window tells the parts of the program built around it (the files, the
// peripherals, the automated scans, a scripted run). Each part overrides what concerns it and
// attaches itself once at start-up; the window calls the attached parts in turn.

#include <array>
#include <atomic>
#include <cstdint>

#include "head/link_status.h"

namespace tarvisk {

class WindowPart {
  public:
    virtual ~WindowPart() = default;
    // Once per shot, on the thread that processed it.
    virtual void OnShot(int64_t shots) { (void)shots; }
    // The run-mode switch is done: the drive, the orientation readings and the GPS field
    // follow the new mode.
    virtual void OnRunModeApplied() {}
    // The child windows' redraws the shot pipeline asks for.
    virtual void RefreshDiagnostics() {}
    virtual void RefreshOrientationWindow() {}
    // Facts about the automated scans that the link status rules need.
    virtual void AddLinkStatusFacts(LinkStatusFacts& facts) { (void)facts; }
};

// A fixed set of slots: the shot thread walks it while parts come and go, without a lock and
// without allocating.
class WindowParts {
  public:
    static constexpr size_t Capacity = 8;
    // False when every slot is taken.
    bool Attach(WindowPart* part) {
        for (auto& slot : slots_) {
            WindowPart* empty = nullptr;
            if (slot.compare_exchange_strong(empty, part))
                return true;
        }
        return false;
    }
    void Detach(const WindowPart* part) {
        for (auto& slot : slots_) {
            WindowPart* expected = const_cast<WindowPart*>(part);
            slot.compare_exchange_strong(expected, nullptr);
        }
    }
    template <class Call>
    void ForEach(Call&& call) {
        for (auto& slot : slots_)
            if (WindowPart* part = slot.load())
                call(*part);
    }

  private:
    std::array<std::atomic<WindowPart*>, Capacity> slots_{};
};

}  // namespace tarvisk
