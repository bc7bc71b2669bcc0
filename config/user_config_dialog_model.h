#pragma once
// The "User Configuration" dialog: the 15 rows of the table in editable fields, spin arrows
// that step the edit copy, per-field "D" buttons, whole-table "Default", and .CFG load/save.

#include <array>
#include <string>

#include "config/dialog_message.h"
#include "config/user_config.h"
#include "platform/window_services.h"

namespace tarvisk {

class UserConfigDialogModel {
  public:
    // Opening: ConfigEdit takes ConfigTable and every field shows it.
    UserConfigDialogModel(SonarSettings& settings, UserConfig& config);

    std::string ConfigText() const { return ShortConfigName(config_.ConfigName); }
    std::string UnitsLabel() const;
    std::string RowLabel(int32_t row) const;

    std::string& Text(int32_t row, ConfigColumn column) {
        return texts_[static_cast<size_t>(row)][static_cast<size_t>(column)];
    }
    const std::string& Text(int32_t row, ConfigColumn column) const {
        return texts_[static_cast<size_t>(row)][static_cast<size_t>(column)];
    }

    void Spin(int32_t row, ConfigColumn column, bool up);
    // A "D" button: the built-in value of one field.
    void DefaultField(int32_t row, ConfigColumn column);
    // "Default": the built-in table, in use at once.
    void DefaultTable();

    static FileDialogParams LoadDialog();
    static FileDialogParams SaveDialog();
    // "Load..." with the chosen path. A file that cannot be read changes nothing and says
    // nothing; only a wrong extension gives a message.
    DialogMessages Load(const std::string& path);
    // "Save As..." with the chosen path: the valid fields become the table in use, then the file
    // is written.
    DialogMessages SaveAs(const std::string& path);
    // Empty when the dialog may close.
    DialogMessages Ok();

  private:
    void ShowField(int32_t row, ConfigColumn column);
    void ShowAll();
    // Stores every valid field in ConfigTable; with report, one message per invalid field.
    DialogMessages Validate(bool report);

    SonarSettings& settings_;
    UserConfig& config_;
    std::array<std::array<std::string, 3>, ConfigRowCount> texts_;
};

}  // namespace tarvisk
