// The save dialog as an operator answers it: a name typed without its extension gets it, and
// a file that would be replaced under that full name is asked about first, whichever dialog
// the desktop provides (this offscreen run has Qt's own).
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include "gui_support.h"
#include "platform/menu_model.h"
#include "platform/qt/framebuffer.h"
#include "platform/qt/host_window.h"

namespace tarvisk {
namespace {

using testing::App;

// Answers the modal windows as they open, one step per window, in order.
class Operator {
  public:
    explicit Operator(std::vector<std::function<bool(QWidget*)>> steps) : steps_(std::move(steps)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
        timer_.start(20);
    }
    size_t StepsDone() const { return done_; }

  private:
    void Look() {
        QWidget* modal = QApplication::activeModalWidget();
        if (done_ < steps_.size() && modal && !modal->property("answered").toBool() &&
            steps_[done_](modal)) {
            modal->setProperty("answered", true);
            ++done_;
        }
    }
    std::vector<std::function<bool(QWidget*)>> steps_;
    size_t done_ = 0;
    QTimer timer_;
};

std::function<bool(QWidget*)> TypeName(const QString& path) {
    return [path](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (!dialog)
            return false;
        // Qt's own dialog: the name goes into its line edit as typed; Save accepts it.
        dialog->findChild<QLineEdit*>()->setText(path);
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        return true;
    };
}

std::function<bool(QWidget*)> Answer(QMessageBox::StandardButton button, QString* text) {
    return [button, text](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box)
            return false;
        *text = box->text();
        box->button(button)->click();
        return true;
    };
}

std::function<bool(QWidget*)> Cancel() {
    return [](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        if (dialog)
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        return dialog != nullptr;
    };
}

class SaveDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        dir_ = testing::ScratchDir("save_dialog");
        host_ = std::make_unique<HostWindow>(framebuffer_, menu_);
    }
    std::string Ask() {
        const FileDialogParams params{"Open a Sonar File For Recording", "K260 Sonar Files (*.KSD)",
                                      "*.KSD", "KSD", ""};
        return host_->AskSaveFileName(params);
    }
    QString Name(const char* file) { return QString::fromStdString((dir_ / file).string()); }

    std::filesystem::path dir_;
    Framebuffer framebuffer_{Size{792, 575}};
    MenuModel menu_{{}};
    std::unique_ptr<HostWindow> host_;
};

TEST_F(SaveDialog, NameWithoutExtensionGetsIt) {
    Operator op({TypeName(Name("harbour"))});
    EXPECT_EQ(Ask(), (dir_ / "harbour.KSD").string());
    EXPECT_EQ(op.StepsDone(), 1u);
}

TEST_F(SaveDialog, FileThatWouldBeReplacedIsAskedAboutUnderItsFullName) {
    testing::WriteFile(dir_ / "harbour.KSD", "KSD recorded yesterday");
    QString asked;
    // "No" goes back to the dialog; cancelling it then records nothing.
    Operator refuse({TypeName(Name("harbour")), Answer(QMessageBox::No, &asked), Cancel()});
    EXPECT_EQ(Ask(), "");
    EXPECT_EQ(refuse.StepsDone(), 3u);
    EXPECT_TRUE(asked.startsWith(QStringLiteral("harbour.KSD already exists.")))
        << asked.toStdString();

    Operator replace({TypeName(Name("harbour")), Answer(QMessageBox::Yes, &asked)});
    EXPECT_EQ(Ask(), (dir_ / "harbour.KSD").string());
    EXPECT_EQ(testing::ReadFile(dir_ / "harbour.KSD"), "KSD recorded yesterday");  // caller's job
}

}  // namespace
}  // namespace tarvisk
