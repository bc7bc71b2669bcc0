#include "display/qt/peripheral_views.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "display/diagnostics_window.h"
#include "display/peripheral_windows.h"

namespace tarvisk {

AzimuthWindowView::AzimuthWindowView(const DrawSurface& palette, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(4);
    canvas_ = new ChildCanvas(AzimuthCanvasSize, palette, this);
    button_ = new QPushButton(QStringLiteral("Change Azimuth"), this);
    button_->setFocusPolicy(Qt::NoFocus);  // the keys stay with the main window
    layout->addWidget(canvas_);
    layout->addWidget(button_, 0, Qt::AlignHCenter);
    connect(button_, &QPushButton::clicked, this, [this] {
        if (onButton)
            onButton();
    });
}

void AzimuthWindowView::SetButton(const char* text, bool enabled) {
    button_->setText(QString::fromLatin1(text));
    button_->setEnabled(enabled);
}

HeadScanWindowView::HeadScanWindowView(const DrawSurface& palette, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->setSpacing(4);
    canvas_ = new ChildCanvas(HeadScanCanvasSize, palette, this);
    changeId_ = new QPushButton(QStringLiteral("Change Head ID"), this);
    program_ = new QPushButton(QStringLiteral("Program Head"), this);
    // A button that took the focus would lose its pressed look as soon as its dialog takes
    // the focus away; the keys stay with the main window anyway.
    changeId_->setFocusPolicy(Qt::NoFocus);
    program_->setFocusPolicy(Qt::NoFocus);
    auto* row = new QHBoxLayout;
    row->addWidget(changeId_);
    row->addWidget(program_);
    layout->addWidget(canvas_);
    layout->addLayout(row);
    auto press = [](QPushButton* button, const std::function<void()>& action) {
        button->setDown(true);
        if (action)
            action();
        button->setDown(false);
    };
    connect(changeId_, &QPushButton::clicked, this,
            [this, press] { press(changeId_, onChangeId); });
    connect(program_, &QPushButton::clicked, this, [this, press] { press(program_, onProgram); });
}

}  // namespace tarvisk
