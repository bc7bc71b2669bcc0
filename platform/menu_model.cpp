#include "platform/menu_model.h"

namespace tarvisk {

MenuModel::MenuModel(std::vector<MenuItemSpec> bar) : bar_(std::move(bar)) {
    Collect(bar_);
}

void MenuModel::Collect(const std::vector<MenuItemSpec>& items) {
    for (const MenuItemSpec& item : items) {
        if (item.kind == MenuItemSpec::Item)
            state_[item.id] = {item.text, false, !item.greyed};
        Collect(item.children);
    }
}

void MenuModel::Check(int32_t id, bool checked) {
    auto it = state_.find(id);
    if (it == state_.end() || it->second.checked == checked)
        return;
    it->second.checked = checked;
    if (onChange)
        onChange(id);
}

void MenuModel::Enable(int32_t id, bool enabled) {
    auto it = state_.find(id);
    if (it == state_.end() || it->second.enabled == enabled)
        return;
    it->second.enabled = enabled;
    if (onChange)
        onChange(id);
}

void MenuModel::SetText(int32_t id, std::string_view text) {
    auto it = state_.find(id);
    if (it == state_.end() || it->second.text == text)
        return;
    it->second.text = std::string(text);
    if (onChange)
        onChange(id);
}

bool MenuModel::IsChecked(int32_t id) const {
    auto it = state_.find(id);
    return it != state_.end() && it->second.checked;
}

bool MenuModel::IsEnabled(int32_t id) const {
    auto it = state_.find(id);
    return it != state_.end() && it->second.enabled;
}

std::string MenuModel::Text(int32_t id) const {
    auto it = state_.find(id);
    return it == state_.end() ? std::string() : it->second.text;
}

}  // namespace tarvisk
