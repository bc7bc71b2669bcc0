#include "config/qt/dialog_kit.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include "config/dialog_placement.h"

namespace tarvisk {

SpinField::SpinField(int fieldId, int spinId, QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(1);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QString::number(fieldId));
    row->addWidget(edit_);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QString::number(spinId) + QStringLiteral(".up"));
    down_->setObjectName(QString::number(spinId) + QStringLiteral(".down"));
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFixedSize(16, 11);
        b->setFocusPolicy(Qt::NoFocus);
        arrows->addWidget(b);
    }
    row->addLayout(arrows);
    connect(up_, &QToolButton::clicked, this, [this] {
        if (onSpin)
            onSpin(true);
    });
    connect(down_, &QToolButton::clicked, this, [this] {
        if (onSpin)
            onSpin(false);
    });
    connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (onEdited)
            onEdited(text.toStdString());
    });
}

void SpinField::SetText(const std::string& text) {
    edit_->setText(QString::fromStdString(text));
}

void SpinField::SetEditable(bool editable) {
    edit_->setReadOnly(!editable);
    up_->setEnabled(editable);
    down_->setEnabled(editable);
}

QPushButton* NamedButton(const char* text, int id, QWidget* parent) {
    auto* b = new QPushButton(QString::fromUtf8(text), parent);
    b->setObjectName(QString::number(id));
    b->setAutoDefault(false);
    return b;
}

QRadioButton* NamedRadio(const char* text, int id, QWidget* parent) {
    auto* r = new QRadioButton(QString::fromUtf8(text), parent);
    r->setObjectName(QString::number(id));
    return r;
}

namespace {

// The main window the dialog belongs to, also when it is opened from another dialog (User
// Configuration from Settings): the image centre is the main window's, not the opener's.
QWidget* MainWindowOf(const QDialog& dialog) {
    QWidget* window = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    for (QWidget* w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        if (qobject_cast<QMainWindow*>(w))
            return w;
    }
    return window;
}

}  // namespace

void PlaceDialogOverImage(QDialog& dialog, int extraDown) {
    QWidget* window = MainWindowOf(dialog);
    if (!window)
        return;
    dialog.adjustSize();
    PlacementInput in;
    const QRect frame = window->frameGeometry();
    in.windowLeft = frame.left();
    in.windowTop = frame.top();
    in.width = dialog.width();
    in.height = dialog.height();
    in.captionHeight = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
    if (auto* main = qobject_cast<QMainWindow*>(window); main && main->menuBar())
        in.menuHeight = main->menuBar()->height();
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
    in.screenWidth = area.width();
    in.screenHeight = area.height();
    in.extraDown = extraDown;
    const DialogPosition p = tarvisk::PlaceOverImageCentre(in);
    dialog.move(p.x, p.y);
}

bool ShowDialogMessages(QWidget* parent, const DialogMessages& messages) {
    for (const DialogMessage& m : messages)
        QMessageBox::warning(parent, QString::fromStdString(m.title),
                             QString::fromStdString(m.text));
    return messages.empty();
}

std::string TextOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}

}  // namespace tarvisk
