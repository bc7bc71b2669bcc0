#pragma once
// The menu bar as data: its items with command identifiers, texts, check marks and greyed
// states. The command layer changes the state here; the window host shows it.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tarvisk {

struct MenuItemSpec {
    enum Kind { Item, Separator, Submenu };
    Kind kind = Item;
    int32_t id = 0;  // command identifier (items only)
    std::string text;
    bool greyed = false;
    std::vector<MenuItemSpec> children;  // submenus and top-level menus
};

class MenuModel {
  public:
    explicit MenuModel(std::vector<MenuItemSpec> bar);

    const std::vector<MenuItemSpec>& Bar() const { return bar_; }

    void Check(int32_t id, bool checked);
    void Enable(int32_t id, bool enabled);
    void SetText(int32_t id, std::string_view text);
    bool IsChecked(int32_t id) const;
    bool IsEnabled(int32_t id) const;
    std::string Text(int32_t id) const;
    bool Exists(int32_t id) const { return state_.count(id) != 0; }

    // Called with the identifier of an item whose state changed.
    std::function<void(int32_t)> onChange;

  private:
    struct State {
        std::string text;
        bool checked = false;
        bool enabled = true;
    };
    void Collect(const std::vector<MenuItemSpec>& items);

    std::vector<MenuItemSpec> bar_;
    std::map<int32_t, State> state_;
};

}  // namespace tarvisk
