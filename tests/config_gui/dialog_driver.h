#pragma once
// Drives modal dialogs in the offscreen tests: runs a step on the dialog once it is shown,
// and answers every warning box, keeping its title and text.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

namespace tarvisk::testing {

// Closes each message box that appears, remembering "title|text".
class MessageCatcher {
  public:
    MessageCatcher() {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box && box->isVisible()) {
                    seen.push_back(box->windowTitle().toStdString() + "|" +
                                   box->text().toStdString());
                    box->accept();
                }
            }
        });
        timer_.start();
    }
    std::vector<std::string> seen;

  private:
    QTimer timer_;
};

// Opens a modal dialog with `open` and, once the dialog named `name` shows, runs `drive` on
// it. `drive` must close it (Ok or Cancel); if it does not, the dialog is rejected.
inline void RunModal(const char* name, const std::function<void()>& open,
                     const std::function<void(QDialog&)>& drive) {
    bool driven = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (driven)
            return;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<QDialog*>(w);
            if (d && d->isVisible() && d->objectName() == name) {
                driven = true;
                drive(*d);
                if (d->isVisible())
                    d->reject();
                return;
            }
        }
    });
    poll.start();
    open();
}

inline QLineEdit* Field(QDialog& d, int id) {
    return d.findChild<QLineEdit*>(QString::number(id));
}

inline void Type(QDialog& d, int id, const char* text) {
    QLineEdit* e = Field(d, id);
    e->selectAll();
    QTest::keyClicks(e, QString::fromUtf8(text));
}

inline void Click(QDialog& d, const QString& name) {
    auto* b = d.findChild<QAbstractButton*>(name);
    if (b)
        b->click();
}

inline void Click(QDialog& d, int id) {
    Click(d, QString::number(id));
}

}  // namespace tarvisk::testing
