#pragma once
// Pieces every setup dialog view shares: a text field with spin arrows, the placement over the
// image centre, and the warning boxes a model asks for.

#include <QDialog>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <string>

#include "config/dialog_message.h"

class QRadioButton;
class QPushButton;

namespace tarvisk {

// A field (object name = its control number) with up and down arrows (object names
// "<spin>.up" and "<spin>.down"). Arrows call back; typing reports the text.
class SpinField : public QWidget {
    Q_OBJECT
  public:
    SpinField(int fieldId, int spinId, QWidget* parent);
    QLineEdit* Edit() const { return edit_; }
    void SetText(const std::string& text);
    void SetEditable(bool editable);

    std::function<void(bool up)> onSpin;
    std::function<void(const std::string&)> onEdited;

  private:
    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
};

// A push button or radio named by its control number.
QPushButton* NamedButton(const char* text, int id, QWidget* parent);
QRadioButton* NamedRadio(const char* text, int id, QWidget* parent);

// Centres the dialog over the image centre of the main window (parent), one caption lower
// (plus extraDown), inside the screen.
void PlaceDialogOverImage(QDialog& dialog, int extraDown = 0);

// Shows each warning in turn; true when there was none.
bool ShowDialogMessages(QWidget* parent, const DialogMessages& messages);

std::string TextOf(const QLineEdit* edit);

}  // namespace tarvisk
